// The built program on a pseudo-terminal: started as a shell starts a
// job, every pause instant and logged, held where a test needs to look.
#include "harness.h"
#include "harness_parts.h"
#include "video/clock_marks.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

bool stopped(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string skip, state;
  stat >> skip >> skip >> state;
  return state == "T";
}

pid_t session_of(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string skip;
  pid_t session = 0;
  stat >> skip >> skip >> skip >> skip >> skip >> session;
  return session;
}

bool echo_on(int terminal) {
  struct termios modes;
  return tcgetattr(terminal, &modes) == 0 && (modes.c_lflag & ECHO);
}

// Asked on the program's side of the terminal, opened for the asking, once
// all written on the test's side has reached it: poll waits for that.
int queued(int terminal) {
  int side = open(ptsname(terminal), O_RDONLY | O_NOCTTY);
  struct pollfd arrived = {side, POLLIN, 0};
  int count = -1;
  if (side >= 0 &&
      (poll(&arrived, 1, 0) < 0 || ioctl(side, FIONREAD, &count) != 0))
    count = -1;
  close(side);
  return count;
}

void type(int terminal, const std::string &keys) {
  ASSERT_EQ(write(terminal, keys.data(), keys.size()),
            static_cast<ssize_t>(keys.size()));
  ASSERT_TRUE(eventually([&] {
    return queued(terminal) >= static_cast<int>(keys.size());
  })) << "the terminal never passed on "
      << keys;
}

namespace {
VTerm *shown_now = nullptr; // the screen of the run in progress
} // namespace

Screen on_screen() { return screen_of(shown_now); }

std::string cursor_now() {
  VTermPos at = cursor_of(shown_now);
  return std::to_string(at.col) + " " + std::to_string(at.row);
}

void resize(int terminal, int rows, int cols) {
  struct winsize size = {static_cast<unsigned short>(rows),
                         static_cast<unsigned short>(cols), 0, 0};
  ASSERT_EQ(ioctl(terminal, TIOCSWINSZ, &size), 0);
  vterm_set_size(shown_now, rows, cols);
}

void write_over(int terminal, const std::string &bytes) {
  int side = open(ptsname(terminal), O_WRONLY | O_NOCTTY);
  ASSERT_EQ(write(side, bytes.data(), bytes.size()),
            static_cast<ssize_t>(bytes.size()));
  close(side);
}

// Blocked reading its standard input, or polling: the program polls only
// for the final key.
bool waiting_for_key(pid_t pid) {
  std::ifstream now("/proc/" + std::to_string(pid) + "/syscall");
  long number = -1;
  std::string descriptor;
  now >> number >> descriptor;
  return (number == SYS_read && descriptor == "0x0") || number == SYS_poll ||
         number == SYS_ppoll;
}

namespace {

bool same_modes(const struct termios &a, const struct termios &b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::equal(a.c_cc, a.c_cc + NCCS, b.c_cc);
}

// In the child: stdout to `out` unless that is -1, the pause log on
// descriptor 3, the hold's control socket on 4, the shell's on 5.
[[noreturn]] void start_baru(const Launch &launch, int out, int log,
                             int control, int shell) {
  if (!launch.dir.empty() && chdir(launch.dir.c_str()) != 0)
    _exit(126);
  if (launch.input == Launch::at_end)
    dup2(open("/dev/null", O_RDONLY), 0);
  int line[2];
  if (launch.input == Launch::piped && pipe(line) == 0 &&
      write(line[1], "\n", 1) == 1) {
    dup2(line[0], 0);
    close(line[1]);
  }
  if (out >= 0)
    dup2(out, 1);
  dup2(log, 3);
  dup2(control, 4);
  dup2(shell, 5);
  struct rlimit no_core = {0, 0}; // SIGQUIT leaves no core file behind
  setrlimit(RLIMIT_CORE, &no_core);
  setenv("LD_PRELOAD", CLOCK_PATH, 1);
  // The clock is preloaded ahead of the sanitizer runtime, on purpose.
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  if (!launch.path.empty())
    setenv("PATH", launch.path.c_str(), 1);
  std::string holds;
  for (int at : launch.hold_at)
    holds += std::to_string(at) + ",";
  setenv("SHOW_CLOCK_HOLD_AT", holds.c_str(), 1);
  // The program built beside the tests, or the one named by BARU_UNDER_TEST
  // (a package's, unpacked).
  const char *baru =
      getenv("BARU_UNDER_TEST") ? getenv("BARU_UNDER_TEST") : BARU_PATH;
  std::vector<char *> argv{const_cast<char *>(baru)};
  for (const auto &arg : launch.args)
    argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);

