// Screens built as text, as a terminal shows them: the frame, and lines
// put in their cells.
#include "harness.h"

#include <numeric>

#include "text/cells.h"

Screen frame_screen() {
  Screen screen(25);
  screen[0] = screen[22] = std::string(70, '*');
  for (int row = 1; row <= 21; row++)
    screen[row] = "*" + std::string(68, ' ') + "*";
  return screen;
}

// Where column x starts in a row's text, the row widened with blanks to
// reach it.
static std::size_t byte_of(std::string &row, int x) {
  std::size_t at = 0;
  for (int col = 0; col < x; col++) {
    if (at == row.size())
      row += ' ';
    int n = keystroke_bytes(row.data() + at, static_cast<int>(row.size() - at));
    char32_t c = 0;
    utf8_char(row.data() + at, n, c);
    col += cells(c) - 1;
    at += static_cast<std::size_t>(n);
  }
  return at;
}

void put(Screen &screen, int x, int y, const std::string &line) {
  std::string &row = screen[y];
  std::size_t from = byte_of(row, x);
  std::size_t to =
      byte_of(row, x + text_cells(line.data(), static_cast<int>(line.size())));
  row.replace(from, to - from, line);
}

std::string text(const Screen &screen) {
  std::string all;
  for (const auto &row : screen)
    all += row + "\n";
  return all;
}

int total_ms(const std::vector<int> &ms) {
  return std::accumulate(ms.begin(), ms.end(), 0);
}
