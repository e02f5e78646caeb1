// The show where a person may really start it: with a music player on
// PATH or none, with keys typed and signals sent while it runs. The
// window and the shell's job control are in terminal_test.cpp.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "letter.h"

namespace {

// A folder of its own for each test, removed afterwards.
struct Folder {
  std::string path;
  Folder() {
    char name[] = "/tmp/baru-test-XXXXXX";
    path = mkdtemp(name);
  }
  ~Folder() { std::system(("rm -rf " + path).c_str()); }
  std::string file(const std::string &name, const std::string &text) const {
    std::string at = path + "/" + name;
    std::ofstream(at) << text;
    return at;
  }
};

// A stand-in player: it logs who it is and how it was started to
// players.log beside itself, makes noise on its own output, and plays on
// for half a minute.
const char *const player_script = R"(#!/bin/sh
PATH=/usr/bin:/bin
echo NOISE; echo NOISE >&2
[ -t 0 ] && input=tty || input=quiet
session=$(cut -d' ' -f6 /proc/$$/stat)
echo "$(basename "$0") $$ $session $input $*" >>"$(dirname "$0")/players.log"
exec sleep 30
)";

void add_player(const Folder &bin, const std::string &name) {
  chmod(bin.file(name, player_script).c_str(), 0755);
}

std::string read_all(const std::string &at) {
  std::stringstream text;
  text << std::ifstream(at).rdbuf();
  return text.str();
}

struct Player {
  std::string name;
  pid_t pid = 0;
  pid_t session = 0;
  std::string input, args;
};

Player logged_player(const std::string &log) {
  Player player;
  std::istringstream line(read_all(log));
  line >> player.name >> player.pid >> player.session >> player.input;
  std::getline(line >> std::ws, player.args);
  return player;
}

TEST(Music, FileWithoutAPlayerShowsNothing) {
  Folder dir, bin;
  dir.file("athousandyears.mp3", "ID3 stand-in");
  Launch launch;
  launch.dir = dir.path;
  launch.path = bin.path;
  ProgramRun run = run_baru(launch);
  EXPECT_EQ(text(run.at_prompt), final_screen());
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
}

TEST(Music, FirstPlayerOnPathPlaysApartFromTheShow) {
  Folder dir, bin;
  dir.file("athousandyears.mp3", "ID3 stand-in");
  std::string log = bin.path + "/players.log";
  add_player(bin, "mpg123");
  add_player(bin, "ffplay");
  Launch launch;
  launch.dir = dir.path;
  launch.path = bin.path;
  pid_t session = 0;
  launch.hold_at = {0}; // till the player has made its noise
  launch.while_held = [&](pid_t program, int) {
    session = session_of(program);
    EXPECT_TRUE(eventually([&] { return !read_all(log).empty(); }));
  };
  ProgramRun run = run_baru(launch);
  EXPECT_EQ(text(run.at_prompt), final_screen());
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);

  Player player = logged_player(log);
  std::string lines = read_all(log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
  EXPECT_EQ(player.name, "mpg123");
  EXPECT_EQ(player.args,
            "-q -o pulse,alsa,oss,coreaudio,sndio athousandyears.mp3");
  EXPECT_EQ(player.input, "quiet");
  EXPECT_NE(player.session, session) << "the player shares the show's session";
  EXPECT_EQ(kill(player.pid, 0), 0) << "the show waited for the player";
  kill(player.pid, SIGKILL);
}

// What the show started and is still running: the processes in its
// folder.
std::vector<pid_t> running_in(const std::string &dir) {
  std::vector<pid_t> found;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    std::error_code gone;
    if (std::filesystem::read_symlink(entry.path() / "cwd", gone) == dir)
      found.push_back(std::atoi(entry.path().filename().c_str()));
  }
  return found;
}

// One second of a tone, as mp3.
void tone(const Folder &dir) {
  std::ofstream raw(dir.path + "/tone.raw", std::ios::binary);
  for (int i = 0; i < 44100; i++) {
    auto sample =
        static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / 44100));
    raw.write(reinterpret_cast<const char *>(&sample), sizeof sample);
  }
  raw.close();
  ASSERT_EQ(std::system(("cd " + dir.path +
                         " && lame --quiet -r -s 44.1 -m m tone.raw "
                         "athousandyears.mp3")
                            .c_str()),
            0);
}

// The real mpg123, where no sound output works (as on a server or in CI):
// for a real file and a broken one, it ends at once, not spinning on.
TEST(Music, RealPlayerWithoutSoundEndsAtOnce) {
  for (bool real : {true, false}) {
    Folder dir, bin;
    if (real)
      tone(dir);
    else
      dir.file("athousandyears.mp3", "ID3 stand-in");
    ASSERT_EQ(symlink("/usr/bin/mpg123", (bin.path + "/mpg123").c_str()), 0);
    Launch launch;
    launch.dir = dir.path;
    launch.path = bin.path;
    ProgramRun run = run_baru(launch);
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_TRUE(eventually([&] { return running_in(dir.path).empty(); }))
        << (real ? "a real file" : "a broken file") << " still playing";
    for (pid_t left : running_in(dir.path))
      kill(left, SIGKILL);
  }
}

