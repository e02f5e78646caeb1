#!/usr/bin/python3
"""Writes video/noto_core.h on stdout: the characters that Debian's
fonts-noto-core draws and the video's own fonts do not, from the fonts as
installed (with Debian's python3-fonttools and unicode-data)."""
import subprocess

from fontTools.ttLib import TTFont

OWN_FONTS = [
    ('/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf', 0),
    ('/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf', 0),
    ('/usr/share/fonts/truetype/tlwg/TlwgMono.ttf', 0),
    ('/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc', 0),
    ('/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf', 0),
]


def characters(path, number=0):
    font = TTFont(path, fontNumber=number, lazy=True)
    drawn = set(font.getBestCmap())
    font.close()
    return drawn


def assigned():
    codes, first = set(), None
    with open('/usr/share/unicode/UnicodeData.txt', encoding='utf-8') as data:
        for line in data:
            code, name = line.split(';')[:2]
            if name.endswith('First>'):
                first = int(code, 16)
            elif name.endswith('Last>'):
                codes.update(range(first, int(code, 16) + 1))
            else:
                codes.add(int(code, 16))
    return codes


def main():
    files = subprocess.run(['dpkg', '-L', 'fonts-noto-core'], check=True,
                           capture_output=True, text=True).stdout.split()
    noto = set()
    for path in files:
        if path.endswith('-Regular.ttf'):  # the fonts the video asks
            noto |= characters(path)
    own = set()
    for path, number in OWN_FONTS:
        own |= characters(path, number)
    # A range goes on over code points that no letter can hold or that are
    # drawn already, so that few ranges say it all.
    passable = own | (set(range(0x110000)) - assigned())
    ranges = []
    for code in sorted(noto - own):
        if ranges and all(c in passable for c in range(ranges[-1][1] + 1,
                                                      code)):
            ranges[-1][1] = code
        else:
            ranges.append([code, code])
    print('// Made by video/noto_core.py from Debian\'s fonts-noto-core: the')
    print('// characters its fonts draw and the video\'s own fonts do not. A')
    print('// range spans the code points between that are unassigned or')
    print('// drawn already. Where that package is missing, a character in')
    print('// them has a font to install. Never edited by hand.')
    print('#ifndef BARU_VIDEO_NOTO_CORE_H')
    print('#define BARU_VIDEO_NOTO_CORE_H')
    print()
    print('// clang-format off')
    print('constexpr char32_t noto_core_draws[][2] = {')
    rows = [f'{{0x{first:04X}, 0x{last:04X}}}' for first, last in ranges]
    for at in range(0, len(rows), 4):
        print('    ' + ', '.join(rows[at:at + 4]) + ',')
    print('};')
    print('// clang-format on')
    print()
    print('#endif')


main()
