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
// show runs, and the final read takes one key as it is pressed, unechoed.
// The terminal's modes are given back exactly as they were after that read
// and on every way out: a signal that ends the program, or Ctrl-Z (held
// again when the show goes on).

enum { as_found, quiet, one_key };
static struct termios modes[3];                 // indexed by the enum above
static volatile sig_atomic_t wanted = as_found; // what the run asks for
static volatile sig_atomic_t held = as_found;   // what the terminal has
static volatile sig_atomic_t park = 0; // a signal leaves the cursor below

// Changing the modes from the background of the controlling terminal
// would stop the program; a terminal that is not the controlling one
// (started by setsid, say) has no background.
static bool in_background() {
  pid_t foreground = tcgetpgrp(0);
  return foreground != -1 && foreground != getpgrp();
}

static void put_in_force(int which, int when) {
  if (tcsetattr(0, when, &modes[which]) == 0)
    held = which;
}

static void give_modes_back() {
  if (held != as_found)
    put_in_force(as_found, TCSANOW);
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

// The signals that end or stop the show; SIGPIPE ends it when its output
// is piped to a reader that leaves early.
static const int leaving[] = {SIGINT,  SIGTERM, SIGHUP,
                              SIGQUIT, SIGPIPE, SIGTSTP};

// Gives the modes back, then lets the signal do what it always does: the
// process ends, or stops, as if nothing had been caught. Ended mid-show,
// it leaves the cursor at the start of the prompt line, so the shell
// goes on below the frame rather than inside it.
static void on_signal(int sig) {
  int saved = errno;
  if (sig == SIGCONT) {
    if (wanted != as_found && !in_background())
      put_in_force(wanted, TCSANOW);
    catch_unless_ignored(SIGTSTP);
  } else {
    give_modes_back();
    if (park && sig != SIGTSTP) {
      static const char below[] = "\x1b[25;1H"; // CUP: row 24, column 0
      ssize_t ignored = write(1, below, sizeof below - 1);
      (void)ignored;
    }
    handle(sig, SIG_DFL);
    raise(sig); // delivered as soon as this handler returns
  }
  errno = saved;
}

// Signals are caught when either side is a terminal: the keyboard's modes
// to give back, or the screen's cursor to park.
static void hold_terminal() {
  bool keyboard = isatty(0) && tcgetattr(0, &modes[as_found]) == 0;
  park = isatty(1);
  if (!keyboard && !park)
    return;
  for (int sig : leaving)
    catch_unless_ignored(sig);
  if (!keyboard)
    return;
  modes[quiet] = modes[one_key] = modes[as_found];
  modes[quiet].c_lflag &= ~(ECHO | ECHONL);
  modes[one_key].c_lflag &= ~(ICANON | ECHO | ECHONL);
  modes[one_key].c_cc[VMIN] = 1;
  modes[one_key].c_cc[VTIME] = 0;
  catch_unless_ignored(SIGCONT);
  wanted = quiet;
  if (!in_background())
    put_in_force(quiet, TCSANOW);
}

static void release_terminal() {
  wanted = as_found;
  if (held != as_found)
    put_in_force(as_found, TCSAFLUSH); // and drop what the key left behind
  uncatch(SIGCONT);
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

// On a terminal, what was typed during the show is thrown away before the
// prompt reaches the screen, so only a key pressed at the prompt ends the
// wait; one key does, and a key that sends several bytes (an arrow, F1)
// leaves none for the shell. Input from elsewhere is read as it comes.
void key_read() {
  park = 0;
  if (wanted == as_found) {
    release_terminal();
    fflush(stdout);
    getchar();
    return;
  }
  wanted = one_key;
  // From the background this stops the program till it is brought to the
  // foreground, as the read itself would.
  put_in_force(one_key, TCSAFLUSH);
  fflush(stdout);
  char key[32];
  while (read(0, key, sizeof key) < 0 && errno == EINTR) {
  }
  release_terminal();
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
