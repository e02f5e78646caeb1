// What the build checks of each line of the letter: that it stands on
// every screen as written, inside the frame. type_line<column, row,
// text>(pace) types a line that does; at a line that does not, the build
// stops, and the compiler's first error there says why.
#ifndef BARU_LETTER_CHECKS_H
#define BARU_LETTER_CHECKS_H

#include <cstddef>
#include <type_traits>

#include "screen/screen.h"
#include "text/cells.h"

// A line's text, held by the build, which reads it.
template <std::size_t N> struct Text {
  char bytes[N];
  constexpr Text(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; i++)
      bytes[i] = text[i];
  }
  constexpr Reading read() const { return read_text(bytes, N - 1); }
};

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
template <int column, char32_t code>
struct a_control_character_such_as_a_tab_at_column_with_code {};
template <char32_t code>
struct a_line_may_not_begin_with_a_mark_it_joins_what_stands_before {};
template <int column, char32_t code, class why>
struct refused_the_character_at_column_code {};

// The reason given by its own name, not by the table's.
template <int column, char32_t code, class why> constexpr auto refuse(why) {
  return refused_the_character_at_column_code<column, code, why>{};
}

// The verdict, from plain numbers, so that both compilers print them so.
template <int x, int y, fault what, int cells, int at, char32_t code,
          refusal why, int room>
constexpr auto verdict() {
  if constexpr (what == fault::not_utf8)
    return not_utf8_from_byte_save_the_file_as_utf8<at>{};
  else if constexpr (what == fault::control)
    return a_control_character_such_as_a_tab_at_column_with_code<at, code>{};
  else if constexpr (what == fault::leading_mark)
    return a_line_may_not_begin_with_a_mark_it_joins_what_stands_before<code>{};
  else if constexpr (what == fault::drawn_differently)
    return refuse<at, code>(drawn_differently::named<why>{});
  else if constexpr (x < 1 || x > 66)
    return not_a_column_for_the_letter_use_1_to_66<x>{};
  else if constexpr (y != 2 && (y < 4 || y > 21))
    return not_a_row_for_the_letter_use_2_or_4_to_21<y>{};
  else if constexpr (cells > room)
    return too_wide_a_line_of_cells_from_column_with_room_for<cells, x, room>{};
  else
    return true;
}

template <int x, int y, Text line> constexpr auto typist() {
  constexpr Reading text = line.read();
  // A byte counted from 1, a cell from the left edge, as columns are.
  constexpr int at = text.what == fault::not_utf8 ? text.at + 1 : text.at + x;
  constexpr auto found =
      verdict<x, y, text.what, text.cells, at, text.c, text.why, 67 - x>();
  // A line that stands types at column x, row y; the count is the whole
  // array, so the zero byte that ends the text is typed last.
  if constexpr (std::is_same_v<decltype(found), const bool>)
    return [](int pace) {
      type_sentence(x, y, sizeof line.bytes, line.bytes, pace);
    };
  else
    return found;
}

// type_line<column, row, text>(pace) types a line of the letter.
template <int x, int y, Text line>
constexpr auto type_line = typist<x, y, line>();

#endif