  // Started as a shell starts a job: in a process group of its own, in
  // the terminal's foreground unless started with &, below a parent of its
  // session that plays the shell. Only such a job can be stopped by Ctrl-Z.
  pid_t job = fork();
  if (job == 0) {
    close(5);
    if (launch.own_session) {
      setsid();
    } else {
      setpgid(0, 0);
      signal(SIGTTOU, SIG_IGN);
      if (!launch.background)
        tcsetpgrp(2, getpid());
      signal(SIGTTOU, SIG_DFL);
    }
    if (launch.ignored)
      signal(launch.ignored, SIG_IGN);
    dprintf(4, "p%d\n", getpid());
    execv(baru, argv.data());
    _exit(127);
  }
  if (!launch.own_session)
    setpgid(job, job);
  int status = play_the_shell(job);
  // Stays, as a shell would, until the test has seen what the program
  // left in the terminal's input: leaving, it would hang the terminal up.
  char go;
  if (write(4, "e", 1) == 1 && read(4, &go, 1) < 0) {
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
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

// What the program writes, shown on the terminal as it comes. The clock
// marks each hold in the stream, so a test knows when all that was
// written before it has come through.
struct Shown {
  int source;
  VTerm *vt;
  std::string tail; // too short to hold a whole mark
  int marks = 0;
  std::string cut; // a character's first bytes
};

const std::string hold_mark = HOLD_MARK;

// Reads what comes within wait_ms: false once the source has ended.
bool show_some(Shown &shown, int wait_ms) {
  struct pollfd ready = {shown.source, POLLIN, 0};
  if (shown.source < 0 || poll(&ready, 1, wait_ms) <= 0)
    return shown.source >= 0;
  char bytes[4096];
  ssize_t n = read(shown.source, bytes, sizeof bytes);
  if (n <= 0) {
    shown.source = -1;
    return false;
  }
  show_on(shown.vt, shown.cut, bytes, static_cast<size_t>(n));
  std::string seen = shown.tail + std::string(bytes, static_cast<size_t>(n));
  for (auto at = seen.find(hold_mark); at != std::string::npos;
       at = seen.find(hold_mark, at + hold_mark.size()))
    shown.marks++;
  shown.tail =
      seen.substr(seen.size() - std::min(seen.size(), hold_mark.size() - 1));
  return true;
}

} // namespace

ProgramRun run_baru(const Launch &launch) {
  FILE *log = tmpfile();
  FILE *file = tmpfile();
  int pipe_ends[2] = {-1, -1}, control[2], shell[2];
  if (launch.output == Launch::pipe && pipe(pipe_ends) != 0)
    return {};
  // Closed on exec: the program keeps only its own ends, on 4 and 5.
  socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control);
  socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, shell);
  int out = launch.output == Launch::pipe      ? pipe_ends[1]
            : launch.output == Launch::file    ? fileno(file)
            : launch.output == Launch::nowhere ? open("/dev/null", O_WRONLY)
                                               : -1;
  struct winsize size = {static_cast<unsigned short>(launch.rows),
                         static_cast<unsigned short>(launch.cols), 0, 0};
  // The modes the program finds, as a fresh terminal has them, known
  // before it can change them.
  struct termios before, after;
  int master, side;
  openpty(&master, &side, nullptr, nullptr, nullptr);
  tcgetattr(side, &before);
  close(side);
  close(master);
  pid_t child = forkpty(&master, nullptr, &before, &size);
  if (child == 0)
    start_baru(launch, out, fileno(log), control[1], shell[1]);
  close(control[1]);
  close(shell[1]);
  shell_now = shell[0];
  if (launch.output != Launch::terminal && launch.output != Launch::file)
    close(out);

  ProgramRun run;
  Term vt = terminal(launch.rows, launch.cols);
  shown_now = vt.get();
  // Started with &: it stops itself before it writes a thing, till fg.
  if (launch.background && job_stopped_by() == SIGTTOU) {
    struct pollfd written = {master, POLLIN, 0};
    run.waited_in_background = poll(&written, 1, 0) == 0;
    shell_does(launch.then);
  }
  Shown shown{launch.output == Launch::terminal ? master
              : launch.output == Launch::pipe   ? pipe_ends[0]
                                                : -1,
              vt.get(), "", 0, ""};
  bool ended = false;
  pid_t program = 0;
  int holds = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    show_some(shown, 20);
    if (!ended && waitpid(child, &run.status, WNOHANG) > 0)
      ended = true;
    if (ended && shown.source < 0)
      break;
    // At the prompt: the program waits for its key, all it wrote shown.
    struct pollfd more = {shown.source, POLLIN, 0};
    if (run.at_prompt.empty() && program > 0 && waiting_for_key(program) &&
        poll(&more, 1, 0) == 0) {
      run.at_prompt = screen_of(vt.get());
      if (launch.input == Launch::keyboard && launch.at_prompt)
        launch.at_prompt(program, master);
      else if (launch.input == Launch::keyboard && write(master, "\r", 1) != 1)
        break;
    }
    struct pollfd said_something = {control[0], POLLIN, 0};
    char said;
    if (poll(&said_something, 1, shown.source < 0 ? 20 : 0) <= 0 ||
        read(control[0], &said, 1) != 1)
      continue;
    if (said == 'p') { // the program's own pid, as "p<pid>\n"
      while (read(control[0], &said, 1) == 1 && said != '\n')
        program = program * 10 + (said - '0');
      continue;
    }
    if (said == 'e') { // the program has ended; its parent waits
      run.unread = queued(master);
    } else { // held at a pause, once all written before it has come
      holds++;
      while (shown.marks < holds && show_some(shown, 100) &&
             std::chrono::steady_clock::now() < deadline) {
      }
      run.at_hold = screen_of(vt.get());
      if (launch.while_held)
        launch.while_held(program, master);
    }
    send(control[0], "g", 1, MSG_NOSIGNAL);
  }
  if (launch.output == Launch::file) {
    rewind(file);
    char bytes[4096];
    std::size_t n;
    std::string cut;
    while ((n = fread(bytes, 1, sizeof bytes, file)) > 0)
      show_on(vt.get(), cut, bytes, n);
  }
  run.at_end = screen_of(vt.get());
  VTermPos at = cursor_of(vt.get());
  run.end_x = at.col;
  run.end_y = at.row;
  run.modes_kept = tcgetattr(master, &after) == 0 && same_modes(before, after);
  close(master);
  close(control[0]);
  close(shell[0]);
  if (pipe_ends[0] >= 0)
    close(pipe_ends[0]);
  for (auto [ms, held] : read_log(log)) {
    run.ms.push_back(ms);
    run.held += held;
  }
  fclose(log);
  fclose(file);
  return run;
}
