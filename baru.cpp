// A birthday letter, shown in the console: a frame of stars, a loading
// bar, and the letter typed page by page, then one key to end.
#include <cstdio>

#include "letter_checks.h"
#include "platform/platform.h"
#include "screen/screen.h"
#include "words_checks.h"

// Every word the show says around the letter, on every screen, in the
// reader's language; the page's title and description in the letter's;
// the two languages' tags ("id", "en", "fr", "zh-Hans"...).
// clang-format off
constexpr struct {
  const char *letter_language = language<"id">;
  const char *words_language = language<"en">;
  const char *loading_caption = caption<"Loading, please wait . . .">;
  const char *loaded_caption = caption<"Loading, completed . . .">;
  const char *prompt = prompt_row<"press any key to exit ...">;
  const char *too_small = notice<"Make this window at least 70 x 24 to read the letter">;
  const char *page_title = page_words<"Sebuah surat untukmu">;
  const char *page_description = page_words<"Surat ulang tahun untukmu, diketik baris demi baris.">;
  const char *invitation = page_row<"Click, tap or press a key to open the letter.">;
  const char *turn_the_phone = page_words<"↺ Turn your phone to read the letter">;
  const char *open_button = page_words<"Open the letter">;
  const char *again_button = page_words<"Read the letter again">;
  const char *end_note = prompt_row<"The end. Click, tap or press a key to read it again.">;
} said;
// clang-format on

static void turn_page();

static void show_letter() {
  draw_loading(7, 10, said.loading_caption, said.loaded_caption);
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

// The greeting and the date on row 2 stay; the rest of the page goes.
[[maybe_unused]] static void turn_page() {
  gotoxy(3, 22);
  pause_ms(2000);
  clear_continue();
  clear_content();
}

int main() {
  console_clear(said.too_small);
  music_start();

  draw_line(0, 70, 0, '*');
  draw_vertical_line(0, 1, 23, '*');
  draw_vertical_line(69, 1, 23, '*');
  draw_line(0, 70, 22, '*');

  show_letter();

  gotoxy(3, 24);
  printf("%s", said.prompt);
  key_read();
  console_exit();
  return 0;
}
