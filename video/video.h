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
// The frame of stars and the prompt are about 7:5; a chat shows a video as
// wide as the phone, so the video takes their shape, 4:3, and the frame
// nearly its whole width. The prompt's row ends a tenth of the height
// above the bottom, clear of a player's controls.
constexpr int video_width = 1280, video_height = 960, video_fps = 30;
constexpr int video_margin = 40, video_below = 90; // pixels, at the least
// Before the show's first moment, the video's first frame, which a chat
// shows before it plays: the frame of stars with the greeting and the
// date, as the letter shows them, for a second.
constexpr int lead_in_ms = 1000;
// How long the video stays on the prompt before the key.
constexpr int prompt_held_ms = 3000;
// The same screen as the picture of a link to the page, in the size a
// link's preview takes (1.91:1): the frame alone, its 23 rows.
constexpr int picture_width = 1200, picture_height = 630, picture_rows = 23;
constexpr int picture_margin = 30;

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

// Runs the show on the clock, in `folder`; false, said why, if it never
// came to its prompt.
bool record(const char *program, const char *clock, const char *folder,
            Recording &recording);

// Writes the recording as asciicast v2, ending on the prompt as the video
// does.
bool write_cast(const std::string &path, const Recording &recording);

// The first runs of the recording, whose screen is the letter's greeting
// and date in the frame: everything before the letter's first page.
std::size_t runs_of_the_greeting(const Recording &recording);

// The fonts, sized so that the frame's columns and `rows` rows fit a
// picture of `width` by `height`, `margin` pixels from its edges and
// `below` from its bottom; false, said which, if one cannot be opened.
bool open_fonts(int width, int height, int rows, int margin, int below);
// Whether every character of `text` has a font; if not, says which have
// none, and where Debian has one, what to install. Before anything is
// drawn.
bool fonts_for(const std::string &text);

// A part of a picture, in pixels: [x0, x1) by [y0, y1).
struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = 0, y1 = 0;
  bool empty() const { return x1 <= x0; }
};
// Draws the terminal's cells that changed since the last call, and its
// cursor if shown, into an RGB picture of the size the fonts were opened
// for, on black; the same picture each call, as the rest is left as it
// was. Gives the part drawn.
Box draw_screen(VTerm *vt, std::vector<unsigned char> &rgb, bool cursor);
// Whether every character drawn so far had a font; if not, says which had
// none.
bool all_drawn();

// The video's frames, as raw YUV 4:2:0 into `frames`: the lead-in, then
// each tick of the show (up to `ticks`) whose screen changed, the ticks
// of those given.
bool draw_frames(const Recording &recording, long ticks, int frames,
                 std::vector<long> &ticks_of_frames);
// The lead-in's screen alone, as RGB into `picture`.
bool draw_picture(const Recording &recording, int picture);

// The parts write_video makes in its folder, removed once it is done.
constexpr const char *video_parts[] = {"sound.m4a", "changed.h264",
                                       "video.h264"};
// Makes the video with ffmpeg: the frames after the lead-in, the music
// beside them if `music` names a file and silence if not, the title the
// page's; its parts made in `folder`.
bool write_video(const std::string &path, const Recording &recording,
                 const std::string &music, const std::string &folder);
// The lead-in's screen as a PNG of the link's picture's size.
bool write_picture(const std::string &path, const Recording &recording);

// The stream x264 made of the frames that changed, the i-th shown from
// tick ticks_of_frames[i] on, with a frame for every tick up to `ticks`.
bool spread_over_ticks(const std::string &stream,
                       const std::vector<long> &ticks_of_frames, long ticks,
                       std::string &video);

#endif
