// The music on POSIX systems: the first player found plays the file in
// the background, in a session of its own.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"

/* -------------------------------- Music -------------------------------- */

// The first of these found on PATH plays the file. Each is asked for real
// sound outputs only, or ends by itself when it has none, so that where no
// sound works (a server, a container, an ssh session) it ends at once
// instead of playing into nothing (mpg123 would spin on a whole core), and
// each ends with its file. Players that play on silently in real time
// (VLC), or hand the file to the desktop to keep, are not asked.
static const char *const players[][8] = {
    {"mpg123", "-q", "-o", "pulse,alsa,oss,coreaudio,sndio",
     "athousandyears.mp3", nullptr},
    {"ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet",
     "athousandyears.mp3", nullptr},
    {"mpv", "--no-video", "--really-quiet",
     "--ao=pulse,alsa,oss,coreaudio,sndio", "athousandyears.mp3", nullptr},
#ifdef __APPLE__
    {"afplay", "athousandyears.mp3", nullptr},
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