// Keys typed while the letter is written are not echoed over it, and do
// not end the wait at the prompt: only a key pressed there does, one key,
// unechoed. Afterwards the terminal's modes are as before.
void typed_during_the_show_then_x(Launch launch) {
  launch.hold_at = {300};
  bool echo_held = false;
  launch.while_held = [&](pid_t, int terminal) {
    echo_held = !echo_on(terminal);
    type(terminal, "hello there\r");
  };
  launch.at_prompt = [](pid_t program, int terminal) {
    EXPECT_TRUE(eventually([&] { return waiting_for_key(program); }));
    EXPECT_EQ(queued(terminal), 0) << "typed ahead, still there to read";
    ASSERT_EQ(write(terminal, "x", 1), 1);
  };
  ProgramRun run = run_baru(launch);
  EXPECT_TRUE(echo_held);
  EXPECT_EQ(text(run.at_end), final_screen_after_the_key());
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_TRUE(run.modes_kept);
  EXPECT_EQ(run.unread, 0);
}

TEST(Keys, TypedDuringTheShowLeaveTheLetterAlone) {
  typed_during_the_show_then_x({});
}

// Started by setsid: the terminal is not the program's to control, and
// still its echo is held. With stdin elsewhere, the keys typed on the
// letter's terminal are held and dropped all the same.
TEST(Keys, WithoutAControllingTerminalOrWithInputElsewhereToo) {
  Launch launch;
  launch.own_session = true;
  typed_during_the_show_then_x(launch);
  launch = {};
  launch.input = Launch::at_end;
  typed_during_the_show_then_x(launch);
}

// An arrow sends three bytes; the shell gets none of them.
TEST(Keys, AnArrowEndsTheWaitWhole) {
  Launch launch;
  launch.at_prompt = [](pid_t, int terminal) {
    ASSERT_EQ(write(terminal, "\x1b[A", 3), 3);
  };
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_EQ(run.unread, 0);
  EXPECT_EQ(text(run.at_end), final_screen_after_the_key());
  EXPECT_TRUE(run.modes_kept);
}

struct Ending {
  const char *name;
  int sig;
  const char *typed; // typed on the terminal, else the signal is sent
};

void PrintTo(const Ending &e, std::ostream *os) { *os << e.name; }

class Signal : public testing::TestWithParam<Ending> {};

// The signal ends the program as it always does, the modes given back;
// a player it started plays on.
TEST_P(Signal, EndsTheShowAndGivesTheModesBack) {
  Folder dir, bin;
  dir.file("athousandyears.mp3", "ID3 stand-in");
  std::string log = bin.path + "/players.log";
  add_player(bin, "mpg123");
  Launch launch;
  launch.dir = dir.path;
  launch.path = bin.path;
  launch.hold_at = {300};
  launch.while_held = [&](pid_t program, int terminal) {
    EXPECT_TRUE(eventually([&] { return !read_all(log).empty(); }));
    if (GetParam().typed)
      ASSERT_EQ(write(terminal, GetParam().typed, 1), 1);
    else
      kill(program, GetParam().sig);
    // Ended here, mid-show: a typed key reaches the terminal's line
    // discipline in its own time.
    EXPECT_TRUE(eventually([&] { return kill(program, 0) != 0; }));
  };
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFSIGNALED(run.status)) << run.status;
  EXPECT_EQ(WTERMSIG(run.status), GetParam().sig);
  EXPECT_TRUE(run.modes_kept);
  EXPECT_EQ(run.end_x, 0) << "the shell goes on inside the frame";
  EXPECT_EQ(run.end_y, 23) << "the frame's top scrolls out of view";
  Player player = logged_player(log);
  EXPECT_EQ(kill(player.pid, 0), 0) << "the player ended with the show";
  kill(player.pid, SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, Signal,
    testing::Values(Ending{"CtrlC", SIGINT, "\x03"},
                    Ending{"CtrlBackslash", SIGQUIT, "\x1c"},
                    Ending{"Term", SIGTERM, nullptr},
                    Ending{"Hangup", SIGHUP, nullptr},
                    Ending{"Quit", SIGQUIT, nullptr},
                    Ending{"BrokenPipe", SIGPIPE, nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

// Started as by nohup, the show outlives a hangup.
TEST(Signal, IgnoredAtStartStaysIgnored) {
  Launch launch;
  launch.ignored = SIGHUP;
  launch.hold_at = {300};
  launch.while_held = [](pid_t program, int) { kill(program, SIGHUP); };
  ProgramRun run = run_baru(launch);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_TRUE(run.modes_kept);
}

} // namespace
