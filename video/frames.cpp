// The video's frames: the recording played into a terminal tick by tick,
// each tick showing all the show wrote by its start, after a lead-in that
// shows the letter's greeting and date. Only a tick whose screen changed
// is drawn, converted and handed on; the rest copy the frame before.
#include "video/terminal.h"
#include "video/video.h"

#include <unistd.h>

#include <cstdio>

/* ------------------------------- Lead-in -------------------------------- */

static bool blank(VTerm *vt, int first_row, int last_row) {
  for (int row = first_row; row <= last_row; row++)
    for (int col = 1; col < recorded_cols - 1; col++) {
      VTermScreenCell cell;
      vterm_screen_get_cell(vterm_obtain_screen(vt), {row, col}, &cell);
      if (cell.chars[0] != 0 && cell.chars[0] != ' ')
        return false;
    }
  return true;
}

// The loading bar fills the page's rows; once it is cleared, the greeting
// and the date are typed on row 2, and the screen stands so until the
// first page's first line comes.
std::size_t runs_of_the_greeting(const Recording &recording) {
  VTerm *vt = new_terminal(recorded_rows, recorded_cols);
  bool loading = false, cleared = false;
  std::size_t greeting = 0;
  for (std::size_t run = 0; run < recording.runs.size(); run++) {
    const std::string &bytes = recording.runs[run].bytes;
    vterm_input_write(vt, bytes.data(), bytes.size());
    bool page_blank = blank(vt, 4, 21);
    if (cleared && !page_blank)
      break;
    loading = loading || !page_blank;
    cleared = loading && page_blank;
    if (cleared)
      greeting = run + 1;
  }
  vterm_free(vt);
  return greeting;
}

// The lead-in's screen, in a terminal of its own.
static VTerm *greeting(const Recording &recording) {
  VTerm *vt = new_terminal(recorded_rows, recorded_cols);
  for (std::size_t run = 0; run < runs_of_the_greeting(recording); run++)
    vterm_input_write(vt, recording.runs[run].bytes.data(),
                      recording.runs[run].bytes.size());
  return vt;
}

/* ------------------------------- Colours -------------------------------- */

// RGB to limited-range BT.709 YUV 4:2:0 within `box` (widened to whole
// colour samples), each colour sample the mean of four pixels.
static void to_yuv(const std::vector<unsigned char> &rgb, Box box,
                   std::vector<unsigned char> &yuv) {
  const int w = video_width, h = video_height;
  yuv.resize(static_cast<size_t>(w * h * 3 / 2));
  unsigned char *u = &yuv[w * h], *v = u + w * h / 4;
  box.x0 &= ~1, box.y0 &= ~1, box.x1 += box.x1 & 1, box.y1 += box.y1 & 1;
  for (int y = box.y0; y < box.y1; y++)
    for (int x = box.x0; x < box.x1; x++) {
      const unsigned char *p = &rgb[(y * w + x) * 3];
      yuv[y * w + x] = static_cast<unsigned char>(
          16 + (47 * p[0] + 157 * p[1] + 16 * p[2]) / 256);
    }
  for (int y = box.y0 / 2; y < box.y1 / 2; y++)
    for (int x = box.x0 / 2; x < box.x1 / 2; x++) {
      int r = 0, g = 0, b = 0;
      for (int dy = 0; dy < 2; dy++)
        for (int dx = 0; dx < 2; dx++) {
          const unsigned char *p = &rgb[((2 * y + dy) * w + 2 * x + dx) * 3];
          r += p[0], g += p[1], b += p[2];
        }
      u[y * w / 2 + x] =
          static_cast<unsigned char>(128 + (-26 * r - 87 * g + 112 * b) / 1024);
      v[y * w / 2 + x] =
          static_cast<unsigned char>(128 + (112 * r - 102 * g - 10 * b) / 1024);
    }
}

static bool write_all(int fd, const std::vector<unsigned char> &bytes) {
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

/* ------------------------------- Frames --------------------------------- */

bool draw_frames(const Recording &recording, long ticks, int frames,
                 std::vector<long> &ticks_of_frames) {
  const long lead_in = lead_in_ms * video_fps / 1000;
  std::vector<unsigned char> rgb, yuv;
  // The lead-in, without the cursor, and the black around the frame.
  VTerm *vt = greeting(recording);
  draw_screen(vt, rgb, false);
  to_yuv(rgb, Box{0, 0, video_width, video_height}, yuv);
  vterm_free(vt);
  bool ok = write_all(frames, yuv);
  ticks_of_frames = {0};
  bool progress = isatty(2);
  // The show, from its first moment: everything written by a tick's
  // start, at its time in the show.
  vt = new_terminal(recorded_rows, recorded_cols);
  std::size_t next = 0;
  for (long tick = lead_in; tick < ticks && ok; tick++) {
    long show_ms_x_fps = (tick - lead_in) * 1000;
    bool written = false;
    for (; next < recording.runs.size() &&
           recording.runs[next].ms * video_fps <= show_ms_x_fps;
         next++) {
      const std::string &bytes = recording.runs[next].bytes;
      vterm_input_write(vt, bytes.data(), bytes.size());
      written = true;
    }
    Box drawn = written ? draw_screen(vt, rgb, true) : Box{};
    if (!drawn.empty()) {
      to_yuv(rgb, drawn, yuv);
      ok = write_all(frames, yuv);
      ticks_of_frames.push_back(tick);
    }
    if (progress && (tick % video_fps == 0 || tick == ticks - 1))
      fprintf(stderr, "\rbaru_video: frame %ld of %ld", tick + 1, ticks);
  }
  if (progress)
    fputc('\n', stderr);
  vterm_free(vt);
  return ok;
}

// The lead-in's screen alone, for a link's preview: the fonts were opened
// for its size.
bool draw_picture(const Recording &recording, int picture) {
  VTerm *vt = greeting(recording);
  std::vector<unsigned char> rgb;
  draw_screen(vt, rgb, false);
  vterm_free(vt);
  return write_all(picture, rgb);
}
