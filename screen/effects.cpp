// The typewriter and the loading bar, both paced by blocking pauses.
#include <cstdio>
#include <initializer_list>

#include "platform/platform.h"
#include "screen/screen.h"
#include "text/cells.h"

// Writes exactly n_chars bytes, a zero byte included, a keystroke at a
// time: a character goes out whole, with its marks, then its pause. Only a
// blank is fast. A terminal may count a mark or an emoji in other cells
// than the show (see counted_alike): after one, the cursor is placed
// again where the show counts it, so that only that letter may sit
// otherwise, and the frame's right side, should that letter's marks have
// reached it, is drawn again with what lies past it blank.
void type_sentence(int x, int y, int n_chars, const char *line, int pace) {
  pause_ms(1000);
  gotoxy(x, y);
  bool placed = true;
  for (int i = 0, column = x; i < n_chars;) {
    int n = keystroke_bytes(line + i, n_chars - i);
    if (!placed && static_cast<unsigned char>(line[i]) >= ' ')
      gotoxy(column, y);
    placed = counted_alike(line + i, n);
    int reach = column + widest_cells(line + i, n);
    char32_t c = 0;
    column += utf8_char(line + i, n, c) ? cells(c) : 1;
    bool blank = line[i] == ' ';
    for (int end = i + n; i < end;)
      putchar(line[i++]);
    // Right to left, each cell placed: on a terminal only as wide as the
    // frame (the page's) a placement past the last column lands on it,
    // and a second character written on would wrap onto the next row.
    for (int cell = reach - 1; !placed && cell >= 69; cell--) {
      gotoxy(cell, y);
      putchar(cell == 69 ? '*' : ' ');
    }
    pause_ms(blank ? 20 : pace);
  }
  pause_ms(1000);
}

// Anchor (x, y) is the first of the 50 bar cells; the captions stand two
// rows above it, the percentage right of the closing bracket.
void draw_loading(int x, int y, const char *waiting, const char *completed) {
  gotoxy(x + 15, y - 2);
  printf("%s", waiting);
  gotoxy(x - 1, y);
  putchar('[');
  gotoxy(x + 51, y);
  putchar(']');
  for (int cell = 0; cell < 50; cell++) {
    // A spinner in the cell itself; its last phase, '=', stays.
    for (char phase : {'\\', '|', '/', '='}) {
      gotoxy(x + cell, y);
      putchar(phase);
      pause_ms(20);
    }
    // Never shorter than the one before, so each covers the last.
    gotoxy(x + 52, y);
    printf("%3.2f%%", (cell + 1) / 50.0 * 100.0);
  }
  // The whole caption row goes, so nothing of the longer caption is left.
  gotoxy(1, y - 2);
  clear_line();
  gotoxy(x + 16, y - 2);
  printf("%s", completed);
  pause_ms(3000);
}
