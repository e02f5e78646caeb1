// The show run once on a pseudo-terminal of the recorded size, on the
// marking clock: its output, cut at the marks into runs at the show's
// time, and the prompt answered once the show waits for it.
#include "video/clock_marks.h"
#include "video/video.h"

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/cells.h"

/* ------------------------------ The run -------------------------------- */

// Started in an empty folder of its own, so that no music file is found
// and no player starts while the video is made.
static pid_t start(const char *program, const char *clock, int &terminal,
                   const char *folder) {
  struct winsize size = {recorded_rows, recorded_cols, 0, 0};
  pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
  if (child == 0) {
    if (chdir(folder) != 0)
      _exit(126);
    setenv("LD_PRELOAD", clock, 1);
    setenv("SHOW_CLOCK_MARKS", "1", 1);
    // A show built with AddressSanitizer takes the clock ahead of it.
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("TERM", "xterm-256color", 1);
    execl(program, program, static_cast<char *>(nullptr));
    _exit(127);
  }
  return child;
}

// The show's pauses take no time here, so a show silent this long is
// stuck: waiting for something other than its key, say.
constexpr int silent_ms_at_most = 10000;

// All the show writes, the key given as soon as it is asked for; the
// prompt itself is held in the show's time, not here. False if the show
// fell silent without ending.
static bool everything_written(int terminal, std::string &all) {
  bool answered = false;
  char bytes[65536];
  for (;;) {
    struct pollfd show = {terminal, POLLIN, 0};
    int ready = poll(&show, 1, silent_ms_at_most);
    if (ready == 0)
      return false;
    ssize_t n = ready < 0 ? -1 : read(terminal, bytes, sizeof bytes);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return true; // EIO once the show has ended and closed its side
    all.append(bytes, static_cast<size_t>(n));
    if (!answered && all.find(KEY_MARK) != std::string::npos)
      answered = write(terminal, "\r", 1) == 1;
  }
}

/* ------------------------------ The runs ------------------------------- */

// Cuts the output at the marks: the bytes between two marks are one run,
// at the time the first of them ended. A character cut short at the end
// of a run goes with the next, so that every run is whole UTF-8.
static void cut_into_runs(const std::string &all, Recording &recording) {
  int now = 0;
  std::string run;
  auto keep = [&] {
    int whole = whole_bytes(run.data(), static_cast<int>(run.size()));
    if (whole > 0)
      recording.runs.push_back({now, run.substr(0, whole)});
    run.erase(0, static_cast<size_t>(whole));
  };
  static const std::string start = MARK_START;
  std::size_t at = 0;
  for (std::size_t mark; (mark = all.find(start, at)) != std::string::npos;) {
    std::size_t end = all.find('\x07', mark);
    if (end == std::string::npos)
      break;
    run += all.substr(at, mark - at);
    keep();
    std::string what =
        all.substr(mark + start.size(), end - mark - start.size());
    if (what.rfind("pause;", 0) == 0) {
      now += atoi(what.c_str() + 6);
    } else if (what == "key" && !recording.prompted) {
      recording.prompted = true;
      now += prompt_held_ms;
    }
    at = end + 1;
  }
  run += all.substr(at);
  keep();
  recording.end_ms = now;
}

bool record(const char *program, const char *clock, const char *folder,
            Recording &recording) {
  // Named from here, since the show starts in its own folder.
  char *program_path = realpath(program, nullptr);
  char *clock_path = realpath(clock, nullptr);
  int terminal = -1;
  pid_t child = program_path && clock_path
                    ? start(program_path, clock_path, terminal, folder)
                    : -1;
  free(program_path);
  free(clock_path);
  if (child < 0) {
    perror("baru_video: a terminal for the show");
    return false;
  }
  std::string all;
  bool ended = everything_written(terminal, all);
  if (!ended) {
    fprintf(stderr,
            "baru_video: %s wrote nothing for %d s without ending; stopped\n",
            program, silent_ms_at_most / 1000);
    kill(child, SIGKILL);
  }
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  if (!ended)
    return false;
  cut_into_runs(all, recording);
  if (!recording.prompted || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "baru_video: %s never came to its prompt\n", program);
    return false;
  }
  return true;
}

/* ------------------------------ The cast ------------------------------- */

// JSON: a quote, a backslash and the controls escaped; the rest is
// UTF-8 as it stands.
static void put_json_string(FILE *file, const std::string &text) {
  fputc('"', file);
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\')
      fprintf(file, "\\%c", c);
    else if (byte < 0x20 || byte == 0x7F)
      fprintf(file, "\\u%04x", byte);
    else
      fputc(c, file);
  }
  fputc('"', file);
}

bool write_cast(const std::string &path, const Recording &recording) {
  FILE *file = fopen(path.c_str(), "w");
  if (!file) {
    perror(path.c_str());
    return false;
  }
  fprintf(file,
          "{\"version\": 2, \"width\": %d, \"height\": %d, "
          "\"env\": {\"TERM\": \"xterm-256color\"}}\n",
          recorded_cols, recorded_rows);
  // What the show wrote after its key, the line break for the shell, is
  // left out: the recording ends on the prompt, cursor and all, held there
  // as long as the video.
  for (const Output &run : recording.runs) {
    if (run.ms >= recording.end_ms)
      break;
    fprintf(file, "[%d.%03d, \"o\", ", run.ms / 1000, run.ms % 1000);
    put_json_string(file, run.bytes);
    fputs("]\n", file);
  }
  fprintf(file, "[%d.%03d, \"o\", \"\"]\n", recording.end_ms / 1000,
          recording.end_ms % 1000);
  return fclose(file) == 0;
}
