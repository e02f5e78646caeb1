// What the harness's own sources share, and the tests do not see.
#ifndef BARU_TESTS_HARNESS_PARTS_H
#define BARU_TESTS_HARNESS_PARTS_H

#include <sys/types.h>
#include <vterm.h>

#include <memory>
#include <string>

#include "harness.h"

// A terminal emulator of the given size, and what it shows.
using Term = std::unique_ptr<VTerm, decltype(&vterm_free)>;
Term terminal(int rows, int cols = 80);
Screen screen_of(VTerm *vt);
// Written on the terminal: libvterm takes a character cut between two
// writes for two wrong ones, so the bytes of one cut at the end wait in
// `cut` for the rest.
void show_on(VTerm *vt, std::string &cut, const char *bytes, std::size_t n);
VTermPos cursor_of(VTerm *vt);

// The test's side of the shell's socket, in the run in progress; the
// shell's side is descriptor 5 of the session's parent, which plays it
// until the job ends and returns its status.
extern int shell_now;
int play_the_shell(pid_t job);

#endif
