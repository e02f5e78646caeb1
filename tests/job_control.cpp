// The shell's part in job control, played for the built program by the
// parent of its session, and asked for by the tests.
#include "harness.h"
#include "harness_parts.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

int shell_now = -1;

void shell_does(char command) { ASSERT_EQ(write(shell_now, &command, 1), 1); }

int job_stopped_by() {
  struct pollfd told = {shell_now, POLLIN, 0};
  char sig = 0;
  if (poll(&told, 1, 5000) == 1 && read(shell_now, &sig, 1) == 1)
    return sig;
  return 0;
}

// The shell's part, as bash plays it: when its job stops, it takes the
// terminal back and tells the test the signal (a byte; 0 when the job
// ends); on the test's word it brings the job forward ('f'), continues
// it in the background ('b') or ends it ('k'), with a SIGCONT only to a
// stopped job.
int play_the_shell(pid_t job) {
  signal(SIGTTOU, SIG_IGN); // it sets the foreground from the background
  bool job_stopped = false;
  for (;;) {
    int status = 0;
    pid_t changed = waitpid(job, &status, WUNTRACED | WCONTINUED | WNOHANG);
    if (changed > 0 && WIFSTOPPED(status)) {
      job_stopped = true;
      tcsetpgrp(2, getpgrp());
      char sig = static_cast<char>(WSTOPSIG(status));
      if (write(5, &sig, 1) != 1) {
        // The test has gone; it learns nothing more.
      }
    } else if (changed > 0 && WIFCONTINUED(status)) {
      job_stopped = false;
    } else if (changed != 0) {
      if (write(5, "", 1) != 1) {
        // As above.
      }
      return status;
    }
    struct pollfd asked = {5, POLLIN, 0};
    char command;
    if (poll(&asked, 1, 10) != 1 || read(5, &command, 1) != 1)
      continue;
    if (command == 'f')
      tcsetpgrp(2, job);
    if (command == 'k')
      kill(-job, SIGTERM);
    if (job_stopped)
      kill(-job, SIGCONT);
  }
}
