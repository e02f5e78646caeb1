// The built program from start to exit, wherever it is started: it shows
// the whole show and ends with status 0.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "letter.h"

namespace {

struct Case {
  const char *name;
  Launch launch;
};

// Cases print by their names.
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

Case with(const char *name, void (*set)(Launch &)) {
  Case c{name, {}};
  set(c.launch);
  return c;
}

class Program : public testing::TestWithParam<Case> {};

TEST_P(Program, ShowsTheWholeShowAndEndsWithStatusZero) {
  const Launch &launch = GetParam().launch;
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_EQ(run.ms.size(), show_pauses().size());
  EXPECT_EQ(total_ms(run.ms), total_ms(show_pauses()));
  EXPECT_EQ(run.held, 0u) << "bytes left in stdout at a pause";
  EXPECT_TRUE(run.modes_kept);
  EXPECT_EQ(run.unread, 0) << "input left for the shell";
  // Started with &, it draws nothing over the shell till fg.
  if (launch.background) {
    EXPECT_EQ(run.waited_in_background, launch.output == Launch::terminal);
  }
  // The key that ends it is not echoed: the last screen is the prompt's,
  // moved up a row on a terminal by the line break after the key.
  if (launch.output != Launch::nowhere) {
    EXPECT_EQ(text(run.at_end), launch.output == Launch::terminal
                                    ? final_screen_after_the_key()
                                    : final_screen());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Program,
    testing::Values(
        Case{"EnterPressed", {}},
        with("InputAtItsEnd", [](Launch &l) { l.input = Launch::at_end; }),
        with("InputFromAPipe", [](Launch &l) { l.input = Launch::piped; }),
        with("ArgumentsIgnored",
             [](Launch &l) {
               l.args = {"--help", "-x", "page"};
             }),
        with("OutputToAPipe", [](Launch &l) { l.output = Launch::pipe; }),
        with("OutputToAFile",
             [](Launch &l) {
               l.output = Launch::file;
               l.input = Launch::at_end;
             }),
        with("OutputToNowhere",
             [](Launch &l) {
               l.output = Launch::nowhere;
               l.input = Launch::at_end;
             }),
        with("InTheBackgroundInputAtItsEnd",
             [](Launch &l) {
               l.background = true;
               l.input = Launch::at_end;
             }),
        with("InTheBackgroundAsByNohup",
             [](Launch &l) {
               l.background = true;
               l.output = Launch::file;
               l.input = Launch::at_end;
             })),
    [](const auto &info) { return std::string(info.param.name); });

// Positions below the last row are passed on; the terminal keeps them on
// its last row.
TEST(Program, SurvivesATerminalOfTwentyFourRows) {
  Launch launch;
  launch.rows = 24;
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  ASSERT_EQ(run.at_prompt.size(), 24u);
  EXPECT_EQ(run.at_prompt[23], "   " + said("prompt"));
}

} // namespace
