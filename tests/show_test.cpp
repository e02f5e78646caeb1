// The whole show of the built program: every pause in order, and every
// page as it stands before it is turned.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

struct Line {
  int page, x, y;
  const char *text;
  int extra; // pause after the line, on top of the typewriter's own
};

const Line letter[] = {
    {1, 3, 2, "Dear, Ko", 2000},
    {1, 55, 2, "20 Juni 2013", 2000},
    {1, 20, 10, "Hai, Selavina Ortha Kelon...", 0},
    {1, 20, 11, "Bagaimana kabar mu hari ini?", 2000},
    {2, 20, 8, "21 tahun yang lalu,", 0},
    {2, 20, 9, "lahir seorang mahluk Tuhan", 0},
    {2, 20, 10, "yang paling berharga", 0},
    {2, 20, 11, "untuk ku saat ini", 0},
    {2, 20, 12, "dan kuharap untuk selamanya", 0},
    {3, 18, 10, "Sukar melukiskan betapa", 0},
    {3, 18, 11, "sayang, cinta, kasih ini untuk mu", 0},
    {4, 20, 8, "melihatmu,", 0},
    {4, 20, 9, "ada kesedihan untuk berpisah", 0},
    {4, 20, 10, "kebahagian bersama tiada tara,", 0},
    {4, 20, 11, "kekhawatiran terhadap belia,", 0},
    {5, 20, 7, "kerinduan bermanja", 0},
    {5, 20, 8, "kehangatan pelita", 0},
    {5, 20, 9, "kesejukan embun", 0},
    {5, 20, 10, "senyum yang terus terbayang", 0},
    {5, 20, 11, "Kan ku dekap dirimu hingga akhir nanti...", 0},
    {6, 6, 9, "Terima Kasih telah menjadi bagian terbaik dalam hidupku", 0},
    {6, 6, 10, "dan menerima segala kekurangan.", 0},
    {7, 6, 9, "Semoga kekurangan usia bermakna kelebihan atas kebaikan,", 0},
    {7, 6, 10, "cinta, syukur, dan impian.", 0},
    {8, 4, 10, "*I love you more every second, every minutes, every day...", 0},
    {8, 40, 20, "Rem Tavo Gandomi", 0},
};

// The pauses the show must make, from the letter above; turns[p - 1] is
// the pause that begins the turn after page p.
std::vector<int> show_pauses(std::vector<int> &turns) {
  std::vector<int> ms(200, 20); // loading bar: 50 cells of four phases
  ms.push_back(3000);
  const int lines = static_cast<int>(std::size(letter));
  for (int i = 0; i < lines; i++) {
    const Line &line = letter[i];
    ms.push_back(1000);
    for (const char *c = line.text;; c++) {
      ms.push_back(*c == ' ' ? 20 : 200);
      if (*c == '\0')
        break;
    }
    ms.push_back(1000);
    if (line.extra)
      ms.push_back(line.extra);
    if (line.page < 8 && letter[i + 1].page != line.page) {
      turns.push_back(static_cast<int>(ms.size()));
      ms.insert(ms.end(), {2000, 1000, 1000});
    }
  }
  return ms;
}

Screen page(int number) {
  Screen screen = frame_screen();
  for (const Line &line : letter)
    if (line.page == number || line.y == 2)
      put(screen, line.x, line.y, line.text);
  return screen;
}

TEST(Show, EveryPauseInOrder) {
  std::vector<int> turns;
  std::vector<int> expected = show_pauses(turns);
  ProgramRun run = run_baru();
  EXPECT_EQ(run.ms, expected);
  EXPECT_EQ(run.ms.size(), 1000u);
  EXPECT_EQ(total_ms(run.ms), 223020);
  EXPECT_EQ(run.held, 0u) << "bytes left in stdout at a pause";
}

// Each page, whole, while the cursor rests on the bottom border.
TEST(Show, EveryPageBeforeItsTurn) {
  std::vector<int> turns;
  show_pauses(turns);
  ASSERT_EQ(turns.size(), 7u);
  for (int number = 1; number <= 7; number++) {
    Launch launch;
    launch.hold_at = {turns[number - 1]};
    EXPECT_EQ(text(run_baru(launch).at_hold), text(page(number))) << number;
  }
}

TEST(Show, FirstTurnKeepsOnlyTheHeader) {
  std::vector<int> turns;
  show_pauses(turns);
  Launch launch;
  launch.hold_at = {turns[0] + 3}; // the first pause of page 2's first line
  EXPECT_EQ(text(run_baru(launch).at_hold), text(page(0)));
}

} // namespace
