// The console on POSIX terminals (Linux, macOS), through VT sequences.
//
// Cursor placement travels in stdout with the characters, so their order
// holds by itself. stdout gathers everything written between two pauses
// and hands it to the terminal in one write when the next pause starts,
// and before the final read.
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

/* ------------------------------- Picture ------------------------------- */

// The Windows console keeps its screen whatever happens to its window; a
// terminal loses cells when it is shrunk, and the shell writes over the
// show while Ctrl-Z holds it. So the cells the show has written and the
// cursor are kept here, read off its own output, and the whole screen is
// written anew after a resize or a return from Ctrl-Z, at the next pause.

static char picture[25][80];
static int picture_x, picture_y;
static bool pictured = false; // stdout is a terminal, followed here
static volatile sig_atomic_t redraw = 0;

// Follows what the show writes: characters, CUP and ED 2; a zero byte, as
// on a terminal, shows nothing and leaves the cursor.
static void follow(const char *bytes, size_t n) {
  static int state = 0; // 0: characters, 1: after ESC, 2: in CSI
  static int param[2], count;
  for (size_t i = 0; i < n; i++) {
    char c = bytes[i];
    if (state == 1) {
      state = c == '[' ? 2 : 0;
      param[0] = param[1] = count = 0;
    } else if (state == 2 && c >= '0' && c <= '9') {
      param[count] = param[count] * 10 + (c - '0');
    } else if (state == 2 && c == ';') {
      count = 1;
    } else if (state == 2) {
      state = 0;
      if (c == 'H') {
        picture_y = param[0] > 0 ? param[0] - 1 : 0;
        picture_x = param[1] > 0 ? param[1] - 1 : 0;
      } else if (c == 'J' && param[0] == 2) {
        memset(picture, ' ', sizeof picture);
      }
    } else if (c == '\x1b') {
      state = 1;
    } else if (c != '\0') {
      if (picture_y < 25 && picture_x < 80)
        picture[picture_y][picture_x] = c;
      picture_x++;
    }
  }
}

// stdout's own write: every byte is followed, then written whole.
static ssize_t write_followed(const char *bytes, size_t n) {
  follow(bytes, n);
  for (size_t done = 0; done < n;) {
    ssize_t written = write(1, bytes + done, n - done);
    if (written < 0 && errno != EINTR)
      return -1;
    done += written > 0 ? static_cast<size_t>(written) : 0;
  }
  return static_cast<ssize_t>(n);
}

#if defined(__APPLE__) || defined(__FreeBSD__) || defined(__NetBSD__) ||       \
    defined(__OpenBSD__) || defined(__DragonFly__)
static int write_cookie(void *, const char *bytes, int n) {
  return static_cast<int>(write_followed(bytes, static_cast<size_t>(n)));
}
static FILE *followed() {
  return funopen(nullptr, nullptr, write_cookie, nullptr, nullptr);
}
#else
static ssize_t write_cookie(void *, const char *bytes, size_t n) {
  return write_followed(bytes, n);
}
static FILE *followed() {
  cookie_io_functions_t io = {};
  io.write = write_cookie;
  return fopencookie(nullptr, "w", io);
}
#endif

static void follow_stdout() {
  FILE *stream = isatty(1) ? followed() : nullptr;
  if (stream) {
    memset(picture, ' ', sizeof picture);
    stdout = stream;
    pictured = true;
  }
}

