// A birthday letter, shown in the console: a frame of stars, a loading
// bar, and the letter typed page by page, then one key to end.
#include <cstdio>

#include "platform/platform.h"
#include "screen/screen.h"

int main() {
  console_clear();
  music_start();

  draw_line(0, 70, 0, '*');
  draw_vertical_line(0, 1, 23, '*');
  draw_vertical_line(69, 1, 23, '*');
  draw_line(0, 70, 22, '*');

  gotoxy(3, 24);
  printf("%s", "press any key to exit ...");
  key_read();
  console_exit();
  return 0;
}
