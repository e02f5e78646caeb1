#!/usr/bin/env python3
"""Writes, from the Unicode data Debian ships (unicode-data), the cells
each character takes on a terminal, and the characters that the screens
the show runs on do not all draw as written: text/widths.h for the
program, web/widths.js (from web/widths.js.in) for the page's terminal;
and what composes a letter with its marks, text/compositions.h.

    python3 text/widths.py [TREE]

writes them into the tree this script stands in, or into TREE/text and
TREE/web; each file whole or not at all.
"""
import os
import sys

DATA = '/usr/share/unicode/'

# Why a character is refused, in the words the build's message shows.
REASONS = [
    'unassigned_code_point',
    'private_use_character',
    'letters_reordered_or_joined',
    'written_right_to_left',
    'joined_by_zero_width_joiner',
    'part_of_a_flag',
    'skin_tone_of_an_emoji',
    'emoji_or_text_style_selector',
    'newer_than_unicode_14',
    'wide_on_some_terminals_narrow_on_others',
    'keycap_mark_drawn_off_its_digit',
    'wider_than_a_cell_as_text',
]


def rows(name):
    """(first, last, fields) for each line of a data file."""
    with open(DATA + name, encoding='utf-8') as lines:
        for line in lines:
            line = line.split('#')[0].strip()
            if line:
                first, *fields = [f.strip() for f in line.split(';')]
                a, _, b = first.partition('..')
                yield int(a, 16), int(b or a, 16), fields


def unicode_data():
    """General category and bidi class of every assigned code point; the
    combining class of those that have one, and the canonical
    decompositions."""
    category, bidi, start = {}, {}, None
    combining, decomposed = {}, {}
    for first, _, fields in rows('UnicodeData.txt'):
        name, cat, klass = fields[0], fields[1], fields[3]
        if int(fields[2]):
            combining[first] = int(fields[2])
        if fields[4] and not fields[4].startswith('<'):
            decomposed[first] = [int(c, 16) for c in fields[4].split()]
        if name.endswith(', First>'):
            start = first
            continue
        for c in range(start if name.endswith(', Last>') else first,
                       first + 1):
            category[c], bidi[c] = cat, klass
    return category, bidi, combining, decomposed


def widths(category):
    """2 for wide, fullwidth and emoji; 0 for marks, formats, controls and
    the vowels and finals of Hangul's jamo, which join their syllable."""
    cells = {}
    for first, last in [(0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF),
                        (0x20000, 0x2FFFD), (0x30000, 0x3FFFD)]:
        for c in range(first, last + 1):
            cells[c] = 2
    for first, last, (width,) in rows('EastAsianWidth.txt'):
        for c in range(first, last + 1):
            if width in ('W', 'F'):
                cells[c] = 2
            else:
                cells.pop(c, None)
    for first, last, (prop,) in rows('emoji/emoji-data.txt'):
        if prop == 'Emoji_Presentation':
            cells.update((c, 2) for c in range(first, last + 1))
    for c, cat in category.items():
        if cat in ('Mn', 'Me', 'Cc') or (cat == 'Cf' and c != 0xAD):
            cells[c] = 0
    for first, last, (kind,) in rows('HangulSyllableType.txt'):
        if kind in ('V', 'T'):
            cells.update((c, 0) for c in range(first, last + 1))
    return cells


