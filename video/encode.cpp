// The video, made by ffmpeg in three runs: the sound (the music from the
// show's start, faded out at the end, or silence, so that every chat sees
// a video with sound) in AAC while the frames are drawn; the frames that
// changed, by x264, in H.264 for every phone (yuv420p); then both in an
// MP4 with its index at the front, so that it plays while it downloads,
// once h264.cpp has given every other tick its copy of the frame before.
#include "video/video.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

/* ------------------------------- ffmpeg -------------------------------- */

// ffmpeg, as the build found it, started with `args`; its standard input a
// pipe into `input` if asked for.
static pid_t start_ffmpeg(std::vector<std::string> args, int *input) {
  args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y"});
  if (!input)
    args.insert(args.begin() + 1, "-nostdin"); // no keys taken from make
  int ends[2] = {-1, -1};
  if (input && pipe(ends) != 0)
    return -1;
  pid_t child = fork();
  if (child == 0) {
    if (input) {
      dup2(ends[0], 0);
      close(ends[0]);
      close(ends[1]);
    }
    std::vector<char *> argv;
    for (std::string &arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(FFMPEG, argv.data());
    _exit(127);
  }
  if (input) {
    close(ends[0]);
    *input = ends[1];
    if (child < 0)
      close(ends[1]);
  }
  return child;
}

static bool ended_well(pid_t ffmpeg, const char *making) {
  int status = 0;
  if (ffmpeg > 0 && waitpid(ffmpeg, &status, 0) == ffmpeg &&
      WIFEXITED(status) && WEXITSTATUS(status) == 0)
    return true;
  fprintf(stderr, "baru_video: ffmpeg could not make %s\n", making);
  return false;
}

// ffmpeg's arguments: those given first, the words of `line` split at its
// blanks, then the rest; a file's name or a title, which may hold blanks,
// goes first or last.
static std::vector<std::string>
arguments(std::vector<std::string> first, const std::string &line,
          const std::vector<std::string> &last) {
  for (std::size_t at = 0, end; at < line.size(); at = end + 1) {
    end = std::min(line.find(' ', at), line.size());
    first.push_back(line.substr(at, end - at));
  }
  first.insert(first.end(), last.begin(), last.end());
  return first;
}

static std::string decimal(double seconds) {
  char text[32];
  snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

/* ------------------------------- Sound --------------------------------- */

// The music, from the show's first moment, padded with silence if it is
// shorter and faded out over the last two seconds; or silence.
static pid_t start_sound(const std::string &music, double seconds,
                         const std::string &path) {
  std::string aac = " -t " + decimal(seconds) + " -c:a aac -b:a 128k";
  if (music.empty())
    return start_ffmpeg(
        arguments({}, "-f lavfi -i anullsrc=r=44100:cl=stereo" + aac, {path}),
        nullptr);
  return start_ffmpeg(
      arguments({"-i", music},
                "-map 0:a:0 -af adelay=" + std::to_string(lead_in_ms) +
                    ":all=1,apad,afade=t=out:st=" + decimal(seconds - 2) +
                    ":d=2" + aac,
                {path}),
      nullptr);
}

/* ------------------------------- Frames -------------------------------- */

// The frames that changed, as H.264 of the shape h264.cpp takes: sharp
// text, a low crf tuned for still pictures; BT.709, as the frames are
// converted.
static pid_t start_x264(const std::string &path, int &frames) {
  char input[64];
  snprintf(input, sizeof input, "-f rawvideo -pix_fmt yuv420p -s %dx%d -r %d",
           video_width, video_height, video_fps);
  return start_ffmpeg(
      arguments({},
                std::string(input) +
                    " -i - -c:v libx264 -preset superfast -tune stillimage"
                    " -crf 18 -x264-params bframes=0:ref=1:cabac=0:weightp=0"
                    " -pix_fmt yuv420p -colorspace bt709 -color_primaries"
                    " bt709 -color_trc bt709 -color_range tv -f h264",
                {path}),
      &frames);
}

// The video's title: the page's, the letter's in its language (from the
// build).
static const char *const title = VIDEO_TITLE;

// Both streams as they are, the video's frames counted at 30 a second.
static bool put_together(const std::string &video, const std::string &sound,
                         const std::string &path) {
  return ended_well(
      start_ffmpeg(
          arguments({"-framerate", std::to_string(video_fps), "-i", video, "-i",
                     sound},
                    "-map 0:v -map 1:a -c copy"
                    " -bsf:v setts=ts=N*512:duration=512:time_base=1/15360"
                    " -video_track_timescale 15360 -movflags +faststart -f mp4",
                    {"-metadata", std::string("title=") + title, path}),
          nullptr),
      path.c_str());
}

static bool read_file(const std::string &path, std::string &bytes) {
  std::ifstream file(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(file), {});
  return !file.bad();
}

bool write_video(const std::string &path, const Recording &recording,
                 const std::string &music, const std::string &folder) {
  long ticks = lead_in_ms * video_fps / 1000 +
               (static_cast<long>(recording.end_ms) * video_fps + 999) / 1000;
  double seconds = static_cast<double>(ticks) / video_fps;
  std::string sound = folder + "/" + video_parts[0],
              changed = folder + "/" + video_parts[1],
              video = folder + "/" + video_parts[2];
  signal(SIGPIPE, SIG_IGN); // ffmpeg gone: told by the write
  pid_t sounding = start_sound(music, seconds, sound);
  int frames = -1;
  pid_t encoding = start_x264(changed, frames);
  std::vector<long> ticks_of_frames;
  bool drawn =
      encoding > 0 && draw_frames(recording, ticks, frames, ticks_of_frames);
  if (frames >= 0)
    close(frames);
  bool made = ended_well(encoding, "the frames") && drawn;
  made = ended_well(sounding, "the sound") && made;
  std::string stream, whole;
  made = made && read_file(changed, stream) &&
         spread_over_ticks(stream, ticks_of_frames, ticks, whole);
  if (made) {
    std::ofstream(video, std::ios::binary) << whole;
    made = put_together(video, sound, path);
  }
  for (const std::string &part : {sound, changed, video})
    remove(part.c_str());
  return made;
}

bool write_picture(const std::string &path, const Recording &recording) {
  char input[64];
  snprintf(input, sizeof input, "-f rawvideo -pix_fmt rgb24 -s %dx%d",
           picture_width, picture_height);
  int picture = -1;
  pid_t ffmpeg = start_ffmpeg(
      arguments({}, std::string(input) + " -i - -frames:v 1 -c:v png -f image2",
                {path}),
      &picture);
  signal(SIGPIPE, SIG_IGN);
  bool drawn = ffmpeg > 0 && draw_picture(recording, picture);
  if (picture >= 0)
    close(picture);
  return ended_well(ffmpeg, path.c_str()) && drawn;
}
