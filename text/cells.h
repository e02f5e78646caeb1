// The characters of UTF-8 text: the bytes each takes, the cells a terminal
// gives it, and which go out together as one keystroke. All of it can be
// worked out while the program is built, so a letter that does not fit
// stops the build.
#ifndef BARU_TEXT_CELLS_H
#define BARU_TEXT_CELLS_H

#include "text/widths.h"

// The bytes a character takes, read off its first byte: 0 for a byte that
// cannot begin one.
constexpr int utf8_bytes(char first) {
  auto b = static_cast<unsigned char>(first);
  return b < 0x80   ? 1
         : b < 0xC2 ? 0
         : b < 0xE0 ? 2
         : b < 0xF0 ? 3
         : b < 0xF5 ? 4
                    : 0;
}

// The character that the n bytes at s begin with, into c; its length in
// bytes, or 0 when they do not begin a whole, valid one (cut short, a
// stray or missing continuation byte, an overlong form, a surrogate, past
// U+10FFFF).
constexpr int utf8_char(const char *s, int n, char32_t &c) {
  int length = n > 0 ? utf8_bytes(s[0]) : 0;
  if (length == 0 || length > n)
    return 0;
  constexpr unsigned char lead_bits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  c = static_cast<unsigned char>(s[0]) & lead_bits[length];
  for (int i = 1; i < length; i++) {
    auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80)
      return 0;
    c = c << 6 | (b & 0x3F);
  }
  constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  return c < least[length] || surrogate || c > 0x10FFFF ? 0 : length;
}

// The first bytes of the n at s that hold whole characters: a character
// cut short at the end, its first bytes there and the rest still to come,
// is left out.
constexpr int whole_bytes(const char *s, int n) {
  for (int back = 1; back <= 3 && back <= n; back++)
    if ((s[n - back] & 0xC0) != 0x80) // the last character's first byte
      return utf8_bytes(s[n - back]) > back ? n - back : n;
  return n;
}

// A control moves the cursor or shows nothing; it is no text of its own.
// So are the line and paragraph separators, which break a line.
constexpr bool is_control(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

// The row of a table of ranges that holds c, or -1. (An index, not a
// pointer: GCC's sanitizers take a pointer's test out of constant
// expressions.)
template <class Row, int N>
constexpr int row_of(const Row (&table)[N], char32_t c) {
  int low = 0, high = N - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    if (c < table[mid].first)
      high = mid - 1;
    else if (c > table[mid].last)
      low = mid + 1;
    else
      return mid;
  }
  return -1;
}

// The cells a character takes: 2 for wide and fullwidth characters and
// emoji, 0 for combining marks, selectors, joiners and controls, 1 for
// the rest.
constexpr int cells(char32_t c) {
  int row = row_of(widths, c);
  return row >= 0 ? widths[row].cells : 1;
}

// Whether c joins the character before it on the screen.
constexpr bool joins(char32_t c) { return cells(c) == 0 && !is_control(c); }

// Whether c is drawn as an emoji by itself, wide and in colour.
constexpr bool is_emoji(char32_t c) { return row_of(emoji, c) >= 0; }

// The bytes at s that go out as one keystroke: a character with the
// marks, selectors and joiners that follow it, so that no half-drawn
// character shows. A control (the zero byte that ends a line among them)
// goes alone, and so does a byte that is not UTF-8.
constexpr int keystroke_bytes(const char *s, int n) {
  char32_t c = 0;
  int length = utf8_char(s, n, c);
  if (length == 0 || is_control(c))
    return 1;
  // After a zero-width joiner, the character it joins comes too: an emoji
  // of several is drawn as one.
  for (int next = 0, joiner = 0;
       (next = utf8_char(s + length, n - length, c)) > 0 &&
       (joins(c) || (joiner && !is_control(c)));
       joiner = c == 0x200D)
    length += next;
  return length;
}

// Whether terminals may count a keystroke (see keystroke_bytes) in other
// cells than the show: a mark, which some give a cell of its own, or an
// emoji, which those that count by an older Unicode give one.
constexpr bool counted_alike(const char *s, int n) {
  char32_t c = 0;
  int length = utf8_char(s, n, c);
  return length == n && !is_emoji(c);
}

// The cells a keystroke may take at most on such a terminal: its own, and
// a cell for each mark.
constexpr int widest_cells(const char *s, int n) {
  int most = 0;
  for (int at = 0; at < n;) {
    char32_t c = 0;
    int length = utf8_char(s + at, n - at, c);
    most += length == 0 || joins(c) ? 1 : cells(c);
    at += length == 0 ? 1 : length;
  }
  return most;
}

// What a line of text is: its cells, or what keeps it from being drawn
// as written, and where.
enum class fault {
  none,
  not_utf8,          // at a byte
  control,           // at a cell: a tab, a line break
  leading_mark,      // which would join what stands before the line
  drawn_differently, // at a cell: a character some screens draw otherwise
};
struct Reading {
  int cells;
  fault what;
  int at;     // the byte or the cell, counted from the line's start
  char32_t c; // the character there
  refusal why;
};

// A refused character's column is the cell it lands in; a mark's, its
// letter's. After a digit, U+FE0F is the first half of a keycap, which is
// refused as one.
constexpr Reading read_text(const char *s, int n) {
  int total = 0, last = 0; // the cells, the last character's
  for (int at = 0; at < n;) {
    char32_t c = 0, next = 0;
    int length = utf8_char(s + at, n - at, c);
    if (length == 0)
      return {total, fault::not_utf8, at, 0, {}};
    if (c == 0xFE0F && utf8_char(s + at + length, n - at - length, next) &&
        next == 0x20E3)
      c = next;
    int refused_row = row_of(refused, c);
    int column = joins(c) ? total - last : total;
    if (is_control(c))
      return {total, fault::control, total, c, {}};
    if (at == 0 && joins(c))
      return {total, fault::leading_mark, 0, c, {}};
    if (refused_row >= 0)
      return {total, fault::drawn_differently, column, c,
              refused[refused_row].why};
    last = joins(c) ? last : cells(c);
    total += cells(c);
    at += length;
  }
  return {total, fault::none, 0, 0, {}};
}

// The cells that the n bytes of text take, or -1 unless they read whole.
constexpr int text_cells(const char *s, int n) {
  Reading text = read_text(s, n);
  return text.what == fault::none ? text.cells : -1;
}

// The bytes of the first line when the n bytes of text at s are broken at
// blanks into lines of at most width cells, the blank it ends at with
// them; a word wider than a line is broken between two characters.
constexpr int line_bytes(const char *s, int n, int width) {
  int at = 0, used = 0, blank = -1;
  for (char32_t c = ' '; at < n; at += keystroke_bytes(s + at, n - at)) {
    if (s[at] == ' ')
      blank = at;
    if (utf8_char(s + at, n - at, c) == 0 || (used += cells(c)) > width)
      break;
  }
  if (at == n)
    return n;
  if (blank >= 0)
    return blank + 1;
  return at > 0 ? at : keystroke_bytes(s, n);
}

#endif