def refusals(category, bidi):
    """The reason, one of REASONS, for each refused character."""
    script = {}
    for first, last, (name,) in rows('Scripts.txt'):
        script.update((c, name) for c in range(first, last + 1))
    # Scripts whose letters the screens join or reorder: Indic letters
    # joined by a virama or drawn left of the one before them, and letters
    # that join the next in a word as Arabic's do.
    joined = {script[a] for a, _, (kind,) in rows('IndicSyllabicCategory.txt')
              if kind in ('Virama', 'Invisible_Stacker')}
    joined |= {script[a] for a, _, (place,) in
               rows('IndicPositionalCategory.txt')
               if 'Left' in place and place != 'Visual_Order_Left'}
    joined |= {script[a] for a, _, fields in rows('ArabicShaping.txt')
               if fields[1] == 'D'}
    rtl = {script[c] for c, klass in bidi.items()
           if klass in ('R', 'AL') and c in script}
    # Characters of every script are no script's own.
    joined -= {'Common', 'Inherited'}
    rtl -= {'Common', 'Inherited'}
    direction = {'R', 'AL', 'RLE', 'RLO', 'LRE', 'LRO', 'PDF', 'RLI', 'LRI',
                 'FSI', 'PDI'}

    why = {}
    for c in range(0x110000):
        if c not in category:
            why[c] = 'unassigned_code_point'
        elif category[c] == 'Co':
            why[c] = 'private_use_character'
        elif script.get(c) in rtl or bidi[c] in direction:
            why[c] = 'written_right_to_left'
        elif script.get(c) in joined:
            why[c] = 'letters_reordered_or_joined'
    # Signs drawn over the digits that follow them, as Arabic's are.
    for first, last, (prop,) in rows('PropList.txt'):
        if prop == 'Prepended_Concatenation_Mark':
            for c in range(first, last + 1):
                why.setdefault(c, 'letters_reordered_or_joined')
    # Unknown to the C library of Debian 12 (glibc 2.36, Unicode 14), by
    # which tmux and other terminals count: one drops them.
    for first, last, (age,) in rows('DerivedAge.txt'):
        if tuple(map(int, age.split('.'))) > (14, 0):
            for c in range(first, last + 1):
                why.setdefault(c, 'newer_than_unicode_14')
    # Neither wide nor narrow by Unicode, and two cells in the C library's
    # count (tmux's) and libvterm's, one in others': circled numbers on
    # black squares and the Yijing hexagrams.
    for first, last in [(0x3248, 0x324F), (0x4DC0, 0x4DFF)]:
        why.update((c, 'wide_on_some_terminals_narrow_on_others')
                   for c in range(first, last + 1))
    for first, last, (kind,) in rows('HangulSyllableType.txt'):
        if kind in ('L', 'V', 'T'):
            why.update((c, 'letters_reordered_or_joined')
                       for c in range(first, last + 1))
    why[0x200D] = 'joined_by_zero_width_joiner'
    for first, last in [(0x1F1E6, 0x1F1FF), (0xE0001, 0xE0001),
                        (0xE0020, 0xE007F)]:
        why.update((c, 'part_of_a_flag') for c in range(first, last + 1))
    for first, last, (prop,) in rows('emoji/emoji-data.txt'):
        if prop == 'Emoji_Modifier':
            why.update((c, 'skin_tone_of_an_emoji')
                       for c in range(first, last + 1))
    why[0xFE0E] = why[0xFE0F] = 'emoji_or_text_style_selector'
    why[0x20E3] = 'keycap_mark_drawn_off_its_digit'
    # Pictographs drawn as text wider than a cell in every font at hand
    # (a dove, a rosette): the next letter is overdrawn.
    why[0x1F54A] = why[0x1F3F5] = 'wider_than_a_cell_as_text'
    # Surrogates never come out of UTF-8; what reads them stops first.
    for c in range(0xD800, 0xE000):
        why.pop(c, None)
    return why


def runs(values, default):
    """(first, last, value) for each run of code points with a value other
    than the default."""
    out = []
    for c in range(0x110000):
        value = values.get(c, default)
        if value == default:
            continue
        if out and out[-1][1] == c - 1 and out[-1][2] == value:
            out[-1][1] = c
        else:
            out.append([c, c, value])
    return out


def table(entries, per_line):
    lines = []
    for i in range(0, len(entries), per_line):
        lines.append('    ' + ' '.join(e + ',' for e in
                                         entries[i:i + per_line]))
    return '\n'.join(lines)


def version():
    with open(DATA + 'ReadMe.txt', encoding='utf-8') as readme:
        words = readme.read().split()
    return 'Unicode ' + words[words.index('Version') + 1]


