// Preloaded into the built program by the tests: every pause returns at
// once and is logged to descriptor 3 as "<ms> <bytes still buffered>".
// With FAST_CLOCK_HOLD_AT=N,M,... the program is held at pauses N, M ...
// (counted from 0): at each it marks the place in its output with a
// string the terminal ignores, says so on descriptor 4 and waits there for
// a byte back, so that the test can read the screen, type or send signals
// meanwhile.
#include <stdio_ext.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "hold_mark.h"

// Only the program runs on this clock: a player it starts sleeps for real.
__attribute__((constructor)) static void for_the_program_alone() {
  unsetenv("LD_PRELOAD");
}

static bool held_at(long pause) {
  static const char *list = getenv("FAST_CLOCK_HOLD_AT");
  for (const char *at = list; at && *at;) {
    char *end;
    long listed = strtol(at, &end, 10);
    if (end == at)
      return false;
    if (listed == pause)
      return true;
    at = *end == ',' ? end + 1 : end;
  }
  return false;
}

extern "C" int nanosleep(const struct timespec *asked, struct timespec *) {
  static long count = 0;
  char line[48];
  int n = snprintf(line, sizeof line, "%ld %zu\n",
                   asked->tv_sec * 1000 + asked->tv_nsec / 1000000,
                   __fpending(stdout));
  if (write(3, line, static_cast<size_t>(n)) < 0) {
    // No log open: the pause is simply skipped.
  }
  static const char mark[] = HOLD_MARK;
  if (held_at(count++) && write(1, mark, sizeof mark - 1) == sizeof mark - 1 &&
      write(4, "h", 1) == 1) {
    char go;
    while (read(4, &go, 1) < 0 && errno == EINTR) {
    }
  }
  return 0;
}
