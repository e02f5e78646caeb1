// Test harness: an 80x25 terminal emulator (libvterm) that shows what the
// show writes, and a clock that records each pause instead of waiting.
#ifndef BARU_TESTS_HARNESS_H
#define BARU_TESTS_HARNESS_H

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The screen as text: one string a row, trailing blanks trimmed.
using Screen = std::vector<std::string>;

// One pause, with the terminal as it stood when the pause began.
struct Pause {
  int ms;
  std::size_t held; // bytes still in stdout's buffer: must be 0
  Screen screen;
  int cursor_x, cursor_y;
};

struct Capture {
  std::vector<Pause> pauses;
  Screen screen; // after everything written was flushed
  int cursor_x, cursor_y;
};

// Runs body in this process, stdout going into a fresh 80x25 terminal.
Capture capture(const std::function<void()> &body);

// How the built program is started on its pseudo-terminal.
struct Launch {
  std::vector<std::string> args;
  // stdin: the terminal, /dev/null, or a pipe holding one line break
  enum { keyboard, at_end, piped } input = keyboard;
  enum { terminal, pipe, file, nowhere } output = terminal;
  bool own_session = false; // started by setsid: no controlling terminal
  bool background = false;  // started with &; once it has stopped itself,
  char then = 'f';          // the shell brings it forward, or kills it ('k')
  int rows = 25, cols = 80;
  std::string dir;          // working directory, when not this one
  std::string path;         // PATH, when not inherited
  int ignored = 0;          // a signal the program is started with ignored
  std::vector<int> hold_at; // the program is held at these pauses (from 0)
  // ... while this runs, given the program and the terminal's master side
  std::function<void(pid_t, int)> while_held;
  // Answers the prompt, given the same; Enter when not set. Only a program
  // reading the keyboard is answered.
  std::function<void(pid_t, int)> at_prompt;
};

struct ProgramRun {
  Screen at_hold;             // the screen at the last pause held
  Screen at_prompt;           // the screen when it waited for its key
  Screen at_end;              // the screen when the program had ended
  int end_x = -1, end_y = -1; // the cursor then
  int unread = -1;            // bytes left in the terminal's input for a shell
  std::vector<int> ms;        // every pause, in order
  std::size_t held = 0;       // bytes left in a buffer at a pause, over all
  int status = -1;            // as waitpid reports it
  bool modes_kept = false;    // the terminal's modes at the end as at start
  bool waited_in_background = false; // stopped, nothing written, till fg
};

// Runs the built program with every pause instant.
ProgramRun run_baru(const Launch &launch = {});

// Helpers for building and reading screens.
void draw_frame();     // draws the 70x23 frame of stars, as the show does
Screen frame_screen(); // the frame as the screen shows it, all else blank
void put(Screen &screen, int x, int y, const std::string &line);
std::string text(const Screen &screen);
bool echo_on(int terminal);
int queued(int terminal); // bytes the program may read, whole lines only
                          // while the terminal reads lines
void type(int terminal, const std::string &keys); // waits till queued
bool waiting_for_key(pid_t pid);                  // blocked till a key comes
Screen on_screen(); // the test's screen of the run in progress, as it stands
std::string cursor_now(); // its cursor: "<column> <row>"
// The window resized, as the program and the test's screen see it.
void resize(int terminal, int rows, int cols);
// Written on the terminal by something else: a shell, say.
void write_over(int terminal, const std::string &bytes);
bool stopped(pid_t pid); // stopped by a signal, as /proc tells
// The shell's part in job control: 'f' brings the job forward (fg), 'b'
// continues it in the background (bg), 'k' ends it (kill %1), each with a
// SIGCONT if it is stopped. job_stopped_by waits for the shell to see the job
// stop, and gives the signal, or 0 if it ends or does not stop.
void shell_does(char command);
int job_stopped_by();
pid_t session_of(pid_t pid);
int total_ms(const std::vector<int> &ms);

// Waits, for a few seconds at most, until `done` holds.
template <typename Done> bool eventually(Done done) {
  for (int i = 0; i < 500; i++) {
    if (done())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

#endif
