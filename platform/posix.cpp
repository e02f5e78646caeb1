// The console on POSIX terminals (Linux, macOS), through VT sequences.
//
// Cursor placement travels in stdout with the characters, so their order
// holds by itself. stdout gathers everything written between two pauses
// and hands it to the terminal in one write when the next pause starts,
// and before the final read.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform.h"

/* --------------------------- Terminal modes ---------------------------- */

// A terminal echoes keys at once, over the letter; the Windows console
// shows nothing typed until the final read. So echo is held off while the
// show runs, and the terminal's modes are given back exactly as they were
// before the final read and on every way out: a signal that ends the
// program, or Ctrl-Z (held off again when the show goes on).

static struct termios original;
static volatile sig_atomic_t echo_held = 0;

static bool in_foreground() { return tcgetpgrp(0) == getpgrp(); }

static void hold_echo() {
  struct termios quiet = original;
  quiet.c_lflag &= ~(ECHO | ECHONL);
  if (in_foreground() && tcsetattr(0, TCSANOW, &quiet) == 0)
    echo_held = 1;
}

static void give_modes_back() {
  if (echo_held && tcsetattr(0, TCSANOW, &original) == 0)
    echo_held = 0;
}

static void on_signal(int sig);

static void handle(int sig, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
}

// A signal the program was started with ignored (nohup's SIGHUP, say)
// stays ignored.
static void catch_unless_ignored(int sig) {
  struct sigaction was;
  if (sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
    handle(sig, on_signal);
}

static void uncatch(int sig) {
  struct sigaction now;
  if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler == on_signal)
    handle(sig, SIG_DFL);
}

// The signals on which the modes are given back; SIGPIPE ends the show
// when its output is piped to a reader that leaves early.
static const int leaving[] = {SIGINT,  SIGTERM, SIGHUP,
                              SIGQUIT, SIGPIPE, SIGTSTP};

// Gives the modes back, then lets the signal do what it always does: the
// process ends, or stops, as if nothing had been caught.
static void on_signal(int sig) {
  int saved = errno;
  if (sig == SIGCONT) {
    hold_echo();
    catch_unless_ignored(SIGTSTP);
  } else {
    give_modes_back();
    handle(sig, SIG_DFL);
    raise(sig); // delivered as soon as this handler returns
  }
  errno = saved;
}

static void hold_terminal() {
  if (!isatty(0) || tcgetattr(0, &original) != 0)
    return;
  for (int sig : leaving)
    catch_unless_ignored(sig);
  catch_unless_ignored(SIGCONT);
  hold_echo();
}

// Going on after Ctrl-Z must no longer hold echo, so SIGCONT goes first;
// until the modes are back, the other signals still give them back.
static void release_terminal() {
  uncatch(SIGCONT);
  give_modes_back();
  for (int sig : leaving)
    uncatch(sig);
}

/* ---------------------------- Screen output ---------------------------- */

// Larger than anything the show writes between two pauses.
static char gathered[16384];

void console_clear() {
  setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
  hold_terminal();
  printf("\x1b[2J"); // ED 2: erase the whole display
  printf("\x1b[H");  // CUP: cursor home, top-left
}

void cursor_place(int x, int y) {
  printf("\x1b[%d;%dH", y + 1, x + 1); // CUP: row and column count from 1
}

/* ------------------------------- Pauses -------------------------------- */

void pause_ms(int ms) {
  fflush(stdout);
  struct timespec left = {ms / 1000, ms % 1000 * 1000000L};
  // A handled signal cuts the sleep short: sleep out what is left.
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

/* -------------------------------- Input -------------------------------- */

// The modes are back before the prompt reaches the screen, so the key
// pressed at it is echoed as usual.
void key_read() {
  release_terminal();
  fflush(stdout);
  getchar();
}

// No command interpreter stands behind the run here, so nothing is left
// for "exit" to do.
void console_exit() {}

/* -------------------------------- Music -------------------------------- */

// The first of these found on PATH plays the file; the desktop's opener is
// the last resort.
static const char *const players[][7] = {
    {"mpg123", "-q", "athousandyears.mp3", nullptr},
    {"ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet",
     "athousandyears.mp3", nullptr},
    {"mpv", "--no-video", "--really-quiet", "athousandyears.mp3", nullptr},
    {"cvlc", "--play-and-exit", "athousandyears.mp3", nullptr},
#ifdef __APPLE__
    {"afplay", "athousandyears.mp3", nullptr},
    {"open", "athousandyears.mp3", nullptr},
#else
    {"xdg-open", "athousandyears.mp3", nullptr},
#endif
};

static bool music_file_present() {
  struct stat file;
  return stat("athousandyears.mp3", &file) == 0 && S_ISREG(file.st_mode) &&
         access("athousandyears.mp3", R_OK) == 0;
}

// The player runs in a session of its own, with the terminal out of its
// reach, so it neither reads the keyboard nor writes on the show, and
// plays on when the show ends. A go-between process that leaves at once
// makes it nobody's child: the show never waits for it.
void music_start() {
  if (!music_file_present())
    return;
  pid_t go_between = fork();
  if (go_between > 0)
    waitpid(go_between, nullptr, 0);
  if (go_between != 0)
    return;
  setsid();
  if (fork() != 0)
    _exit(0);
  int nowhere = open("/dev/null", O_RDWR);
  dup2(nowhere, 0);
  dup2(nowhere, 1);
  dup2(nowhere, 2);
  for (const auto &player : players) {
    // execvp comes back only when this player is not on PATH.
    execvp(player[0], const_cast<char *const *>(player));
  }
  _exit(127);
}
