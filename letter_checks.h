// What the build checks of each line of the letter, and of every word the
// show says around it: that it stands on every screen as written, where it
// stands. type_line<column, row, text>(pace) types a line that does; at a
// line or words that do not, the build stops, and the compiler's first
// error there says why.
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

/* --------------------------- The show's words -------------------------- */

// Words the show says around the letter, each where the show puts them:
// read as a line is, and measured against the room they have there. They
// convert to their text; the reasons they would not convert to Words
// name themselves in the build's message.
using Words = const char *;
template <int cells, int room>
struct too_many_cells_for_where_the_words_stand_with_room_for {};
template <int lines, int most>
struct a_notice_of_lines_in_a_window_of_40_columns_use_at_most {};
template <int byte>
struct not_a_language_tag_write_one_such_as_en_id_fr_or_zh_Hans_from_byte {};

// The verdict on words, from plain numbers, as on a line.
template <fault what, int cells, int at, char32_t code, refusal why, int room>
constexpr auto words_verdict() {
  if constexpr (what != fault::none)
    return verdict<1, 4, what, cells, at, code, why, room>();
  else if constexpr (cells > room)
    return too_many_cells_for_where_the_words_stand_with_room_for<cells,
                                                                  room>{};
  else
    return true;
}

template <Text words, int room> constexpr auto checked_words() {
  // A byte or a cell counted from 1, from the words' start.
  constexpr Reading text = words.read();
  constexpr auto found = words_verdict<text.what, text.cells, text.at + 1,
                                       text.c, text.why, room>();
  if constexpr (std::is_same_v<decltype(found), const bool>)
    return static_cast<Words>(words.bytes);
  else
    return found;
}

// A caption of the loading bar, in the frame's interior: the waiting one
// from column 22, the completed one from column 23, to column 68.
template <Text words> constexpr auto caption = checked_words<words, 46>();
// On the prompt's row below the frame, from column 3: the prompt, and on
// the page the note that replaces it at the end.
template <Text words> constexpr auto prompt_row = checked_words<words, 67>();
// Centred on a row of the page's 70 columns: its invitation.
template <Text words> constexpr auto page_row = checked_words<words, 70>();
// The page's own words around its terminal: its title, its description,
// its buttons, the line that says to turn a phone.
template <Text words> constexpr auto page_words = checked_words<words, 200>();

template <int lines> constexpr auto too_many_lines() {
  return a_notice_of_lines_in_a_window_of_40_columns_use_at_most<lines, 4>{};
}

// In a window too small for the letter, centred, broken at blanks into
// lines as wide as the window: whole in a window of 40 columns and as few
// rows.
template <Text words> constexpr auto small_window_notice() {
  constexpr auto fits = checked_words<words, 160>();
  constexpr int n = sizeof words.bytes - 1;
  constexpr int lines = [] {
    int count = 0;
    for (int at = 0; at < n; count++)
      at += line_bytes(words.bytes + at, n - at, 40);
    return count;
  }();
  if constexpr (!std::is_same_v<decltype(fits), const Words>)
    return fits;
  else if constexpr (lines > 4)
    return too_many_lines<lines>();
  else
    return fits;
}
template <Text words> constexpr auto notice = small_window_notice<words>();

template <int byte> constexpr auto not_a_tag() {
  return not_a_language_tag_write_one_such_as_en_id_fr_or_zh_Hans_from_byte<
      byte>{};
}

// A language's tag, as a page and a screen reader take it: a primary
// language of two or three letters, then subtags of letters and digits,
// each after a hyphen ("en", "id", "pt-BR", "zh-Hans").
template <Text tag> constexpr auto language_tag() {
  constexpr int fault = [] {
    constexpr int n = sizeof tag.bytes - 1;
    auto letter = [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    int at = 0, length = 0;
    for (; at < n && letter(tag.bytes[at]); at++)
      length++;
    if (length < 2 || length > 3)
      return at + 1;
    while (at < n) {
      if (tag.bytes[at++] != '-')
        return at;
      length = 0;
      for (; at < n && (letter(tag.bytes[at]) || digit(tag.bytes[at])); at++)
        length++;
      if (length < 1 || length > 8)
        return at + 1;
    }
    return 0;
  }();
  if constexpr (fault > 0)
    return not_a_tag<fault>();
  else
    return static_cast<Words>(tag.bytes);
}
template <Text tag> constexpr auto language = language_tag<tag>();

#endif
