// The built program from start to exit on a pseudo-terminal.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "harness.h"

namespace {

// The screen as the prompt appears, shared with the Windows check.
std::string final_screen() {
  std::ifstream file(FINAL_SCREEN);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

struct Case {
  const char *name;
  Launch launch;
};

// Cases print by their names.
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class Program : public testing::TestWithParam<Case> {};

TEST_P(Program, EndsOnTheFinalScreenWithStatusZero) {
  ProgramRun run = run_baru(GetParam().launch);
  EXPECT_EQ(text(run.at_prompt), final_screen());
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_EQ(run.held, 0u) << "bytes left in stdout at a pause";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Program,
    testing::Values(Case{"EnterPressed", {}},
                    Case{"InputAtItsEnd",
                         [] {
                           Launch launch;
                           launch.input_at_end = true;
                           return launch;
                         }()},
                    Case{"ArgumentsIgnored",
                         [] {
                           Launch launch;
                           launch.args = {"--help", "-x", "page"};
                           return launch;
                         }()}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