// In one write: erase, every row that holds something, the cursor back.
// It passes through the picture too, and leaves it as it was.
static void draw_picture_if_asked() {
  if (!redraw)
    return;
  redraw = 0;
  printf("\x1b[2J"); // ED 2: erase the whole display
  for (int row = 0; row < 25; row++) {
    int end = 80;
    while (end > 0 && picture[row][end - 1] == ' ')
      end--;
    if (end > 0) // CUP to the row's start, then its cells
      printf("\x1b[%d;1H%.*s", row + 1, end, picture[row]);
  }
  printf("\x1b[%d;%dH", picture_y + 1, picture_x + 1); // CUP: the cursor
  fflush(stdout);
}

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
// process ends, or stops, as if nothing had been caught. Ended or stopped
// mid-show, it leaves the cursor at the start of the prompt line, so the
// shell goes on below the frame rather than inside it. A resize, or going
// on after Ctrl-Z, asks for the screen to be drawn anew.
static void on_signal(int sig) {
  int saved = errno;
  if (sig == SIGWINCH) {
    redraw = 1;
  } else if (sig == SIGCONT) {
    if (wanted != as_found && !in_background())
      put_in_force(wanted, TCSANOW);
    catch_unless_ignored(SIGTSTP);
    redraw = pictured;
  } else {
    // What was typed for the show is not the shell's to read.
    if (held != as_found)
      tcflush(0, TCIFLUSH);
    give_modes_back();
    if (park) {
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
// to give back, or the screen to keep.
static void hold_terminal() {
  bool keyboard = isatty(0) && tcgetattr(0, &modes[as_found]) == 0;
  park = pictured;
  if (!keyboard && !pictured)
    return;
  for (int sig : leaving)
    catch_unless_ignored(sig);
  catch_unless_ignored(SIGCONT);
  if (pictured)
    catch_unless_ignored(SIGWINCH);
  if (!keyboard)
    return;
  // NOFLSH: Ctrl-C, Ctrl-\ and Ctrl-Z leave the output be, the cursor's
  // parking among it; the handler throws the typed keys away itself.
  modes[quiet] = modes[one_key] = modes[as_found];
  modes[quiet].c_lflag = (modes[quiet].c_lflag & ~(ECHO | ECHONL)) | NOFLSH;
  modes[one_key].c_lflag =
      (modes[one_key].c_lflag & ~(ICANON | ECHO | ECHONL)) | NOFLSH;
  modes[one_key].c_cc[VMIN] = 1;
  modes[one_key].c_cc[VTIME] = 0;
  wanted = quiet;
  if (!in_background())
    put_in_force(quiet, TCSANOW);
}

static void release_terminal() {
  wanted = as_found;
  if (held != as_found)
    put_in_force(as_found, TCSAFLUSH); // and drop what the key left behind
  uncatch(SIGCONT);
  uncatch(SIGWINCH);
  for (int sig : leaving)
    uncatch(sig);
}

/* ---------------------------- Screen output ---------------------------- */

// Larger than anything the show writes between two pauses.
static char gathered[16384];

void console_clear() {
  follow_stdout();
  setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
  hold_terminal();
  printf("\x1b[2J"); // ED 2: erase the whole display
  printf("\x1b[H");  // CUP: cursor home, top-left
}

void cursor_place(int x, int y) {
  printf("\x1b[%d;%dH", y + 1, x + 1); // CUP: row and column count from 1
}

/* ------------------------------- Pauses -------------------------------- */

// A handled signal cuts the sleep short: the screen is drawn anew if a
// resize or Ctrl-Z asked for it, and what is left of the pause slept out.
void pause_ms(int ms) {
  fflush(stdout);
  struct timespec left = {ms / 1000, ms % 1000 * 1000000L};
  do
    draw_picture_if_asked();
  while (nanosleep(&left, &left) == -1 && errno == EINTR);
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
  // poll, unlike read, comes back after every handled signal.
  struct pollfd key_ready = {0, POLLIN, 0};
  while (poll(&key_ready, 1, -1) < 0 && errno == EINTR)
    draw_picture_if_asked();
  char key[32];
  while (read(0, key, sizeof key) < 0 && errno == EINTR) {
  }
  release_terminal();
  // The key is not echoed; the line break that a line-reading console
  // echoes for Enter still gives the shell a line below the prompt.
  if (pictured && write(1, "\r\n", 2) < 0) {
  }
}

// No command interpreter stands behind the run here, so nothing is left
// for "exit" to do.
void console_exit() {}
