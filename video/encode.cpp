// The frames, through ffmpeg: H.264 in yuv420p for every phone and chat
// app, the index at the front so that it plays while it downloads, the
// music under it in AAC, faded out at its end. A frame is drawn only when
// the screen has changed; otherwise the last one goes again, which costs
// x264 next to nothing.
#include "video/terminal.h"
#include "video/video.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

/* ------------------------------- ffmpeg -------------------------------- */

static pid_t start_ffmpeg(const std::vector<std::string> &args, int &input) {
  int ends[2];
  if (pipe(ends) != 0)
    return -1;
  pid_t child = fork();
  if (child < 0) {
    close(ends[0]);
    close(ends[1]);
    return -1;
  }
  if (child == 0) {
    dup2(ends[0], 0);
    close(ends[0]);
    close(ends[1]);
    std::vector<char *> argv;
    for (const std::string &arg : args)
      argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(FFMPEG, argv.data()); // the one the build found
    _exit(127);
  }
  close(ends[0]);
  input = ends[1];
  return child;
}

static std::vector<std::string>
ffmpeg_args(const std::string &path, const std::string &music, double seconds) {
  char size[32], length[32], fade[64];
  snprintf(size, sizeof size, "%dx%d", video_width, video_height);
  snprintf(length, sizeof length, "%.3f", seconds);
  // The music padded with silence if it is shorter, faded over the last
  // two seconds.
  snprintf(fade, sizeof fade, "apad,afade=t=out:st=%.3f:d=2", seconds - 2);
  std::vector<std::string> args = {
      "ffmpeg",   "-v",      "error", "-y", "-f", "rawvideo",
      "-pix_fmt", "yuv420p", "-s",    size, "-r", std::to_string(video_fps),
      "-i",       "-"};
  if (!music.empty())
    args.insert(args.end(), {"-i", music, "-map", "0:v", "-map", "1:a", "-af",
                             fade, "-c:a", "aac", "-b:a", "128k"});
  // Sharp text: a low crf, tuned for still pictures; BT.709, as the
  // frames are converted below.
  args.insert(args.end(), {"-c:v",
                           "libx264",
                           "-preset",
                           "veryfast",
                           "-tune",
                           "stillimage",
                           "-crf",
                           "18",
                           "-pix_fmt",
                           "yuv420p",
                           "-colorspace",
                           "bt709",
                           "-color_primaries",
                           "bt709",
                           "-color_trc",
                           "bt709",
                           "-color_range",
                           "tv",
                           "-movflags",
                           "+faststart",
                           "-t",
                           length,
                           path});
  return args;
}

/* ------------------------------- Frames -------------------------------- */

// RGB to limited-range BT.709 YUV, each colour sample the mean of four
// pixels.
static void to_yuv(const std::vector<unsigned char> &rgb,
                   std::vector<unsigned char> &yuv) {
  const int w = video_width, h = video_height;
  yuv.resize(static_cast<size_t>(w * h * 3 / 2));
  unsigned char *u = &yuv[w * h], *v = u + w * h / 4;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const unsigned char *p = &rgb[(y * w + x) * 3];
      yuv[y * w + x] = static_cast<unsigned char>(
          16 + (47 * p[0] + 157 * p[1] + 16 * p[2]) / 256);
    }
  for (int y = 0; y < h / 2; y++)
    for (int x = 0; x < w / 2; x++) {
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

bool write_video(const std::string &path, const Recording &recording,
                 const std::string &music) {
  long frames = (static_cast<long>(recording.end_ms) * video_fps + 999) / 1000;
  int input;
  signal(SIGPIPE, SIG_IGN); // ffmpeg gone: told by the write
  pid_t ffmpeg = start_ffmpeg(
      ffmpeg_args(path, music, static_cast<double>(frames) / video_fps), input);
  if (ffmpeg < 0)
    return false;
  VTerm *vt = new_terminal(recorded_rows, recorded_cols);
  std::vector<unsigned char> rgb, yuv;
  bool progress = isatty(2), ok = true;
  std::size_t next = 0;
  for (long frame = 0; frame < frames && ok; frame++) {
    // Everything written by the frame's start: its time in the show.
    bool changed = frame == 0;
    for (; next < recording.runs.size() &&
           recording.runs[next].ms * video_fps <= frame * 1000;
         next++) {
      const std::string &bytes = recording.runs[next].bytes;
      vterm_input_write(vt, bytes.data(), bytes.size());
      changed = true;
    }
    if (changed) {
      draw_screen(vt, rgb);
      to_yuv(rgb, yuv);
    }
    ok = write_all(input, yuv);
    if (progress && (frame % video_fps == 0 || frame == frames - 1))
      fprintf(stderr, "\rbaru_video: frame %ld of %ld", frame + 1, frames);
  }
  if (progress)
    fputc('\n', stderr);
  vterm_free(vt);
  close(input);
  int status;
  waitpid(ffmpeg, &status, 0);
  if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "baru_video: ffmpeg could not make %s\n", path.c_str());
    return false;
  }
  return true;
}
