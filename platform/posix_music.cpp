// The music on POSIX systems: the first player found plays the file in
// the background, in a session of its own.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"

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
