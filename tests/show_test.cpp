// The whole show of the built program: every pause in order, and every
// page as it stands before it is turned; and what the documents say of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "harness.h"
#include "letter.h"

namespace {

TEST(Show, EveryPauseInOrder) {
  ProgramRun run = run_baru();
  EXPECT_EQ(run.ms, show_pauses());
  EXPECT_EQ(run.held, 0u) << "bytes left in stdout at a pause";
}

// Each page, whole, while the cursor rests on the bottom border.
TEST(Show, EveryPageBeforeItsTurn) {
  std::vector<int> turns;
  show_pauses(&turns);
  for (int number = 1; number < pages(); number++) {
    Launch launch;
    launch.hold_at = {turns[number - 1]};
    EXPECT_EQ(text(run_baru(launch).at_hold), text(page(number))) << number;
  }
}

TEST(Show, FirstTurnKeepsOnlyTheHeader) {
  std::vector<int> turns;
  show_pauses(&turns);
  if (turns.empty())
    GTEST_SKIP() << "a letter of one page";
  Launch launch;
  launch.hold_at = {turns[0] + 3}; // the first pause of page 2's first line
  EXPECT_EQ(text(run_baru(launch).at_hold), text(page(1, false)));
}

std::string read_all(const std::string &path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The screen at the prompt, kept for the Windows and browser checks and
// for a giver to look at, the pages for the browser's, and the show's length
// wherever a document states it (on one line: "about 3 minutes 43 seconds"),
// follow the letter. With BARU_UPDATE set (bash tests/all.sh update) they are
// written anew instead.
TEST(Letter, FilesThatFollowFromItAgree) {
  bool update = std::getenv("BARU_UPDATE") != nullptr;
  std::map<std::string, std::string> wanted;
  wanted["tests/final_screen.txt"] = final_screen();
  wanted["tests/letter.json"] = letter_json();
  const std::regex stated(R"(about \d+ minutes? \d+ seconds?)");
  for (const char *doc : {"README.md", "docs/baru.6", "docs/README-windows.txt",
                          "docs/README-linux.txt", "web/README.txt"}) {
    std::string was = read_all(SOURCE_DIR "/" + std::string(doc));
    wanted[doc] =
        std::regex_search(was, stated)
            ? std::regex_replace(was, stated, "about " + length_in_words())
            : "";
  }
  for (const auto &[name, text] : wanted) {
    std::string path = SOURCE_DIR "/" + name;
    if (text.empty()) {
      ADD_FAILURE() << name << " states no length of the show";
    } else {
      if (update)
        std::ofstream(path) << text;
      EXPECT_TRUE(read_all(path) == text)
          << name << " does not follow the letter: bash tests/all.sh update";
    }
  }
}

} // namespace
