// Preloaded into the built program by the tests: every pause returns at
// once and is logged to descriptor 3 as "<ms> <bytes still buffered>".
// With FAST_CLOCK_HOLD_AT=N the program is held at pause N (from 0): it
// marks the place in its output with a string the terminal ignores, says
// so on descriptor 4 and waits there for a byte back, so that the test
// can read the screen, type or send signals meanwhile.
#include <stdio_ext.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern "C" int nanosleep(const struct timespec *asked, struct timespec *) {
  static long count = 0;
  static const char *hold_at = getenv("FAST_CLOCK_HOLD_AT");
  char line[48];
  int n = snprintf(line, sizeof line, "%ld %zu\n",
                   asked->tv_sec * 1000 + asked->tv_nsec / 1000000,
                   __fpending(stdout));
  if (write(3, line, static_cast<size_t>(n)) < 0) {
    // No log open: the pause is simply skipped.
  }
  static const char mark[] = "\x1b]777;held\x07"; // OSC 777: ignored
  if (hold_at && count++ == atol(hold_at) &&
      write(1, mark, sizeof mark - 1) == sizeof mark - 1 &&
      write(4, "h", 1) == 1) {
    char go;
    while (read(4, &go, 1) < 0 && errno == EINTR) {
    }
  }
  return 0;
}
