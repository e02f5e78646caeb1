// What the build checks of each line of the letter: that it stands on
// every screen as written, inside the frame. type_line<column, row,
// text>(pace) types a line that does; at a line that does not, the build
// stops, and the compiler's first error there says why. (The show's own
// words are checked in words_checks.h.)
#ifndef BARU_LETTER_CHECKS_H
#define BARU_LETTER_CHECKS_H

#include <cstddef>
#include <type_traits>
#include <utility>

#include "screen/screen.h"
#include "text/cells.h"
#include "text/typed.h"

// A line's text, held by the build, which reads it.
template <std::size_t N> struct Text {
  char bytes[N];
  constexpr Text(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; i++)
      bytes[i] = text[i];
  }
  constexpr Text() : bytes{} {}
  constexpr Reading read() const { return read_text(bytes, N - 1); }
};

// The text as the show types it (see text/typed.h), with its zero byte;
// its own bytes when they are not UTF-8, which the build refuses.
template <std::size_t room> struct Typed {
  char bytes[room];
  int n;
};
template <Text line> constexpr auto typed() {
  constexpr auto made = [] {
    Typed<3 * sizeof line.bytes + 8> made{};
    made.n = typed_text(line.bytes, sizeof line.bytes - 1, made.bytes,
                        sizeof made.bytes);
    return made;
  }();
  if constexpr (made.n < 0 || line.read().what == fault::not_utf8) {
    return line;
  } else {
    Text<made.n + 1> text;
    for (int i = 0; i < made.n; i++)
      text.bytes[i] = made.bytes[i];
    return text;
  }
}

// What stops the build at a line that would not stand on every screen as
// written: the compiler names the type it cannot call, which says why in
// words and numbers. Every cell of a line, with the cell of the zero byte
// that ends it, lands inside the frame's interior (columns 1 to 67), on
// the greeting's row 2 or on a page's rows 4 to 21.
template <int cells, int column, int room>
struct too_wide_a_line_of_cells_from_column_with_room_for {};
template <int column> struct not_a_column_for_the_letter_use_1_to_66 {};
template <int row> struct not_a_row_for_the_letter_use_2_or_4_to_21 {};
template <int byte> struct not_utf8_from_byte_save_the_file_as_utf8 {};

// A character refused: its column, its code point (U<'+', '2', '0', 'E',
// '3'> is U+20E3), why, and what to write instead.
struct instead {
  char words[48];
};
template <int column, class code, class why, instead fix>
struct refused_at_column {};
template <char... hex> struct U {};
namespace because {
struct a_control_character_such_as_a_tab {};
struct a_mark_first_it_joins_what_stands_before {};
} // namespace because

// The code point's hex digits, four at least.
template <char32_t c, int... i>
constexpr auto code_point(std::integer_sequence<int, i...>) {
  return U<'+', "0123456789ABCDEF"[c >> 4 * (sizeof...(i) - 1 - i) & 0xF]...>{};
}
template <char32_t c> constexpr auto code_point() {
  return code_point<c>(std::make_integer_sequence<int, (c > 0xFFFFF  ? 6
                                                        : c > 0xFFFF ? 5
                                                                     : 4)>{});
}