def header(width_runs, refused_runs, emoji_runs):
    return f'''\
// How many cells each character takes on a terminal, and the characters
// that the screens the show runs on do not all draw as written, which the
// build refuses. Made by text/widths.py from {version()}'s data
// (Debian's unicode-data); never edited by hand.
#ifndef BARU_TEXT_WIDTHS_H
#define BARU_TEXT_WIDTHS_H

#include <tuple>

// Only what is not one cell wide is listed: {{first, last, cells}}.
struct Widths {{
  char32_t first, last;
  int cells;
}};

// clang-format off
inline constexpr Widths widths[] = {{
{table([f'{{0x{a:04X}, 0x{b:04X}, {v}}}' for a, b, v in width_runs], 3)}
}};
// clang-format on

// Why a character is refused.
enum class refusal {{
{chr(10).join(f'  {name},' for name in REASONS)}
}};

struct Refused {{
  char32_t first, last;
  refusal why;
}};

// The same, one type each, which the build's message names (a compiler
// may show an enum's value as a number).
// clang-format off
namespace because {{
{chr(10).join(f'struct {name} {{}};' for name in REASONS)}
template <refusal reason>
using named = std::tuple_element_t<static_cast<int>(reason), std::tuple<
{(','+chr(10)).join(f'    {name}' for name in REASONS)}>>;
}} // namespace because
// clang-format on

// Characters drawn as emoji by themselves, wide and in colour.
struct Emoji {{
  char32_t first, last;
}};

// clang-format off
inline constexpr Emoji emoji[] = {{
{table([f'{{0x{a:04X}, 0x{b:04X}}}' for a, b, _ in emoji_runs], 3)}
}};
// clang-format on

// clang-format off
inline constexpr Refused refused[] = {{
{table([f'{{0x{a:04X}, 0x{b:04X}, refusal::{v}}}'
        for a, b, v in refused_runs], 1)}
}};
// clang-format on

#endif
'''


def compositions(combining, decomposed):
    """The header that composes a letter with its marks, as Unicode's
    normalization form C does."""
    excluded = {c for a, b, (prop, *_) in rows('DerivedNormalizationProps.txt')
                if prop == 'Full_Composition_Exclusion'
                for c in range(a, b + 1)}
    pairs = sorted((into[0], into[1], c) for c, into in decomposed.items()
                   if len(into) == 2 and c not in excluded)
    return f'''\
// What composes a letter with its marks, as Unicode's normalization form C
// (NFC) does it: the order of marks, the canonical decompositions and the
// pairs that compose. Made by text/widths.py from {version()}'s data
// (Debian's unicode-data); never edited by hand.
#ifndef BARU_TEXT_COMPOSITIONS_H
#define BARU_TEXT_COMPOSITIONS_H

// The marks' combining classes, by which marks on a letter are put in
// order: {{first, last, class}}; 0 for every other character.
struct Combining {{
  char32_t first, last;
  int order;
}};

// clang-format off
inline constexpr Combining combining[] = {{
{table([f'{{0x{a:04X}, 0x{b:04X}, {v}}}' for a, b, v in runs(combining, 0)],
       3)}
}};
// clang-format on

// A character and what it stands for: one character, or two (the second
// 0 when one), each perhaps decomposed again. In the character's order.
struct Decomposed {{
  char32_t c, first, second;
}};

// clang-format off
inline constexpr Decomposed decompositions[] = {{
{table([f'{{0x{c:04X}, 0x{into[0]:04X}, 0x{(into + [0])[1]:04X}}}'
        for c, into in sorted(decomposed.items())], 3)}
}};
// clang-format on

// Two characters that compose into one: {{first, second, into}}, in the
// pairs' order.
struct Composed {{
  char32_t first, second, into;
}};

// clang-format off
inline constexpr Composed compositions[] = {{
{table([f'{{0x{a:04X}, 0x{b:04X}, 0x{c:04X}}}' for a, b, c in pairs], 3)}
}};
// clang-format on

#endif
'''


def script(width_runs, template):
    rows = ',\n'.join(f'    [0x{a:04X}, 0x{b:04X}, {v}]'
                      for a, b, v in width_runs)
    return template.replace('@WIDTHS@', rows)


def write(path, text):
    """The file whole, or as it was."""
    with open(path + '.new', 'w', encoding='utf-8') as out:
        out.write(text)
    os.replace(path + '.new', path)


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tree = sys.argv[1] if len(sys.argv) > 1 else here
    category, bidi, combining, decomposed = unicode_data()
    width_runs = runs(widths(category), 1)
    refused_runs = runs(refusals(category, bidi), None)
    emoji_runs = runs({c: True for a, b, (prop,) in rows('emoji/emoji-data.txt')
                       if prop == 'Emoji_Presentation'
                       for c in range(a, b + 1)}, None)
    with open(os.path.join(here, 'web', 'widths.js.in'),
              encoding='utf-8') as template:
        page = script(width_runs, template.read())
    write(os.path.join(tree, 'text', 'widths.h'),
          header(width_runs, refused_runs, emoji_runs))
    write(os.path.join(tree, 'text', 'compositions.h'),
          compositions(combining, decomposed))
    write(os.path.join(tree, 'web', 'widths.js'), page)


main()
