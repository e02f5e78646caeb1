#include "letter.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

#include "text/cells.h"
#include "text/typed.h"

namespace {

std::string letter_source() {
  const char *path =
      getenv("BARU_LETTER") ? getenv("BARU_LETTER") : BARU_SOURCE;
  std::ifstream file(path);
  if (!file)
    throw std::runtime_error("no letter in " + std::string(path));
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// UTF-8 as it stands; only a quote or a backslash is escaped.
std::string unescaped(const std::string &text) {
  return std::regex_replace(text, std::regex(R"(\\(.))"), "$1");
}

// The show types text composed, with what no screen draws left out.
std::string typed(const std::string &raw) {
  std::string text(3 * raw.size() + 8, '\0');
  text.resize(static_cast<std::size_t>(
      typed_text(raw.data(), static_cast<int>(raw.size()), text.data(),
                 static_cast<int>(text.size()))));
  return text;
}

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
  std::string source = letter_source();
  auto start = source.find("show_letter() {");
  if (start == std::string::npos)
    throw std::runtime_error("no show_letter in the letter");
  std::string body = source.substr(start, source.find("\n}\n", start) - start);
  static const std::regex call(
      R"re(type_line<\s*(\d+)\s*,\s*(\d+)\s*,\s*"((?:[^"\\]|\\.)*)"\s*>)re"
      R"re(\(\s*(\d+)\s*\)|pause_ms\(\s*(\d+)\s*\)|turn_page\(\s*\))re");
  std::vector<Step> steps;
  for (std::sregex_iterator at(body.begin(), body.end(), call), end; at != end;
       ++at) {
    const std::smatch &m = *at;
    if (m[1].matched) {
      steps.push_back({Step::line, std::stoi(m[1]), std::stoi(m[2]),
                       std::stoi(m[4]), typed(unescaped(m[3])), 0});
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

// The show's own words, <name> = <where they stand><"words">, in order.
std::vector<std::pair<std::string, std::string>> words() {
  std::string source = letter_source();
  static const std::regex word(
      R"re(\n\s*const\s+char\s*\*\s*(\w+)\s*=\s*\w+\s*<\s*"((?:[^"\\]|\\.)*)"\s*>\s*;)re");
  std::vector<std::pair<std::string, std::string>> all;
  for (std::sregex_iterator at(source.begin(), source.end(), word), end;
       at != end; ++at)
    all.emplace_back((*at)[1], typed(unescaped((*at)[2])));
  return all;
}

} // namespace

std::string said(const std::string &name) {
  for (const auto &[named, text] : words())
    if (named == name)
      return text;
  throw std::runtime_error("the letter says no " + name);
}

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
  put(screen, 3, 24, said("prompt"));
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

static std::string quoted(const std::string &text) {
  std::string json = "\"";
  for (char c : text)
    json += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
  return json + "\"";
}

// Every page as it stands before its turn (the last as the prompt finds
// it), a string a row, the pauses' total and the show's own words: for the
// browser test and its benchmark.
std::string letter_json() {
  std::string json =
      "{\n  \"pausesMs\": " + std::to_string(total_ms(show_pauses())) +
      ",\n  \"words\": {";
  for (const auto &[name, text] : words())
    json += (json.back() == '{' ? "\n    " : ",\n    ") + quoted(name) + ": " +
            quoted(text);
  json += "\n  },\n  \"pages\": [";
  for (int number = 1; number <= pages(); number++) {
    Screen rows = page(number);
    for (std::size_t y = 0; y < rows.size(); y++)
      json += (y == 0 ? (number > 1 ? ", [\n    " : "[\n    ") : ",\n    ") +
              quoted(rows[y]);
    json += "\n  ]";
  }
  return json + "]\n}\n";
}
