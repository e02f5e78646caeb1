// baru_video: the show as baru-<version>.mp4 and baru-<version>.cast.
//
//   baru_video <program> <clock> <music> <out>   writes <out>.cast and
//                                                <out>.mp4; the music is
//                                                left out if not there
//   baru_video --picture < screen > picture.ppm  a screen of text (a row
//                                                a line) drawn as the
//                                                video draws it
#include "video/terminal.h"
#include "video/video.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

// The rows placed one by one, as the show places its lines; a last line
// "<column> <row>" places the cursor, which is left out without it.
static int picture() {
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
  draw_screen(vt, rgb);
  vterm_free(vt);
  printf("P6\n%d %d\n255\n", video_width, video_height);
  fwrite(rgb.data(), 1, rgb.size(), stdout);
  return all_drawn() ? 0 : 1;
}

int main(int argc, char **argv) {
  if (!open_fonts())
    return 1;
  if (argc == 2 && std::string(argv[1]) == "--picture")
    return picture();
  if (argc != 5) {
    fprintf(stderr, "usage: %s <program> <clock> <music> <out>\n", argv[0]);
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  Recording recording;
  std::string out = argv[4];
  struct stat music;
  bool with_music = stat(argv[3], &music) == 0 && S_ISREG(music.st_mode);
  if (!record(argv[1], argv[2], recording) ||
      !write_cast(out + ".cast", recording) ||
      !write_video(out + ".mp4", recording, with_music ? argv[3] : "") ||
      !all_drawn()) {
    // Nothing half made, or with boxes for letters, is left to be sent.
    remove((out + ".mp4").c_str());
    remove((out + ".cast").c_str());
    return 1;
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  printf("%s.mp4 (%.3f s, %s) and %s.cast, in %.1f s\n", out.c_str(),
         recording.end_ms / 1000.0, with_music ? "with music" : "silent",
         out.c_str(), took.count());
  return 0;
}
