// The test harness's terminal, the screens it builds and reads, and the
// in-process capture of the canvas routines; the built program's runs on
// a pseudo-terminal are in program.cpp.
#include "harness.h"
#include "harness_parts.h"

#include "screen/screen.h"
#include "text/cells.h"
#include "video/terminal.h"

#include <stdio_ext.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

/* ------------------------------ Terminal ------------------------------- */

Term terminal(int rows, int cols) {
  return Term(new_terminal(rows, cols), &vterm_free);
}

void show_on(VTerm *vt, std::string &cut, const char *bytes, std::size_t n) {
  cut.append(bytes, n);
  auto whole = static_cast<std::size_t>(
      whole_bytes(cut.data(), static_cast<int>(cut.size())));
  vterm_input_write(vt, cut.data(), whole);
  cut.erase(0, whole);
}

// A wide character once, as a terminal's text shows it.
Screen screen_of(VTerm *vt) {
  int rows, cols;
  vterm_get_size(vt, &rows, &cols);
  Screen screen;
  for (int row = 0; row < rows; row++) {
    std::string line;
    for (int col = 0; col < cols;) {
      VTermScreenCell cell;
      vterm_screen_get_cell(vterm_obtain_screen(vt), {row, col}, &cell);
      std::string chars = utf8_of(cell.chars);
      line += chars.empty() ? " " : chars;
      col += cell.width > 0 ? cell.width : 1;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    screen.push_back(line);
  }
  return screen;
}

VTermPos cursor_of(VTerm *vt) {
  VTermPos pos;
  vterm_state_get_cursorpos(vterm_obtain_state(vt), &pos);
  return pos;
}

void draw_frame() {
  draw_line(0, 70, 0, '*');
  draw_vertical_line(0, 1, 23, '*');
  draw_vertical_line(69, 1, 23, '*');
  draw_line(0, 70, 22, '*');
}

/* ------------------------ In-process test clock ------------------------ */

namespace {

// The capture in progress: stdout goes to `out`, read back from `seen`.
struct Active {
  VTerm *vt;
  FILE *out;
  long seen;
  Capture *result;
  std::string cut;
};
Active *active = nullptr;

void show_written(Active &a) {
  char bytes[4096];
  ssize_t n;
  while ((n = pread(fileno(a.out), bytes, sizeof bytes, a.seen)) > 0) {
    show_on(a.vt, a.cut, bytes, static_cast<size_t>(n));
    a.seen += n;
  }
}

} // namespace

// Every pause of the routines under test lands here and returns at once.
extern "C" int nanosleep(const struct timespec *asked, struct timespec *left) {
  if (!active)
    return clock_nanosleep(CLOCK_REALTIME, 0, asked, left);
  std::size_t held = __fpending(stdout);
  show_written(*active);
  VTermPos at = cursor_of(active->vt);
  int ms = static_cast<int>(asked->tv_sec * 1000 + asked->tv_nsec / 1000000);
  active->result->pauses.push_back(
      {ms, held, screen_of(active->vt), at.col, at.row});
  return 0;
}

Capture capture(const std::function<void()> &body) {
  Term vt = terminal(25);
  Capture result;
  Active a{vt.get(), tmpfile(), 0, &result, ""};
  fflush(stdout);
  int saved = dup(1);
  dup2(fileno(a.out), 1);
  active = &a;
  body();
  fflush(stdout);
  active = nullptr;
  dup2(saved, 1);
  close(saved);
  show_written(a);
  fclose(a.out);
  result.screen = screen_of(vt.get());
  VTermPos at = cursor_of(vt.get());
  result.cursor_x = at.col;
  result.cursor_y = at.row;
  return result;
}
