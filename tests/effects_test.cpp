// The typewriter and the loading bar: every pause, and what stands on the
// screen when each pause begins.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <sstream>

#include "harness.h"
#include "screen/screen.h"
#include "text/cells.h"
#include "text/typed.h"

namespace {

std::vector<int> pauses_of(const Capture &run) {
  std::vector<int> ms;
  for (const auto &pause : run.pauses) {
    EXPECT_EQ(pause.held, 0u) << "bytes left in stdout at a pause";
    ms.push_back(pause.ms);
  }
  return ms;
}

struct Typed {
  const char *name;
  std::string line; // the counted bytes, a zero byte included where given
  int pace;
  std::vector<int> ms;
};

void PrintTo(const Typed &c, std::ostream *os) { *os << c.name; }

class Typewriter : public testing::TestWithParam<Typed> {};

// Every character a letter may hold takes the cells that the C library
// gives it, by which tmux and other terminals count: a judge of the
// widths' table of its own.
TEST(Typewriter, EveryCharacterABuildTakesHasTheCLibrarysCells) {
  ASSERT_TRUE(setlocale(LC_CTYPE, "C.UTF-8"));
  for (char32_t c = 0x20; c <= 0x10FFFF; c++) {
    bool taken =
        (c < 0xD800 || c > 0xDFFF) && !is_control(c) && row_of(refused, c) < 0;
    if (taken) {
      ASSERT_EQ(cells(c), wcwidth(static_cast<wchar_t>(c))) << std::hex << c;
    }
  }
  setlocale(LC_CTYPE, "C");
}

// The text the show types for a line, as a string.
std::string typed(const std::string &given) {
  std::string out(3 * given.size() + 8, '\0');
  int n = typed_text(given.data(), static_cast<int>(given.size()), out.data(),
                     static_cast<int>(out.size()));
  return out.substr(0, static_cast<std::size_t>(n > 0 ? n : 0));
}

// Text is composed as Unicode's own test of its form C says
// (NormalizationTest.txt, in Debian's unicode-data): each line's source,
// composed and decomposed forms all come out as the composed one. And
// what no screen draws as written is left out.
TEST(Typewriter, TextComposedAsUnicodesOwnTestSays) {
  FILE *data = popen("bzcat /usr/share/unicode/NormalizationTest.txt.bz2", "r");
  ASSERT_TRUE(data);
  char line[1024];
  int checked = 0;
  while (fgets(line, sizeof line, data)) {
    if (line[0] == '#' || line[0] == '@')
      continue;
    std::istringstream fields(line);
    std::string forms[3], field;
    for (std::string &form : forms) {
      std::getline(fields, field, ';');
      std::istringstream hex(field);
      for (unsigned c; hex >> std::hex >> c;) {
        char bytes[4];
        form.append(bytes, static_cast<std::size_t>(utf8_put(c, bytes, 4)));
      }
    }
    for (const std::string &form : forms)
      ASSERT_EQ(typed(form), forms[1]) << line;
    checked++;
  }
  pclose(data);
  EXPECT_GT(checked, 19000);
  EXPECT_EQ(typed("☕️ 🎂️ 💖️ ❤️"), "☕ 🎂 💖 ❤️");
  EXPECT_EQ(typed("\uFEFFbirth\u00ADday\u200B to\u2060day"), "birthday today");
}

// Each keystroke, a character whole with its marks, is on the screen
// before the pause that follows it.
TEST_P(Typewriter, PausesAfterEveryKeystroke) {
  const Typed &c = GetParam();
  Capture run = capture([&] {
    type_sentence(20, 10, static_cast<int>(c.line.size()), c.line.data(),
                  c.pace);
  });
  EXPECT_EQ(pauses_of(run), c.ms);
  ASSERT_EQ(run.pauses.size(), c.ms.size());
  EXPECT_EQ(run.pauses[0].cursor_y, 0) << "placed before the first pause";
  std::size_t typed = 0;
  for (std::size_t key = 1; key + 1 < c.ms.size(); key++) {
    typed += keystroke_bytes(c.line.data() + typed,
                             static_cast<int>(c.line.size() - typed));
    // What a terminal shows of it: the bytes up to a control byte.
    std::string shown = c.line.substr(0, typed);
    shown = shown.substr(0, shown.find_first_of(std::string("\t\0", 2)));
    shown.erase(shown.find_last_not_of(' ') + 1);
    if (!shown.empty()) {
      EXPECT_EQ(run.pauses[key].screen[10].substr(20, shown.size()), shown)
          << key;
    }
  }
  EXPECT_EQ(typed, c.line.size());
  EXPECT_EQ(run.pauses.back().cursor_y, 10);
}

const std::string dear("Dear, Ko", 9);

INSTANTIATE_TEST_SUITE_P(
    Lines, Typewriter,
    testing::Values(
        Typed{"Greeting",
              dear,
              200,
              {1000, 200, 200, 200, 200, 200, 20, 200, 200, 200, 1000}},
        Typed{"ZeroByteTakesThePace",
              std::string("ab\0", 3),
              70,
              {1000, 70, 70, 70, 1000}},
        Typed{"OnlyBlanksAreFast",
              "a  \tb",
              50,
              {1000, 50, 20, 20, 50, 50, 1000}},
        Typed{"Nothing", "", 200, {1000, 1000}},
        // e and its accent, a wide character, an emoji, two emoji joined
        Typed{"OneKeystrokeACharacter",
              std::string("e\xcc\x81 \xe5\xb9\xb4\xf0\x9f\x8e\x82"
                          "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa8",
                          23),
              90,
              {1000, 90, 20, 90, 90, 90, 90, 1000}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Typewriter, GreetingTakes3620ms) {
  Capture run = capture([] { type_sentence(3, 2, 9, "Dear, Ko", 200); });
  EXPECT_EQ(total_ms(pauses_of(run)), 3620);
}

TEST(Typewriter, EmptyLineStillPlacesTheCursor) {
  Capture run = capture([] { type_sentence(12, 7, 0, "", 200); });
  EXPECT_EQ(run.pauses[1].cursor_x, 12);
  EXPECT_EQ(run.pauses[1].cursor_y, 7);
}

// The bar inside the frame, as the show draws it, drawn once for all.
const Capture &bar() {
  static const Capture drawn = capture([] {
    draw_frame();
    draw_loading(7, 10, "Loading, please wait . . .",
                 "Loading, completed . . .");
  });
  return drawn;
}

const std::string &row(std::size_t pause, int y) {
  return bar().pauses[pause].screen[y];
}

TEST(Loading, FiftyCellsOfFourPhasesThenAHold) {
  std::vector<int> ms(200, 20);
  ms.push_back(3000);
  EXPECT_EQ(pauses_of(bar()), ms);
}

TEST(Loading, WaitingCaptionAndSpinnerInTheFirstCell) {
  EXPECT_EQ(row(0, 8), "*" + std::string(21, ' ') +
                           "Loading, please wait . . ." + std::string(21, ' ') +
                           "*");
  const char phases[] = {'\\', '|', '/', '='};
  for (int phase = 0; phase < 4; phase++)
    EXPECT_EQ(row(phase, 10).substr(6, 2), std::string("[") + phases[phase])
        << phase;
  EXPECT_EQ(row(0, 10).substr(58, 1), "]");
}

TEST(Loading, PercentageAfterACell) {
  // Pause 4 begins the second cell, pause 100 the twenty-sixth.
  EXPECT_EQ(row(4, 10).substr(57), " ]2.00%     *");
  EXPECT_EQ(row(100, 10).substr(57), " ]50.00%    *");
  EXPECT_EQ(row(100, 10).substr(6, 27), "[" + std::string(25, '=') + "\\");
}

TEST(Loading, CompletedBar) {
  const Screen &done = bar().pauses.back().screen;
  EXPECT_EQ(done[10], "*     [" + std::string(50, '=') + " ]100.00%   *");
  EXPECT_EQ(done[8], "*" + std::string(22, ' ') + "Loading, completed . . ." +
                         std::string(22, ' ') + "*");
  EXPECT_EQ(done[9], "*" + std::string(68, ' ') + "*");
}

} // namespace
