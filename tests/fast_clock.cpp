// Preloaded into the built program by the tests: every pause returns at
// once and is logged to descriptor 3 as "<ms> <bytes still buffered>".
// With FAST_CLOCK_STOP_AT=N the program stops itself at pause N (from 0),
// so that the test can read the screen there, type, and let it go on.
#include <signal.h>
#include <stdio_ext.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

extern "C" int nanosleep(const struct timespec *asked, struct timespec *) {
  static long count = 0;
  static const char *stop_at = getenv("FAST_CLOCK_STOP_AT");
  char line[48];
  int n = snprintf(line, sizeof line, "%ld %zu\n",
                   asked->tv_sec * 1000 + asked->tv_nsec / 1000000,
                   __fpending(stdout));
  if (write(3, line, static_cast<size_t>(n)) < 0) {
    // No log open: the pause is simply skipped.
  }
  if (stop_at && count++ == atol(stop_at))
    raise(SIGSTOP);
  return 0;
}
