// The video and the recording made by baru_video (with a stand-in for the
// music), read back: the video's frames against the screens the show is
// known to show, the recording replayed through the tests' terminal at
// every pause, and the file's format. Where BARU_VIDEO names them.
#include "harness.h"
#include "harness_parts.h"
#include "letter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <regex>

#ifdef VIDEO_TOOL
namespace {

const char *made() { return std::getenv("BARU_VIDEO"); }

std::string output_of(const std::string &command) {
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  char bytes[65536];
  for (std::size_t n; pipe && (n = fread(bytes, 1, sizeof bytes, pipe)) > 0;)
    out.append(bytes, n);
  EXPECT_EQ(pipe ? pclose(pipe) : -1, 0) << command;
  return out;
}

// A picture's pixels, from a PPM; and whether two are alike, each 16x16
// block within a margin for the encoder's loss.
std::string pixels(const std::string &ppm) {
  return ppm.substr(ppm.find("255\n") + 4);
}
bool alike(const std::string &a, const std::string &b) {
  if (a.size() != b.size() || a.size() != 1280 * 720 * 3)
    return false;
  for (int by = 0; by < 720; by += 16)
    for (int bx = 0; bx < 1280; bx += 16) {
      int sum = 0;
      for (int y = by; y < by + 16; y++)
        for (int i = bx * 3; i < (bx + 16) * 3; i++)
          sum += std::abs(static_cast<unsigned char>(a[y * 3840 + i]) -
                          static_cast<unsigned char>(b[y * 3840 + i]));
      if (sum > 16 * 16 * 3 * 10)
        return false;
    }
  return true;
}

// The screen as the video draws it, with the cursor where given; the
// file named for this process, as others draw theirs at the same time.
std::string drawn(const Screen &screen, const std::string &cursor = "") {
  std::string path =
      testing::TempDir() + "screen-" + std::to_string(getpid()) + ".txt";
  std::ofstream(path) << text(screen) << cursor;
  std::string picture = pixels(output_of(VIDEO_TOOL " --picture < " + path));
  std::remove(path.c_str());
  return picture;
}
std::string frame_at(int ms) {
  return pixels(output_of("ffmpeg -v error -ss " + std::to_string(ms / 1000.0) +
                          " -i " + made() +
                          ".mp4 -frames:v 1 -c:v ppm -f image2pipe -"));
}

// The screen at each of the given pauses, held there in turn, and the
// screen with its cursor, drawn.
std::vector<Screen> held_at(const std::vector<int> &pauses,
                            std::vector<std::string> *pictures = nullptr) {
  std::vector<Screen> screens;
  Launch launch;
  launch.hold_at = pauses;
  launch.while_held = [&](pid_t, int) {
    screens.push_back(on_screen());
    if (pictures)
      pictures->push_back(drawn(screens.back(), cursor_now()));
  };
  run_baru(launch);
  return screens;
}

// When pause p begins: the show's time of what was written before it.
int start_of(const std::vector<int> &ms, int p) {
  return std::accumulate(ms.begin(), ms.begin() + p, 0);
}

// From pause p on, the first that, and the one before it, last two frames
// or more: the frame at its start can show only its screen, and the frame
// 34 ms before only the screen before (a blank's 20 ms would not do).
int held_two_frames(const std::vector<int> &ms, int p) {
  while (ms.at(p - 1) < 2000 / 30 + 1 || ms.at(p) < 2000 / 30 + 1)
    p++;
  return p;
}

// The first page cleared, a keystroke on the next page, and the prompt:
// each on the screen, cursor and all, from the first frame at or after its
// time, the screen before it in the frame before.
TEST(Video, EachScreenInTheFrameOfItsTime) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::vector<int> turns, ms = show_pauses(&turns);
  // After the line's first keystroke: a half-typed line either side.
  int typed = held_two_frames(ms, turns[0] + 5);
  std::vector<int> at = {turns[0] + 1, turns[0] + 2, // the page cleared
                         typed - 1, typed, static_cast<int>(ms.size()) - 1};
  std::vector<std::string> seen;
  held_at(at, &seen);
  ASSERT_EQ(seen.size(), at.size());
  for (int i : {1, 3}) {
    EXPECT_TRUE(alike(frame_at(start_of(ms, at[i])), seen[i])) << at[i];
    EXPECT_TRUE(alike(frame_at(start_of(ms, at[i]) - 34), seen[i - 1]))
        << at[i];
  }
  Screen prompt = page(pages());
  put(prompt, 3, 24, said("prompt"));
  std::string at_prompt = drawn(prompt, "28 24");
  EXPECT_TRUE(alike(frame_at(total_ms(ms)), at_prompt));
  EXPECT_TRUE(alike(frame_at(total_ms(ms) + 2900), at_prompt));
  EXPECT_TRUE(alike(frame_at(total_ms(ms) - 34), seen[4]));
}

