// Cursor placement, runs of one character, and blanking of the fixed
// regions of the show's 70x23 frame.
#include "screen/screen.h"

#include <cstdio>

#include "platform/platform.h"

void gotoxy(int x, int y) { cursor_place(x, y); }

// The cursor is placed before every character, not once for the run.
void draw_line(int first, int end, int row, char fill) {
  for (int col = first; col < end; col++) {
    gotoxy(col, row);
    putchar(fill);
  }
}

void draw_vertical_line(int col, int first, int end, char fill) {
  for (int row = first; row < end; row++) {
    gotoxy(col, row);
    putchar(fill);
  }
}

void clear_line() {
  for (int i = 0; i < 68; i++)
    putchar(' ');
}

void clear_frame() {
  for (int row = 1; row <= 21; row++) {
    gotoxy(1, row);
    clear_line();
  }
}

// Starting at column 0, the blanks cover columns 0 to 67.
void clear_continue() {
  gotoxy(0, 23);
  clear_line();
}

// The header rows 1-3 stay; the cursor is parked on the prompt line.
void clear_content() {
  pause_ms(1000);
  for (int row = 4; row <= 21; row++) {
    gotoxy(1, row);
    clear_line();
  }
  gotoxy(0, 24);
  pause_ms(1000);
}
