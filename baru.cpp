// A birthday letter, shown in the console: a frame of stars, a loading
// bar, and the letter typed page by page, then one key to end.
#include <cstddef>
#include <cstdio>

#include "platform/platform.h"
#include "screen/cells.h"
#include "screen/screen.h"

// A line's text, held by the build, which measures it.
template <std::size_t N> struct Text {
  char bytes[N];
  constexpr Text(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; i++)
      bytes[i] = text[i];
  }
  constexpr int cells() const { return text_cells(bytes, N - 1); }
};

// Whether a line is UTF-8 text and every cell of it, with the cell of the
// zero byte that ends it, lands inside the frame's interior (columns 1 to
// 67), on the greeting's row 2 or on a page's rows 4 to 21.
template <int x, int y, Text line> constexpr bool fits() {
  return line.cells() >= 0 && x >= 1 && x + line.cells() <= 67 &&
         (y == 2 || (y >= 4 && y <= 21));
}

// Types one line of the letter at column x, row y; the count is the whole
// array, so the zero byte that ends the text is typed last.
template <int x, int y, Text line>
requires(fits<x, y, line>()) static void type_line(int pace) {
  type_sentence(x, y, sizeof line.bytes, line.bytes, pace);
}

// A line that does not fit stops the build at its call, which the compiler
// shows, text and all, with what is wrong in the words below.
template <int x, int y, Text line, bool printable_utf8 = line.cells() >= 0,
          int width_in_cells = line.cells(),
          int room_at_its_column = x >= 1 && x <= 67 ? 67 - x : 0,
          bool on_row_2_or_4_to_21 = y == 2 || (y >= 4 && y <= 21)>
requires(!fits<x, y, line>()) void type_line(int pace) = delete;

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
