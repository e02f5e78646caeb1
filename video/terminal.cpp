#include "video/terminal.h"

VTerm *new_terminal(int rows, int cols) {
  VTerm *vt = vterm_new(rows, cols);
  vterm_set_utf8(vt, 1);
  vterm_screen_reset(vterm_obtain_screen(vt), 1);
  return vt;
}

std::string utf8_of(const uint32_t *chars) {
  static const unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
  std::string bytes;
  for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && chars[i]; i++) {
    uint32_t c = chars[i];
    int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    bytes += static_cast<char>(lead[tail] | c >> 6 * tail);
    for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6)
      bytes += static_cast<char>(0x80 | (c >> shift & 0x3F));
  }
  return bytes;
}
