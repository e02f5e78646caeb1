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

#include "platform/platform.h"
#include "platform/posix_picture.h"

static bool pictured = false; // stdout is a terminal, followed

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
// The terminal keys are typed on: stdin's, or else the one the show is
// drawn on, where they would echo over the letter all the same.
static int keys = 0;

static void put_in_force(int which, int when) {
  if (tcsetattr(keys, when, &modes[which]) == 0)
    held = which;
}

static void give_modes_back() {
  if (held != as_found)
    put_in_force(as_found, TCSANOW);
}

static void on_signal(int sig);

// A SIGCONT that comes with a signal to end the show (kill %1 sends one
// to a stopped job) waits till that signal is handled: continued in the
// background, the show would otherwise stop again before it could end.
static void handle(int sig, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGCONT);
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
// mid-show, it leaves the cursor at the start of the blank row below the
// frame, so the shell goes on below it and the frame stays in view. A
// resize, or going on in the foreground, asks for the screen to be drawn
// anew; going on in the background stops the show again.
static void on_signal(int sig) {
  int saved = errno;
  if (sig == SIGWINCH) {
    redraw = 1;
  } else if (sig == SIGCONT) {
    catch_unless_ignored(SIGTSTP);
    if (pictured)
      keep_off_the_shell(); // and on from here once fg brings it forward
    // Changing the modes from the background would stop the program.
    if (wanted != as_found && !in_background(keys))
      put_in_force(wanted, TCSANOW);
    redraw = pictured;
  } else {
    // What was typed for the show is not the shell's to read.
    if (held != as_found)
      tcflush(keys, TCIFLUSH);
    give_modes_back();
    if (park && !in_background(1)) { // the shell's screen is not the show's
      static const char below[] = "\x1b[24;1H"; // CUP: row 23, column 0
      write_through(below, sizeof below - 1);
    }
    handle(sig, SIG_DFL);
    raise(sig); // delivered as soon as this handler returns
  }
  errno = saved;
}

// Echo off while the show runs, one key unechoed at its end.
static void hold_keyboard() {
  // NOFLSH: Ctrl-C, Ctrl-\ and Ctrl-Z leave the output be, the cursor's
  // parking among it; the handler throws the typed keys away itself.
  modes[quiet] = modes[one_key] = modes[as_found];
  modes[quiet].c_lflag = (modes[quiet].c_lflag & ~(ECHO | ECHONL)) | NOFLSH;
  modes[one_key].c_lflag =
      (modes[one_key].c_lflag & ~(ICANON | ECHO | ECHONL)) | NOFLSH;
  modes[one_key].c_cc[VMIN] = 1;
  modes[one_key].c_cc[VTIME] = 0;
  wanted = quiet;
  if (!in_background(keys))
    put_in_force(quiet, TCSANOW);
}

// Signals are caught when either side is a terminal: the keyboard's modes
// to give back, or the screen to keep.
static void hold_terminal() {
  keys = isatty(0) ? 0 : 1;
  bool keyboard = tcgetattr(keys, &modes[as_found]) == 0;
  park = pictured;
  if (!keyboard && !pictured)
    return;
  for (int sig : leaving)
    catch_unless_ignored(sig);
  catch_unless_ignored(SIGCONT);
  if (pictured)
    catch_unless_ignored(SIGWINCH);
  if (keyboard)
    hold_keyboard();
  if (pictured)
    keep_off_the_shell(); // started with &: before a thing is written
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

void console_clear(const char *small_window_notice) {
  pictured = follow_stdout(small_window_notice);
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
    draw_if_asked();
  while (nanosleep(&left, &left) == -1 && errno == EINTR);
}

/* -------------------------------- Input -------------------------------- */

// One key pressed at the prompt, on the keyboard of a terminal. A key
// pressed while the notice stands in the letter's place is dropped, since
// the reader has seen no prompt; the wait goes on till the window is large
// enough to show it.
static void one_key_read() {
  wanted = one_key;
  // From the background this stops the program till it is brought to the
  // foreground, as the read itself would.
  put_in_force(one_key, TCSAFLUSH);
  fflush(stdout);
  char key[32];
  ssize_t got;
  bool unseen;
  do {
    // poll, unlike read, comes back after every handled signal.
    struct pollfd key_ready = {0, POLLIN, 0};
    while (poll(&key_ready, 1, -1) < 0 && errno == EINTR)
      draw_if_asked();
    draw_if_asked(); // a resize that came with the key
    unseen = notice_stands();
    while ((got = read(0, key, sizeof key)) < 0 && errno == EINTR) {
    }
    // An error, or the input's end, ends the wait all the same.
  } while (unseen && got > 0);
  release_terminal();
}

// On a terminal, what was typed during the show is thrown away before the
// prompt reaches the screen, so only a key pressed at the prompt ends the
// wait; one key does, and a key that sends several bytes (an arrow, F1)
// leaves none for the shell. Input from elsewhere is read as it comes.
void key_read() {
  park = 0;
  if (wanted != as_found && keys == 0) {
    one_key_read();
  } else {
    fflush(stdout);
    getchar();
    release_terminal();
  }
  // The key is not echoed; the line break that a line-reading console
  // echoes for Enter still gives the shell a line below the prompt.
  if (pictured && !in_background(1))
    write_through("\r\n", 2);
}

// No command interpreter stands behind the run here, so nothing is left
// for "exit" to do.
void console_exit() {}
