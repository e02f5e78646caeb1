#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdio_ext.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vterm.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>

/* ------------------------------ Terminal ------------------------------- */

namespace {

using Term = std::unique_ptr<VTerm, decltype(&vterm_free)>;

Term terminal(int rows) {
  Term vt(vterm_new(rows, 80), &vterm_free);
  vterm_set_utf8(vt.get(), 1);
  vterm_screen_reset(vterm_obtain_screen(vt.get()), 1);
  return vt;
}

Screen screen_of(VTerm *vt) {
  int rows, cols;
  vterm_get_size(vt, &rows, &cols);
  Screen screen;
  for (int row = 0; row < rows; row++) {
    std::string line;
    for (int col = 0; col < cols; col++) {
      VTermScreenCell cell;
      vterm_screen_get_cell(vterm_obtain_screen(vt), {row, col}, &cell);
      uint32_t c = cell.chars[0];
      line += c == 0 ? ' ' : c < 128 ? static_cast<char>(c) : '?';
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

} // namespace

Screen frame_screen() {
  Screen screen(25);
  screen[0] = screen[22] = std::string(70, '*');
  for (int row = 1; row <= 21; row++)
    screen[row] = "*" + std::string(68, ' ') + "*";
  return screen;
}

void put(Screen &screen, int x, int y, const std::string &line) {
  std::string &row = screen[y];
  if (row.size() < x + line.size())
    row.resize(x + line.size(), ' ');
  row.replace(x, line.size(), line);
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

/* ------------------------ In-process test clock ------------------------ */

namespace {

// The capture in progress: stdout goes to `out`, read back from `seen`.
struct Active {
  VTerm *vt;
  FILE *out;
  long seen;
  Capture *result;
};
Active *active = nullptr;

void show_written(Active &a) {
  char bytes[4096];
  ssize_t n;
  while ((n = pread(fileno(a.out), bytes, sizeof bytes, a.seen)) > 0) {
    vterm_input_write(a.vt, bytes, static_cast<size_t>(n));
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
  Active a{vt.get(), tmpfile(), 0, &result};
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

/* ---------------------- The built program on a pty --------------------- */

namespace {

bool prompt_shown(const Screen &screen) {
  for (const auto &row : screen)
    if (row.find("press any key to exit ...") != std::string::npos)
      return true;
  return false;
}

[[noreturn]] void start_baru(const Launch &launch, int log) {
  if (!launch.dir.empty() && chdir(launch.dir.c_str()) != 0)
    _exit(126);
  if (launch.input_at_end)
    dup2(open("/dev/null", O_RDONLY), 0);
  dup2(log, 3);
  setenv("LD_PRELOAD", CLOCK_PATH, 1);
  // The clock is preloaded ahead of the sanitizer runtime, on purpose.
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  if (!launch.path.empty())
    setenv("PATH", launch.path.c_str(), 1);
  if (launch.stop_at >= 0)
    setenv("FAST_CLOCK_STOP_AT", std::to_string(launch.stop_at).c_str(), 1);
  std::vector<char *> argv{const_cast<char *>(BARU_PATH)};
  for (const auto &arg : launch.args)
    argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);
  execv(BARU_PATH, argv.data());
  _exit(127);
}

std::vector<std::pair<int, std::size_t>> read_log(FILE *log) {
  std::vector<std::pair<int, std::size_t>> pauses;
  rewind(log);
  int ms;
  std::size_t held;
  while (fscanf(log, "%d %zu", &ms, &held) == 2)
    pauses.push_back({ms, held});
  return pauses;
}

} // namespace

ProgramRun run_baru(const Launch &launch) {
  FILE *log = tmpfile();
  struct winsize size = {static_cast<unsigned short>(launch.rows), 80, 0, 0};
  int master;
  pid_t child = forkpty(&master, nullptr, nullptr, &size);
  if (child == 0)
    start_baru(launch, fileno(log));

  ProgramRun run;
  Term vt = terminal(launch.rows);
  bool ended = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    struct pollfd ready = {master, POLLIN, 0};
    if (poll(&ready, 1, 20) <= 0) {
      // Nothing more to read: if the program has stopped itself, all it
      // wrote before that pause is on the screen now.
      int status;
      if (ended || waitpid(child, &status, WNOHANG | WUNTRACED) <= 0)
        continue;
      if (!WIFSTOPPED(status)) {
        ended = true;
        run.status = status;
        continue;
      }
      run.at_stop = screen_of(vt.get());
      if (write(master, launch.typed.data(), launch.typed.size()) < 0)
        break;
      kill(child, SIGCONT);
      continue;
    }
    char bytes[4096];
    ssize_t n = read(master, bytes, sizeof bytes);
    if (n <= 0)
      break; // the program has ended and closed the terminal
    vterm_input_write(vt.get(), bytes, static_cast<size_t>(n));
    if (run.at_prompt.empty() && prompt_shown(screen_of(vt.get()))) {
      run.at_prompt = screen_of(vt.get());
      if (!launch.input_at_end && write(master, "\r", 1) != 1)
        break;
    }
  }
  if (std::chrono::steady_clock::now() >= deadline)
    kill(child, SIGKILL);
  if (!ended)
    waitpid(child, &run.status, 0);
  close(master);
  for (auto [ms, held] : read_log(log)) {
    run.ms.push_back(ms);
    run.held += held;
  }
  fclose(log);
  return run;
}
