// libvterm as Debian 12 ships it counts a character's cells by Unicode 9:
// an emoji newer than that (🥰, 🥹) takes one cell there and two on every
// terminal of today. Its two lookups are taken over here, by the table the
// show counts by, so the tests' terminal and the video's draw a letter as
// today's terminals do. This works with libvterm linked statically: its
// own lookups, in a member of their own, are then never linked in.
//
// With BARU_COUNTED_OTHERWISE set, the tests' terminal counts as some do
// not: 🥹 and 🫶 one cell (Debian 12's mlterm), and a mark a cell of its
// own (terminology's Thai marks, and every other for good measure).
#include <cstdint>
#include <cstdlib>

#include "text/cells.h"

static bool counted_otherwise(uint32_t c) {
  static const bool otherwise = getenv("BARU_COUNTED_OTHERWISE") != nullptr;
  return otherwise && (c == 0x1F979 || c == 0x1FAF6 || joins(c));
}

extern "C" int vterm_unicode_width(uint32_t codepoint) {
  return counted_otherwise(codepoint) ? 1 : cells(codepoint);
}

extern "C" int vterm_unicode_is_combining(uint32_t codepoint) {
  return !counted_otherwise(codepoint) && joins(codepoint);
}
