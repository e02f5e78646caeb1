// baru_video: the show as baru-<version>.mp4 and baru-<version>.cast.
//
//   baru_video <program> <clock> <music> <out>   writes <out>.cast and
//                                                <out>.mp4; the music is
//                                                left out if not there
//   baru_video --link-picture <program> <clock> <out.png>
//                                                the video's lead-in, the
//                                                greeting and the date, as
//                                                a link's preview
//   baru_video --picture [--link] < screen > picture.ppm
//                                                a screen of text (a row
//                                                a line) drawn as the
//                                                video draws it, or as the
//                                                link's picture
//
// What it writes stands whole or not at all: each file is made beside its
// place under another name and takes its place only once it is whole, so
// a letter that cannot be made leaves the last video as it was.
#include "video/terminal.h"
#include "video/video.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

// The rows placed one by one, as the show places its lines; a last line
// "<column> <row>" places the cursor, which is left out without it.
static int picture(int width, int height) {
  VTerm *vt = new_terminal(recorded_rows, recorded_cols);
  std::string line;
  for (int row = 1; row <= shown_rows && std::getline(std::cin, line); row++) {
    // CUP: the row's first column.
    std::string placed = "\x1b[" + std::to_string(row) + ";1H" + line;
    vterm_input_write(vt, placed.data(), placed.size());
  }
  int x = 0, y = recorded_rows - 1; // below the rows shown
  std::cin >> x >> y;
  std::string cursor = // CUP
      "\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "H";
  vterm_input_write(vt, cursor.data(), cursor.size());
  std::vector<unsigned char> rgb;
  draw_screen(vt, rgb, true);
  vterm_free(vt);
  printf("P6\n%d %d\n255\n", width, height);
  fwrite(rgb.data(), 1, rgb.size(), stdout);
  return all_drawn() ? 0 : 1;
}

/* ------------------------------- Files --------------------------------- */

// The tool's folder, where the show runs and the video's parts are made;
// the files not yet whole, by their names; all removed on every way out,
// Ctrl-C included.
static char folder[] = "/tmp/baru-video-XXXXXX";
static std::vector<std::string> &unfinished = *new std::vector<std::string>;

static void clean_up() {
  for (const std::string &part : unfinished)
    unlink(part.c_str());
  rmdir(folder);
}

static void clean_up_and_end(int number) {
  clean_up();
  std::signal(number, SIG_DFL);
  raise(number);
}

// Each made file takes its place, now that all are whole.
static bool put_in_place(const std::vector<std::string> &paths) {
  for (const std::string &path : paths)
    if (rename((path + ".part").c_str(), path.c_str()) != 0) {
      perror(path.c_str());
      return false;
    }
  unfinished.clear();
  return true;
}

/* -------------------------------- Runs --------------------------------- */

// The show recorded, and every character it writes given a font.
static bool recorded(const char *program, const char *clock,
                     Recording &recording) {
  if (!record(program, clock, folder, recording))
    return false;
  std::string text;
  for (const Output &run : recording.runs)
    text += run.bytes;
  return fonts_for(text);
}

static bool video(char **argv) {
  auto start = std::chrono::steady_clock::now();
  std::string out = argv[4], mp4 = out + ".mp4", cast = out + ".cast";
  unfinished = {mp4 + ".part", cast + ".part"};
  for (const char *part : video_parts)
    unfinished.push_back(std::string(folder) + "/" + part);
  struct stat music;
  bool with_music = stat(argv[3], &music) == 0 && S_ISREG(music.st_mode);
  Recording recording;
  if (!recorded(argv[1], argv[2], recording) ||
      !write_cast(cast + ".part", recording) ||
      !write_video(mp4 + ".part", recording, with_music ? argv[3] : "",
                   folder) ||
      !all_drawn() || !put_in_place({mp4, cast}))
    return false;
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  printf("%s (%.3f s after a %.3f s lead-in, %s) and %s, in %.1f s\n",
         mp4.c_str(), recording.end_ms / 1000.0, lead_in_ms / 1000.0,
         with_music ? "with music" : "silent", cast.c_str(), took.count());
  return true;
}

static bool link_picture(char **argv) {
  std::string png = argv[4];
  unfinished = {png + ".part"};
  Recording recording;
  return recorded(argv[2], argv[3], recording) &&
         write_picture(png + ".part", recording) && all_drawn() &&
         put_in_place({png});
}

// The fonts sized for the link's picture, or for the video.
static bool opened(bool for_link) {
  return for_link ? open_fonts(picture_width, picture_height, picture_rows,
                               picture_margin, picture_margin)
                  : open_fonts(video_width, video_height, shown_rows,
                               video_margin, video_below);
}

int main(int argc, char **argv) {
  std::string mode = argc > 1 ? argv[1] : "", then = argc > 2 ? argv[2] : "";
  if (mode == "--picture" && (argc == 2 || (argc == 3 && then == "--link"))) {
    bool link = argc == 3;
    return !opened(link) ? 1
           : link        ? picture(picture_width, picture_height)
                         : picture(video_width, video_height);
  }
  bool for_link = mode == "--link-picture";
  if (argc != 5) {
    fprintf(stderr,
            "usage: %s <program> <clock> <music> <out>\n"
            "       %s --link-picture <program> <clock> <out.png>\n"
            "       %s --picture [--link] < screen > picture.ppm\n",
            argv[0], argv[0], argv[0]);
    return 2;
  }
  if (!opened(for_link))
    return 1;
  if (!mkdtemp(folder)) {
    perror("baru_video: a folder of its own");
    return 1;
  }
  std::signal(SIGINT, clean_up_and_end);
  std::signal(SIGTERM, clean_up_and_end);
  bool made = for_link ? link_picture(argv) : video(argv);
  clean_up();
  return made ? 0 : 1;
}
