// The canvas routines, run for real and read back from the terminal.
#include <gtest/gtest.h>

#include "harness.h"
#include "screen/screen.h"

namespace {

const std::string stars(70, '*');
const std::string hashes(80, '#');
const std::string blanked = "#" + std::string(68, ' ') + std::string(11, '#');

Screen rows(std::initializer_list<std::pair<int, std::string>> set) {
  Screen screen(25);
  for (const auto &[row, line] : set)
    screen[row] = line;
  return screen;
}

void fill(char c) {
  for (int row = 0; row < 25; row++)
    draw_line(0, 80, row, c);
}

Screen all_but(std::initializer_list<std::pair<int, std::string>> set) {
  Screen screen(25, hashes);
  for (const auto &[row, line] : set)
    screen[row] = line;
  return screen;
}

struct Case {
  const char *name;
  void (*draw)();
  Screen expected;
};

// Cases print by their names.
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class Canvas : public testing::TestWithParam<Case> {};

TEST_P(Canvas, DrawsExactlyItsCells) {
  Capture run = capture(GetParam().draw);
  EXPECT_EQ(text(run.screen), text(GetParam().expected));
  EXPECT_TRUE(run.pauses.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Routines, Canvas,
    testing::Values(
        Case{"TopBorder", [] { draw_line(0, 70, 0, '*'); }, rows({{0, stars}})},
        Case{"EmptyRun", [] { draw_line(5, 5, 0, '*'); }, rows({})},
        Case{"BackwardRun", [] { draw_line(6, 5, 0, '*'); }, rows({})},
        Case{"LeftBorder", [] { draw_vertical_line(0, 1, 23, '*'); },
             [] {
               Screen s(25);
               for (int row = 1; row <= 22; row++)
                 s[row] = "*";
               return s;
             }()},
        Case{"Frame", draw_frame, frame_screen()},
        Case{"ClearFrameKeepsBorders",
             [] {
               fill('#');
               draw_frame();
               clear_frame();
             },
             [] {
               Screen s = frame_screen();
               for (auto &row : s)
                 row.resize(80, '#');
               return s;
             }()},
        Case{"ClearContinue",
             [] {
               fill('#');
               clear_continue();
             },
             all_but({{23, std::string(68, ' ') + std::string(12, '#')}})}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Canvas, ClearLineWritesFromTheCursor) {
  Capture run = capture([] {
    fill('#');
    gotoxy(1, 5);
    clear_line();
  });
  EXPECT_EQ(text(run.screen), text(all_but({{5, blanked}})));
  EXPECT_EQ(run.cursor_x, 69);
  EXPECT_EQ(run.cursor_y, 5);
}

// The blanking must be on the screen before the second pause starts, with
// the cursor parked on the prompt line; the header and the rows below the
// frame stay.
TEST(Canvas, ClearContentBlanksBetweenTwoPauses) {
  Capture run = capture([] {
    fill('#');
    clear_content();
  });
  ASSERT_EQ(run.pauses.size(), 2u);
  EXPECT_EQ(run.pauses[0].ms, 1000);
  EXPECT_EQ(run.pauses[1].ms, 1000);
  EXPECT_EQ(text(run.pauses[0].screen), text(all_but({})));
  Screen blank = all_but({});
  for (int row = 4; row <= 21; row++)
    blank[row] = blanked;
  EXPECT_EQ(text(run.pauses[1].screen), text(blank));
  EXPECT_EQ(run.pauses[1].cursor_x, 0);
  EXPECT_EQ(run.pauses[1].cursor_y, 24);
  for (const auto &pause : run.pauses)
    EXPECT_EQ(pause.held, 0u) << "bytes left in stdout at a pause";
}

} // namespace
