// A birthday letter, shown in the console: a frame of stars, a loading
// bar, and the letter typed page by page, then one key to end.
#include <cstdio>

#include "letter_checks.h"
#include "platform/platform.h"
#include "screen/screen.h"

// The greeting and the date on row 2 stay; the rest of the page goes.
[[maybe_unused]] static void turn_page() {
  gotoxy(3, 22);
  pause_ms(2000);
  clear_continue();
  clear_content();
}

static void show_letter() {
  draw_loading(7, 10);
  clear_frame();

  // One line of code a line of the letter: <column, row, text>(pace).
  // clang-format off
  type_line<3, 2, "Dear, Ko">(200);
  pause_ms(2000);
  type_line<55, 2, "20 Juni 2013">(200);
  pause_ms(2000);
  type_line<20, 10, "Hai, Selavina Ortha Kelon...">(200);
  type_line<20, 11, "Bagaimana kabar mu hari ini?">(200);
  pause_ms(2000);
  turn_page();

  type_line<20, 8, "21 tahun yang lalu,">(200);
  type_line<20, 9, "lahir seorang mahluk Tuhan">(200);
  type_line<20, 10, "yang paling berharga">(200);
  type_line<20, 11, "untuk ku saat ini">(200);
  type_line<20, 12, "dan kuharap untuk selamanya">(200);
  turn_page();

  type_line<18, 10, "Sukar melukiskan betapa">(200);
  type_line<18, 11, "sayang, cinta, kasih ini untuk mu">(200);
  turn_page();

  type_line<20, 8, "melihatmu,">(200);
  type_line<20, 9, "ada kesedihan untuk berpisah">(200);
  type_line<20, 10, "kebahagian bersama tiada tara,">(200);
  type_line<20, 11, "kekhawatiran terhadap belia,">(200);
  turn_page();

  type_line<20, 7, "kerinduan bermanja">(200);
  type_line<20, 8, "kehangatan pelita">(200);
  type_line<20, 9, "kesejukan embun">(200);
  type_line<20, 10, "senyum yang terus terbayang">(200);
  type_line<20, 11, "Kan ku dekap dirimu hingga akhir nanti...">(200);
  turn_page();

  type_line<6, 9, "Terima Kasih telah menjadi bagian terbaik dalam hidupku">(200);
  type_line<6, 10, "dan menerima segala kekurangan.">(200);
  turn_page();

  type_line<6, 9, "Semoga kekurangan usia bermakna kelebihan atas kebaikan,">(200);
  type_line<6, 10, "cinta, syukur, dan impian.">(200);
  turn_page();

  type_line<4, 10, "*I love you more every second, every minutes, every day...">(200);
  type_line<40, 20, "Rem Tavo Gandomi">(200);
  // clang-format on
}

int main() {
  console_clear();
  music_start();

  draw_line(0, 70, 0, '*');
  draw_vertical_line(0, 1, 23, '*');
  draw_vertical_line(69, 1, 23, '*');
  draw_line(0, 70, 22, '*');

  show_letter();

  gotoxy(3, 24);
  printf("%s", "press any key to exit ...");
  key_read();
  console_exit();
  return 0;
}
