// The show's clock, preloaded in place of nanosleep by the tests, the
// benchmark and the video tool: every pause returns at once.
//
// - For the tests, each pause is logged to descriptor 3 as "<ms> <bytes
//   still buffered>"; with SHOW_CLOCK_HOLD_AT=N,M,... the show is held at
//   pauses N, M ... (counted from 0): it marks the place in its output,
//   says so on descriptor 4 and waits there for a byte back, so that the
//   test can read the screen, type or send signals meanwhile.
// - For the video, with SHOW_CLOCK_MARKS set, each pause and the wait for
//   the final key are marked in the show's own output instead, after all
//   that was written before them, so the tool knows the show's time at
//   every byte.
#include <dlfcn.h>
#include <poll.h>
#include <stdio_ext.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "video/clock_marks.h"

static const bool marks = getenv("SHOW_CLOCK_MARKS") != nullptr;

// Only the show runs on this clock: a player it starts sleeps for real.
__attribute__((constructor)) static void for_the_show_alone() {
  unsetenv("LD_PRELOAD");
}

static bool sent(int fd, const char *bytes, int n) {
  return write(fd, bytes, static_cast<size_t>(n)) == n;
}

static bool held_at(long pause) {
  static const char *list = getenv("SHOW_CLOCK_HOLD_AT");
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
  long ms = asked->tv_sec * 1000 + asked->tv_nsec / 1000000;
  char line[48];
  if (marks) {
    sent(1, line, snprintf(line, sizeof line, PAUSE_MARK, ms));
    return 0;
  }
  // No log open: the pause is simply skipped.
  sent(3, line,
       snprintf(line, sizeof line, "%ld %zu\n", ms, __fpending(stdout)));
  if (held_at(count++) && sent(1, HOLD_MARK, sizeof HOLD_MARK - 1) &&
      sent(4, "h", 1)) {
    char go;
    while (read(4, &go, 1) < 0 && errno == EINTR) {
    }
  }
  return 0;
}

// The show polls its terminal only for the final key.
extern "C" int poll(struct pollfd *fds, nfds_t n, int timeout) {
  using Poll = int (*)(struct pollfd *, nfds_t, int);
  static Poll real = [] {
    void *found = dlsym(RTLD_NEXT, "poll");
    Poll function;
    memcpy(&function, &found, sizeof function);
    return function;
  }();
  if (marks && n == 1 && fds[0].fd == 0)
    sent(1, KEY_MARK, sizeof KEY_MARK - 1);
  return real(fds, n, timeout);
}
