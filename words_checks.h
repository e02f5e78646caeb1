// What the build checks of every word the show says around the letter:
// that it stands on every screen as written, where the show puts it. Each
// kind below gives its text; at words that do not stand, the build stops,
// and the compiler's first error there says why, as at a line.
#ifndef BARU_WORDS_CHECKS_H
#define BARU_WORDS_CHECKS_H

#include <type_traits>

#include "letter_checks.h"
#include "text/cells.h"

// Words the show says around the letter, each where the show puts them:
// read as a line is, and measured against the room they have there. They
// give their text as the show writes it; the reasons a text could not be
// given name themselves in the build's message.
template <int cells, int room>
struct too_many_cells_for_where_the_words_stand_with_room_for {};
template <int lines, int most>
struct a_notice_of_lines_in_a_window_of_40_columns_use_at_most {};
template <int byte>
struct not_a_language_tag_write_one_such_as_en_id_fr_or_zh_Hans_from_byte {};

// The verdict on words: as they read, then their room.
template <fault what, int cells, int at, char32_t code, refusal why, int room>
constexpr auto words_verdict() {
  if constexpr (what != fault::none)
    return reading_verdict<what, at, code, why>();
  else if constexpr (cells > room)
    return too_many_cells_for_where_the_words_stand_with_room_for<cells,
                                                                  room>{};
  else
    return true;
}

template <Text words, int room> constexpr auto checked_words() {
  // A byte or a cell counted from 1, from the words' start.
  constexpr Reading text = shown<words>.read();
  constexpr auto found = words_verdict<text.what, text.cells, text.at + 1,
                                       text.c, text.why, room>();
  if constexpr (std::is_same_v<decltype(found), const bool>)
    return static_cast<const char *>(shown<words>.bytes);
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
  constexpr int n = sizeof shown<words>.bytes - 1;
  constexpr int lines = [] {
    int count = 0;
    for (int at = 0; at < n; count++)
      at += line_bytes(shown<words>.bytes + at, n - at, 40);
    return count;
  }();
  if constexpr (!std::is_same_v<decltype(fits), const char *const>)
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
    return static_cast<const char *>(tag.bytes);
}
template <Text tag> constexpr auto language = language_tag<tag>();

#endif
