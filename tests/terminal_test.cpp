// The letter's screen and the shell's, whatever is done to the window:
// resized, too small, or the show sent to the background and back.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "letter.h"
#include "text/cells.h"

// The tests' terminal's own count of a character's cells.
extern "C" int vterm_unicode_width(uint32_t codepoint);

namespace {

// The screen as it stands at pause 301 of a run left alone.
Screen left_alone_at_301() {
  Launch launch;
  launch.hold_at = {301};
  return run_baru(launch).at_hold;
}

// Whatever is done to the terminal at pause 300, the screen stands again
// by the next pause, and the rest of the show is as ever.
ProgramRun disturbed_at_300(std::function<void(pid_t, int)> disturb,
                            Launch launch = {}) {
  launch.hold_at = {300, 301};
  bool first = true;
  launch.while_held = [&](pid_t program, int terminal) {
    if (first)
      disturb(program, terminal);
    first = false;
  };
  ProgramRun run = run_baru(launch);
  EXPECT_EQ(text(run.at_hold), text(left_alone_at_301()));
  EXPECT_EQ(text(run.at_end), final_screen_after_the_key());
  EXPECT_EQ(run.ms.size(), show_pauses().size());
  EXPECT_EQ(total_ms(run.ms), total_ms(show_pauses()));
  EXPECT_EQ(run.held, 0u);
  return run;
}

TEST(Screen, StandsAgainAfterTheWindowShrinksAndGrows) {
  disturbed_at_300([](pid_t, int terminal) {
    resize(terminal, 20, 60);
    resize(terminal, 25, 80);
  });
}

// Too small for the letter, from the start: a notice stands centred in
// its place while the show goes on, and a key at the prompt is dropped;
// once the window is large enough, the letter stands as it would have.
TEST(Screen, ASmallWindowSaysWhatItNeedsTillItGrows) {
  Launch launch;
  launch.rows = 20;
  launch.cols = 60;
  // The letter's notice, broken at blanks to the window's width, centred.
  Screen notice(20);
  std::string words = said("too_small");
  std::vector<std::string> lines;
  for (int at = 0, n = static_cast<int>(words.size()); at < n;) {
    int length = line_bytes(words.data() + at, n - at, 60);
    lines.push_back(words.substr(at, length - (words[at + length - 1] == ' ')));
    at += length;
  }
  for (std::size_t line = 0; line < lines.size(); line++)
    put(notice, (60 - text_cells(lines[line].data(), lines[line].size())) / 2,
        static_cast<int>((20 - lines.size()) / 2 + line), lines[line]);
  Screen shown;
  disturbed_at_300(
      [&](pid_t, int terminal) {
        shown = on_screen();
        resize(terminal, 25, 80);
      },
      launch);
  EXPECT_EQ(text(shown), text(notice));

  launch.at_prompt = [](pid_t program, int terminal) {
    ASSERT_EQ(write(terminal, "x", 1), 1);
    EXPECT_TRUE(eventually(
        [&] { return queued(terminal) == 0 && waiting_for_key(program); }));
    resize(terminal, 25, 80);
    ASSERT_EQ(write(terminal, "x", 1), 1);
  };
  EXPECT_EQ(text(run_baru(launch).at_end), final_screen_after_the_key());
}

// The frame's stars where the terminal's own count of cells puts them:
// rows 0 and 22 whole, columns 0 and 69 of the rows between, none past.
void expect_frame_stands(const Screen &screen, const char *when) {
  for (int row = 0; row <= 22; row++) {
    const std::string &line = screen[row];
    char32_t first = 0, last = 0;
    int col = 0;
    for (std::size_t at = 0; at < line.size();) {
      char32_t c = 0;
      int n =
          utf8_char(line.data() + at, static_cast<int>(line.size() - at), c);
      int width = vterm_unicode_width(c);
      first = width > 0 && col == 0 ? c : first;
      last = width > 0 && col == 69 ? c : last;
      col += width;
      at += n > 0 ? static_cast<std::size_t>(n) : 1;
    }
    if (row == 0 || row == 22)
      EXPECT_EQ(line, std::string(70, '*')) << when << ", row " << row;
    else
      EXPECT_TRUE(first == '*' && last == '*' && col == 70)
          << when << ", row " << row << ": " << line;
  }
}

// On a terminal that counts a character in other cells than the show (the
// tests' own, with BARU_COUNTED_OTHERWISE set), that line's letters may
// sit otherwise, but the frame stands: as the last page is typed, after
// the redraw that follows a resize, and at the prompt.
TEST(World, TheFrameStandsWhereATerminalCountsOtherwise) {
  int last = static_cast<int>(show_pauses().size()) - 1;
  Launch launch;
  launch.hold_at = {last - 1, last};
  Screen typed;
  launch.while_held = [&](pid_t, int terminal) {
    if (!typed.empty())
      return;
    typed = on_screen();
    resize(terminal, 20, 60);
    resize(terminal, 25, 80);
  };
  ProgramRun run = run_baru(launch);
  expect_frame_stands(typed, "typed");
  expect_frame_stands(run.at_hold, "redrawn");
  expect_frame_stands(run.at_prompt, "at the prompt");
}

// Started with &, the show waits, stopped, till fg brings it forward.
// Ctrl-Z gives the modes back while it stands stopped; bg stops it again
// before it can write over the shell; fg holds echo off again and draws
// the screen anew over what the shell wrote meanwhile.
TEST(Jobs, CtrlZBgAndFgLeaveTheShellAndTheLetterWhole) {
  Launch launch;
  launch.background = true;
  int stopped_by_z = 0, stopped_in_bg = 0;
  bool echo_while_stopped = false, held_again = false;
  ProgramRun run = disturbed_at_300(
      [&](pid_t, int terminal) {
        ASSERT_EQ(write(terminal, "\x1a", 1), 1);
        stopped_by_z = job_stopped_by();
        echo_while_stopped = echo_on(terminal);
        write_over(terminal, "\n[1]+  Stopped   baru\n$ bg\n");
        shell_does('b');
        stopped_in_bg = job_stopped_by();
        write_over(terminal, "$ fg\nbaru\n");
        shell_does('f');
        held_again = eventually([&] { return !echo_on(terminal); });
      },
      launch);
  EXPECT_TRUE(run.waited_in_background);
  EXPECT_EQ(stopped_by_z, SIGTSTP);
  EXPECT_TRUE(echo_while_stopped);
  EXPECT_EQ(stopped_in_bg, SIGTTOU) << "bg let it draw over the shell";
  EXPECT_TRUE(held_again);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_TRUE(run.modes_kept);
}

// kill %1 ends the show that waits, stopped, in the background, and the
// shell's screen stays as it was.
TEST(Jobs, KillEndsTheShowStoppedInTheBackground) {
  Launch launch;
  launch.background = true;
  launch.then = 'k';
  ProgramRun run = run_baru(launch);
  EXPECT_TRUE(run.waited_in_background);
  ASSERT_TRUE(WIFSIGNALED(run.status)) << run.status;
  EXPECT_EQ(WTERMSIG(run.status), SIGTERM);
  EXPECT_EQ(text(run.at_end), text(Screen(25)));
  EXPECT_EQ(run.end_y, 0) << "the cursor moved on the shell's screen";
  EXPECT_TRUE(run.modes_kept);
}

// Where it cannot stop in the background (SIGTTOU ignored, or its process
// group orphaned), it goes on unseen: the shell's screen stays as it was.
TEST(Jobs, UnstoppableInTheBackgroundItGoesOnUnseen) {
  Launch launch;
  launch.background = true;
  launch.ignored = SIGTTOU;
  launch.input = Launch::at_end;
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(run.ms.size(), show_pauses().size());
  EXPECT_EQ(text(run.at_end), text(Screen(25)));
}

} // namespace
