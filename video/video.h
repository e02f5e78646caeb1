// The letter as a video and as a terminal recording: the show run once on
// a pseudo-terminal under a clock that marks its pauses instead of waiting
// them, its output kept with the show's time of every byte, then written
// as an asciicast and drawn, frame by frame, into ffmpeg.
#ifndef BARU_VIDEO_VIDEO_H
#define BARU_VIDEO_VIDEO_H

#include <vterm.h>

#include <string>
#include <vector>

// The terminal the show is recorded on: the frame's 70 columns, and the
// row below the prompt free for the line break after the key.
constexpr int recorded_cols = 70, recorded_rows = 26;
// The rows the video shows: the frame and the prompt.
constexpr int shown_rows = 25;
constexpr int video_width = 1280, video_height = 720, video_fps = 30;
// How long the video stays on the prompt before the key.
constexpr int prompt_held_ms = 3000;

// What the show wrote between two of its pauses, at the show's time.
struct Output {
  int ms;
  std::string bytes;
};

struct Recording {
  std::vector<Output> runs;
  bool prompted = false; // it waited for its key
  int end_ms = 0;        // the prompt held, the key given
};

// Runs the show on the clock; false, said why, if it never came to its
// prompt.
bool record(const char *program, const char *clock, Recording &recording);

// Writes the recording as asciicast v2.
bool write_cast(const std::string &path, const Recording &recording);

// The fonts, sized so that the shown rows fit the video; false, said
// which is missing, if one cannot be opened.
bool open_fonts();
// Draws the terminal's cells that changed since the last call, and its
// cursor, into an RGB picture of the video's size, the frame centred on
// black; the same picture each call, as the rest is left as it was.
void draw_screen(VTerm *vt, std::vector<unsigned char> &rgb);
// Whether every character so far had a font; if not, says which had
// none, and what to install.
bool all_drawn();

// Encodes the recording's frames with ffmpeg, the music under them if
// `music` names a file; a progress line on a terminal.
bool write_video(const std::string &path, const Recording &recording,
                 const std::string &music);

#endif