// What to write instead, in words written out in each type, where both
// compilers print them as they stand.
template <int at, class why, class code> constexpr auto refuse(code) {
  using namespace because;
  if constexpr (std::is_same_v<why, a_control_character_such_as_a_tab>)
    return refused_at_column<at, code, why,
                             instead{"a blank, or a line of its own"}>{};
  else if constexpr (std::is_same_v<why,
                                    a_mark_first_it_joins_what_stands_before>)
    return refused_at_column<at, code, why,
                             instead{"the letter it goes on before it"}>{};
  else if constexpr (std::is_same_v<why, unassigned_code_point>)
    return refused_at_column<at, code, why,
                             instead{"a character of Unicode 14 or older"}>{};
  else if constexpr (std::is_same_v<why, private_use_character>)
    return refused_at_column<at, code, why,
                             instead{"a character of Unicode 14 or older"}>{};
  else if constexpr (std::is_same_v<why, letters_reordered_or_joined>)
    return refused_at_column<at, code, why,
                             instead{"the words in Latin letters"}>{};
  else if constexpr (std::is_same_v<why, written_right_to_left>)
    return refused_at_column<at, code, why,
                             instead{"the words in Latin letters"}>{};
  else if constexpr (std::is_same_v<why, joined_by_zero_width_joiner>)
    return refused_at_column<at, code, why,
                             instead{"each emoji apart, or one alone"}>{};
  else if constexpr (std::is_same_v<why, part_of_a_flag>)
    return refused_at_column<at, code, why,
                             instead{"the name of the country"}>{};
  else if constexpr (std::is_same_v<why, skin_tone_of_an_emoji>)
    return refused_at_column<at, code, why,
                             instead{"the emoji without a skin tone"}>{};
  else if constexpr (std::is_same_v<why, emoji_or_text_style_selector>)
    return refused_at_column<
        at, code, why, instead{"the symbol alone, or an emoji like U+1F496"}>{};
  else if constexpr (std::is_same_v<why, newer_than_unicode_14>)
    return refused_at_column<at, code, why,
                             instead{"a character of Unicode 14 or older"}>{};
  else if constexpr (std::is_same_v<why,
                                    wide_on_some_terminals_narrow_on_others>)
    return refused_at_column<at, code, why, instead{"another symbol"}>{};
  else if constexpr (std::is_same_v<why, keycap_mark_drawn_off_its_digit>)
    return refused_at_column<at, code, why, instead{"the digit alone"}>{};
  else if constexpr (std::is_same_v<why, wider_than_a_cell_as_text>)
    return refused_at_column<
        at, code, why, instead{"another symbol, or an emoji like U+1F338"}>{};
}

// What keeps a text from being drawn as written, from plain numbers, so
// that both compilers print them so; true when nothing does.
template <fault what, int at, char32_t code, refusal why>
constexpr auto reading_verdict() {
  if constexpr (what == fault::not_utf8)
    return not_utf8_from_byte_save_the_file_as_utf8<at>{};
  else if constexpr (what == fault::control)
    return refuse<at, because::a_control_character_such_as_a_tab>(
        code_point<code>());
  else if constexpr (what == fault::leading_mark)
    return refuse<at, because::a_mark_first_it_joins_what_stands_before>(
        code_point<code>());
  else if constexpr (what == fault::drawn_differently)
    return refuse<at, because::named<why>>(code_point<code>());
  else
    return true;
}

// A line's verdict: as it reads, then where it stands.
template <int x, int y, fault what, int cells, int at, char32_t code,
          refusal why, int room>
constexpr auto verdict() {
  if constexpr (what != fault::none)
    return reading_verdict<what, at, code, why>();
  else if constexpr (x < 1 || x > 66)
    return not_a_column_for_the_letter_use_1_to_66<x>{};
  else if constexpr (y != 2 && (y < 4 || y > 21))
    return not_a_row_for_the_letter_use_2_or_4_to_21<y>{};
  else if constexpr (cells > room)
    return too_wide_a_line_of_cells_from_column_with_room_for<cells, x, room>{};
  else
    return true;
}

// The line is read as the show types it; only a byte that is not UTF-8
// is counted in the file's own bytes, from 1.
template <Text line> inline constexpr auto shown = typed<line>();

template <int x, int y, Text line> constexpr auto typist() {
  constexpr Reading text = shown<line>.read();
  constexpr int at = text.what == fault::not_utf8 ? text.at + 1 : text.at + x;
  constexpr auto found =
      verdict<x, y, text.what, text.cells, at, text.c, text.why, 67 - x>();
  // A line that stands types at column x, row y; the count is the whole
  // array, so the zero byte that ends the text is typed last.
  if constexpr (std::is_same_v<decltype(found), const bool>)
    return [](int pace) {
      type_sentence(x, y, sizeof shown<line>.bytes, shown<line>.bytes, pace);
    };
  else
    return found;
}

// type_line<column, row, text>(pace) types a line of the letter. Not
// const, which the compiler's message would repeat before every reason.
template <int x, int y, Text line> inline auto type_line = typist<x, y, line>();

#endif
