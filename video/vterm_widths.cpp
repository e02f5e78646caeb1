// libvterm as Debian 12 ships it counts a character's cells by Unicode 9:
// an emoji newer than that (🥰, 🥹) takes one cell there and two on every
// terminal of today. Its two lookups are taken over here, by the table the
// show counts by, so the tests' terminal and the video's draw a letter as
// today's terminals do. This works with libvterm linked statically: its
// own lookups, in a member of their own, are then never linked in.
#include <cstdint>

#include "text/cells.h"

extern "C" int vterm_unicode_width(uint32_t codepoint) {
  return cells(codepoint);
}

extern "C" int vterm_unicode_is_combining(uint32_t codepoint) {
  return joins(codepoint);
}
