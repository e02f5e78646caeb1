#include "letter.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

#include "text/cells.h"
#include "text/typed.h"

namespace {

// One call of the letter's script, in order.
struct Step {
  enum { line, pause, turn } kind;
  int x, y, pace;   // a line: where it starts, its typewriter
  std::string text; // a line: its text, without the zero byte
  int ms;           // a pause
};

// The calls of show_letter: type_line<x, y, "text">(pace), pause_ms(ms)
// and turn_page(), in the order they stand.
std::vector<Step> read_letter() {
  const char *path =
      getenv("BARU_LETTER") ? getenv("BARU_LETTER") : BARU_SOURCE;
  std::ifstream file(path);
  std::string source(std::istreambuf_iterator<char>(file), {});
  auto start = source.find("show_letter() {");
  if (start == std::string::npos) {
    throw std::runtime_error("no show_letter in " + std::string(path));
  }
  std::string body = source.substr(start, source.find("\n}\n", start) - start);
  static const std::regex call(
      R"re(type_line<\s*(\d+)\s*,\s*(\d+)\s*,\s*"((?:[^"\\]|\\.)*)"\s*>)re"
      R"re(\(\s*(\d+)\s*\)|pause_ms\(\s*(\d+)\s*\)|turn_page\(\s*\))re");
  std::vector<Step> steps;
  for (std::sregex_iterator at(body.begin(), body.end(), call), end; at != end;
       ++at) {
    const std::smatch &m = *at;
    if (m[1].matched) {
      // UTF-8 as it stands; only a quote or a backslash is escaped. The
      // show types it composed, with what no screen draws left out.
      std::string raw =
          std::regex_replace(m[3].str(), std::regex(R"(\\(.))"), "$1");
      std::string text(3 * raw.size() + 8, '\0');
      text.resize(static_cast<std::size_t>(
          typed_text(raw.data(), static_cast<int>(raw.size()), text.data(),
                     static_cast<int>(text.size()))));
      steps.push_back({Step::line, std::stoi(m[1]), std::stoi(m[2]),
                       std::stoi(m[4]), text, 0});
    } else if (m[5].matched) {
      steps.push_back({Step::pause, 0, 0, 0, "", std::stoi(m[5])});
    } else {
      steps.push_back({Step::turn, 0, 0, 0, "", 0});
    }
  }
  return steps;
}

const std::vector<Step> &letter() {
  static const std::vector<Step> steps = read_letter();
  return steps;
}

} // namespace

std::vector<int> show_pauses(std::vector<int> *turns) {
  std::vector<int> ms(200, 20); // loading bar: 50 cells of four phases
  ms.push_back(3000);
  for (const Step &step : letter()) {
    if (step.kind == Step::pause) {
      ms.push_back(step.ms);
    } else if (step.kind == Step::turn) {
      if (turns)
        turns->push_back(static_cast<int>(ms.size()));
      ms.insert(ms.end(), {2000, 1000, 1000});
    } else { // the typewriter: a keystroke a character, marks and all; a
             // blank is fast, the zero byte is not
      ms.push_back(1000);
      const std::string &line = step.text;
      for (std::size_t at = 0; at < line.size();) {
        ms.push_back(line[at] == ' ' ? 20 : step.pace);
        at += keystroke_bytes(line.data() + at,
                              static_cast<int>(line.size() - at));
      }
      ms.push_back(step.pace);
      ms.push_back(1000);
    }
  }
  return ms;
}

int pages() {
  std::vector<int> turns;
  show_pauses(&turns);
  return static_cast<int>(turns.size()) + 1;
}

Screen page(int number, bool own) {
  Screen screen = frame_screen();
  int at = 1;
  for (const Step &step : letter()) {
    at += step.kind == Step::turn;
    if (step.kind == Step::line && at <= number &&
        (step.y == 2 || (own && at == number)))
      put(screen, step.x, step.y, step.text);
  }
  return screen;
}

std::string final_screen() {
  Screen screen = page(pages());
  put(screen, 3, 24, "press any key to exit ...");
  return text(screen);
}

// A terminal of 25 rows moves the screen up one row for the line break
// that follows the final key.
std::string final_screen_after_the_key() {
  std::string all = final_screen();
  return all.substr(all.find('\n') + 1) + "\n";
}

std::string length_in_words() {
  int seconds = (total_ms(show_pauses()) + 500) / 1000;
  auto count = [](int n, const char *unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
  };
  return count(seconds / 60, "minute") + " " + count(seconds % 60, "second");
}

// Every page as it stands before its turn (the last as the prompt finds
// it), a string a row, and the pauses' total: for the browser test and its
// benchmark.
std::string letter_json() {
  std::string json =
      "{\n  \"pausesMs\": " + std::to_string(total_ms(show_pauses())) +
      ",\n  \"pages\": [";
  for (int number = 1; number <= pages(); number++) {
    Screen rows = page(number);
    for (std::size_t y = 0; y < rows.size(); y++) {
      json += y == 0 ? (number > 1 ? ", [\n    \"" : "[\n    \"") : ",\n    \"";
      for (char c : rows[y])
        json +=
            c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
      json += "\"";
    }
    json += "\n  ]";
  }
  return json + "]\n}\n";
}
