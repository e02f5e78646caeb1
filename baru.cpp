// A birthday letter, shown in the console: a frame of stars, a loading
// bar, and the letter typed page by page, then one key to end.
#include <cstddef>
#include <cstdio>
#include <type_traits>

#include "platform/platform.h"
#include "screen/cells.h"
#include "screen/screen.h"

// A line's text, held by the build, which reads it.
template <std::size_t N> struct Text {
  char bytes[N];
  constexpr Text(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; i++)
      bytes[i] = text[i];
  }
  constexpr Reading read() const { return read_text(bytes, N - 1); }
};

// What stops the build at a line that would not stand on every screen as
// written: the compiler names the type it cannot call, which says why in
// words and numbers. Every cell of a line, with the cell of the zero byte
// that ends it, lands inside the frame's interior (columns 1 to 67), on
// the greeting's row 2 or on a page's rows 4 to 21.
template <int cells, int column, int room>
struct too_wide_a_line_of_cells_from_column_with_room_for {};
template <int column> struct not_a_column_for_the_letter_use_1_to_66 {};
template <int row> struct not_a_row_for_the_letter_use_2_or_4_to_21 {};
template <int byte> struct not_utf8_from_byte_save_the_file_as_utf8 {};
template <int column, char32_t code>
struct a_control_character_such_as_a_tab_at_column_with_code {};
template <char32_t code>
struct a_line_may_not_begin_with_a_mark_it_joins_what_stands_before {};
template <int column, char32_t code, class why>
struct refused_the_character_at_column_code {};

// The reason given by its own name, not by the table's.
template <int column, char32_t code, class why> constexpr auto refuse(why) {
  return refused_the_character_at_column_code<column, code, why>{};
}

// The verdict, from plain numbers, so that both compilers print them so.
template <int x, int y, fault what, int cells, int at, char32_t code,
          refusal why, int room>
constexpr auto verdict() {
  if constexpr (what == fault::not_utf8)
    return not_utf8_from_byte_save_the_file_as_utf8<at>{};
  else if constexpr (what == fault::control)
    return a_control_character_such_as_a_tab_at_column_with_code<at, code>{};
  else if constexpr (what == fault::leading_mark)
    return a_line_may_not_begin_with_a_mark_it_joins_what_stands_before<code>{};
  else if constexpr (what == fault::drawn_differently)
    return refuse<at, code>(drawn_differently::named<why>{});
  else if constexpr (x < 1 || x > 66)
    return not_a_column_for_the_letter_use_1_to_66<x>{};
  else if constexpr (y != 2 && (y < 4 || y > 21))
    return not_a_row_for_the_letter_use_2_or_4_to_21<y>{};
  else if constexpr (cells > room)
    return too_wide_a_line_of_cells_from_column_with_room_for<cells, x, room>{};
  else
    return true;
}

template <int x, int y, Text line> constexpr auto typist() {
  constexpr Reading text = line.read();
  // A byte counted from 1, a cell from the left edge, as columns are.
  constexpr int at = text.what == fault::not_utf8 ? text.at + 1 : text.at + x;
  constexpr auto found =
      verdict<x, y, text.what, text.cells, at, text.c, text.why, 67 - x>();
  // A line that stands types at column x, row y; the count is the whole
  // array, so the zero byte that ends the text is typed last.
  if constexpr (std::is_same_v<decltype(found), const bool>)
    return [](int pace) {
      type_sentence(x, y, sizeof line.bytes, line.bytes, pace);
    };
  else
    return found;
}

// type_line<column, row, text>(pace) types a line of the letter.
template <int x, int y, Text line>
constexpr auto type_line = typist<x, y, line>();

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