// A JSON string as the recording writes it, from its opening quote.
std::string json_string(const std::string &json, std::size_t at) {
  std::string text;
  for (at++; json[at] != '"'; at++) {
    if (json[at] != '\\')
      text += json[at];
    else if (json[++at] == 'u')
      text += static_cast<char>(std::stoi(json.substr(at + 1, 4), nullptr, 16)),
          at += 4;
    else
      text += json[at];
  }
  return text;
}

// Played through the tests' terminal, the recording shows at the start of
// every pause what the show showed there.
TEST(Video, RecordingReplaysEveryPause) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::ifstream cast(std::string(made()) + ".cast");
  std::string line;
  std::getline(cast, line);
  EXPECT_TRUE(std::regex_search(
      line, std::regex(R"(^\{"version": 2, "width": 70, "height": 26\b)")))
      << line;
  std::vector<std::pair<int, std::string>> events;
  static const std::regex event(R"(^\[(\d+)\.(\d{3}), "o", ")");
  for (std::smatch m; std::getline(cast, line);) {
    ASSERT_TRUE(std::regex_search(line, m, event)) << line;
    events.push_back({std::stoi(m[1]) * 1000 + std::stoi(m[2]),
                      json_string(line, m.length() - 1)});
  }
  std::vector<int> ms = show_pauses(), every(ms.size());
  std::iota(every.begin(), every.end(), 0);
  std::vector<Screen> screens = held_at(every);
  ASSERT_EQ(screens.size(), ms.size());
  Term vt = terminal(26, 70);
  std::string cut;
  std::size_t next = 0;
  for (std::size_t p = 0; p < ms.size(); p++) {
    for (; next < events.size() && events[next].first <= start_of(ms, p);
         next++)
      show_on(vt.get(), cut, events[next].second.data(),
              events[next].second.size());
    Screen shown = screen_of(vt.get());
    shown.resize(25);
    ASSERT_EQ(text(shown), text(screens[p])) << "pause " << p;
  }
}

// H.264 in yuv420p, at least 1280x720, its index (moov) ahead of its data
// (mdat), at most 16 MiB, the show and 2 to 15 s at the prompt long, and
// the music as long.
TEST(Video, PlaysInAnyChat) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::string mp4 = std::string(made()) + ".mp4";
  std::string probe =
      output_of("ffprobe -v error -of default=nw=1 -show_entries "
                "stream=codec_name,pix_fmt,width,height,duration:format=size " +
                mp4);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      probe, m,
      std::regex("codec_name=h264\nwidth=1280\nheight=720\n"
                 "pix_fmt=yuv420p\nduration=([0-9.]+)\n"
                 "codec_name=aac\nduration=([0-9.]+)\nsize=(\\d+)")))
      << probe;
  double video = std::stod(m[1]), audio = std::stod(m[2]);
  double show = total_ms(show_pauses()) / 1000.0;
  EXPECT_GE(video, show + 2);
  EXPECT_LE(video, show + 15);
  EXPECT_NEAR(audio, video, 0.05);
  EXPECT_LE(std::stol(m[3]), 16L << 20);
  std::ifstream file(mp4, std::ios::binary);
  std::string boxes;
  for (unsigned char head[8]; file.read(reinterpret_cast<char *>(head), 8);) {
    boxes += std::string(reinterpret_cast<char *>(head + 4), 4) + " ";
    file.seekg((head[0] << 24 | head[1] << 16 | head[2] << 8 | head[3]) - 8,
               std::ios::cur);
  }
  EXPECT_TRUE(std::regex_search(boxes, std::regex("moov .*mdat"))) << boxes;
}

// The letter at its prompt drawn as the video draws it: a font for every
// character (the tool fails on one it cannot draw), the emoji in colour.
TEST(World, EveryCharacterDrawnInTheVideo) {
  Screen prompt = page(pages());
  put(prompt, 3, 24, said("prompt"));
  std::string picture = drawn(prompt);
  int coloured = 0;
  for (std::size_t i = 0; i + 2 < picture.size(); i += 3) {
    auto [least, most] = std::minmax(
        {picture[i], picture[i + 1], picture[i + 2]}, [](char a, char b) {
          return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
        });
    coloured +=
        static_cast<unsigned char>(most) - static_cast<unsigned char>(least) >
        60;
  }
  bool emoji = std::regex_search(text(prompt), std::regex("[\xF0-\xF4]"));
  EXPECT_EQ(coloured > 0, emoji);
}

} // namespace
#endif
