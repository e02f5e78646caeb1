// The notice that stands in the letter's place while the window is too
// small for it.
#include "platform/posix_picture.h"

#include <cstdio>
#include <cstring>

#include "text/cells.h"

int notice_drawn(char *drawn, const char *notice, int cols, int rows) {
  int lines = 0, starts[25], lengths[25];
  for (int at = 0, len = static_cast<int>(strlen(notice));
       at < len && lines < 25 && lines < rows; lines++) {
    int end = at + line_bytes(notice + at, len - at, cols);
    starts[lines] = at;
    lengths[lines] = end - at - (notice[end - 1] == ' ');
    at = end;
  }
  int n = sprintf(drawn, "\x1b[2J"); // ED 2: erase the whole display
  int top = (rows - lines) / 2;
  for (int line = 0; line < lines; line++) { // CUP, centred, then the line
    int cells = text_cells(notice + starts[line], lengths[line]);
    n += sprintf(drawn + n, "\x1b[%d;%dH%.*s", top + line + 1,
                 cols > cells ? (cols - cells) / 2 + 1 : 1, lengths[line],
                 notice + starts[line]);
  }
  return n;
}
