#!/usr/bin/env python3
"""What the page's fonts carry of the letter, run by the web build:

    letter_font.py LETTER WIDTHS_H DEJAVU_SANS_MONO TEXT CELLS

TEXT: the characters of the letter's source as the page gets them,
composed (e and U+0301 as é), for DejaVu Sans Mono to be cut to; not
formatting, which the build leaves out, nor what the show counts two
cells wide (Chinese, an emoji, ☕), whose glyph there is one cell wide:
that comes from the browser's fonts, as wide as its cells.

CELLS: Letter Cells, as WOFF2: the one-cell characters of TEXT that
DejaVu Sans Mono lacks, each from the first of Noto's fonts that has it
(others, Thai, are left to the browser's fonts), in a cell of the same
width, scaled down where wider. Else the browser draws a pictograph that
is text by default (🕯) from its colour emoji, two cells wide over the
next letter; and a halfwidth sound mark (ﾞ) narrower than a cell, which
xterm.js widens by a letter-spacing that the browser gives the kana and
its mark together only once, so the row drifts. An empty file when the
letter holds none.
"""
import glob
import re
import sys
import unicodedata

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

# Noto's, in the order they are asked (Debian's fonts-noto-core and
# fonts-noto-cjk): a monospace one's cells first, then the symbols', and
# Japanese (the first of the collection) for the halfwidth katakana.
NOTO = [('NotoSansMono-Regular.ttf', 0), ('NotoSansSymbols-Regular.ttf', 0),
        ('NotoSansSymbols2-Regular.ttf', 0), ('NotoSansCJK-Regular.ttc', 0)]


def two_cells(widths_h):
    """The code points the show counts two cells wide."""
    wide = set()
    for a, b, cells in re.findall(r'\{0x(\w+), 0x(\w+), (\d)\}',
                                  open(widths_h, encoding='utf-8').read()):
        if cells == '2':
            wide.update(range(int(a, 16), int(b, 16) + 1))
    return wide


def noto_fonts():
    """The fonts of NOTO at hand, and whether any is missing."""
    found = []
    for name, number in NOTO:
        paths = glob.glob(f'/usr/share/fonts/**/{name}', recursive=True)
        if paths:
            found.append(TTFont(paths[0], fontNumber=number, lazy=True))
    return found, len(found) < len(NOTO)


def in_a_cell(font, name, cell, ascent, descent):
    """The glyph drawn in a cell of `cell` units across, 2048 to the em."""
    glyphs = font.getGlyphSet()
    scale = 2048 / font['head'].unitsPerEm
    drawn = DecomposingRecordingPen(glyphs)
    glyphs[name].draw(drawn)
    bounds = BoundsPen(glyphs)
    drawn.replay(bounds)
    pen = TTGlyphPen(None)
    if bounds.bounds:
        left, bottom, right, top = (v * scale for v in bounds.bounds)
        # Whole within the cell with a little room beside, and within the
        # line's height: scaled about its own middle, its advance centred
        # across (a sound mark stays near its kana's side of its cell).
        room = cell * 0.05
        fit = min(1, (cell - 2 * room) / (right - left),
                  (ascent + descent) / (top - bottom))
        middle, half = (bottom + top) / 2, (top - bottom) * fit / 2
        low = min(max(middle - half, -descent), ascent - 2 * half)
        dx = (cell - font['hmtx'][name][0] * scale * fit) / 2
        dx = min(max(dx, room - left * fit), cell - room - right * fit)
        dy = low - bottom * fit
        # PostScript outlines run the other way round than TrueType's.
        drawn.replay(TransformPen(
            Cu2QuPen(pen, 1, reverse_direction='CFF ' in font),
            (scale * fit, 0, 0, scale * fit, dx, dy)))
    glyph = pen.glyph()
    glyph.recalcBounds(None)
    return glyph


def cells_font(chars, dejavu, path):
    """Letter Cells, of `chars` (one cell each), or an empty file."""
    fonts, missing = noto_fonts()
    cell = dejavu['hmtx']['space'][0]
    ascent, descent = dejavu['hhea'].ascent, -dejavu['hhea'].descent
    glyphs, names, made = {'.notdef': TTGlyphPen(None).glyph()}, {}, []
    for c in sorted(chars):
        font = next((f for f in fonts if c in f.getBestCmap()), None)
        if font is None and missing:
            sys.exit(f'The page\'s font lacks U+{c:04X} ({chr(c)}) of the '
                     'letter, which it takes from Noto\'s fonts: sudo apt-get '
                     'install fonts-noto-core fonts-noto-cjk, then build '
                     'again.')
        if font is not None:
            names[c] = f'u{c:04X}'
            glyphs[names[c]] = in_a_cell(font, font.getBestCmap()[c], cell,
                                         ascent, descent)
            made += [font] * (font not in made)
    if not made:
        open(path, 'wb').close()
        return
    # Its names: its own, and the copyrights and licence (the SIL Open Font
    # License) of the fonts it was made from, which go with it.
    builder = FontBuilder(2048, isTTF=True)
    builder.setupGlyphOrder(list(glyphs))
    builder.setupCharacterMap({c: name for c, name in names.items()})
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics({
        name: (cell, getattr(glyph, 'xMin', 0))
        for name, glyph in glyphs.items()})
    builder.setupHorizontalHeader(ascent=ascent, descent=-descent)
    builder.setupNameTable({
        'copyright': '\n'.join(f['name'].getDebugName(0) for f in made),
        'familyName': 'Letter Cells',
        'styleName': 'Regular',
        'licenseDescription': made[0]['name'].getDebugName(13),
        'licenseInfoURL': made[0]['name'].getDebugName(14),
    })
    builder.setupOS2(sTypoAscender=ascent, sTypoDescender=-descent,
                     usWinAscent=ascent, usWinDescent=descent)
    builder.setupPost()
    builder.font.flavor = 'woff2'
    builder.save(path)


def main():
    letter, widths_h, dejavu_path, text_path, cells_path = sys.argv[1:]
    with open(letter, encoding='utf-8') as source:
        text = unicodedata.normalize('NFC', source.read())
    wide = two_cells(widths_h)
    dejavu = TTFont(dejavu_path, lazy=True)
    has = dejavu.getBestCmap()
    shown = {c for c in text if unicodedata.category(c)[0] != 'C' and
             ord(c) not in wide}
    with open(text_path, 'w', encoding='utf-8') as out:
        out.write(''.join(sorted(shown)))
    # Not a mark, nor a letter that the browser draws in DejaVu Sans Mono
    # as the letter and marks it stands for (ế as e, ̂ and ́).
    cells_font({ord(c) for c in shown if unicodedata.category(c)[0] != 'M'
                and not all(ord(part) in has for part in
                            unicodedata.normalize('NFD', c))},
               dejavu, cells_path)


main()
