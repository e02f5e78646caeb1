// The console on POSIX terminals (Linux, macOS), through VT sequences.
//
// Cursor placement travels in stdout with the characters, so their order
// holds by itself. stdout gathers everything written between two pauses
// and hands it to the terminal in one write when the next pause starts,
// and before the final read.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform.h"

/* ---------------------------- Screen output ---------------------------- */

// Larger than anything the show writes between two pauses.
static char gathered[16384];

void console_clear() {
  setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
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

void key_read() {
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
