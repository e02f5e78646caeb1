// The video and the recording made by baru_video (with a stand-in for the
// music), read back: the video's frames against the screens the show is
// known to show, after its lead-in, the recording replayed through the
// tests' terminal at every pause, and the file's format. Where BARU_VIDEO
// names them.
#include "harness.h"
#include "harness_parts.h"
#include "letter.h"
#include "text/cells.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <regex>
#include <sstream>

#ifdef VIDEO_TOOL
namespace {

const char *made() { return std::getenv("BARU_VIDEO"); }

// The video's size, and its lead-in: the show's times are counted from
// its end.
constexpr int width = 1280, height = 960, lead_in_ms = 1000;

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
  if (a.size() != b.size() || a.size() != width * height * 3)
    return false;
  for (int by = 0; by < height; by += 16)
    for (int bx = 0; bx < width; bx += 16) {
      int sum = 0;
      for (int y = by; y < by + 16; y++)
        for (int i = bx * 3; i < (bx + 16) * 3; i++)
          sum += std::abs(static_cast<unsigned char>(a[y * width * 3 + i]) -
                          static_cast<unsigned char>(b[y * width * 3 + i]));
      if (sum > 16 * 16 * 3 * 10)
        return false;
    }
  return true;
}

// The screen as the video draws it (or as the link's picture, with
// "--link"), with the cursor where given; the file named for this process,
// as others draw theirs at the same time.
std::string drawn(const Screen &screen, const std::string &cursor = "",
                  const std::string &as = "") {
  std::string path =
      testing::TempDir() + "screen-" + std::to_string(getpid()) + ".txt";
  std::ofstream(path) << text(screen) << cursor;
  std::string picture =
      pixels(output_of(VIDEO_TOOL " --picture " + as + " < " + path));
  std::remove(path.c_str());
  return picture;
}
// The frame at the show's time `ms`, after the lead-in.
std::string frame_at(int ms) {
  return pixels(output_of(
      "ffmpeg -v error -ss " + std::to_string((lead_in_ms + ms) / 1000.0) +
      " -i " + made() + ".mp4 -frames:v 1 -c:v ppm -f image2pipe -"));
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

// Where a picture has ink: its leftmost and rightmost column, its lowest
// row.
std::array<int, 3> ink(const std::string &picture) {
  std::array<int, 3> at = {width, -1, -1};
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      if (static_cast<unsigned char>(picture[(y * width + x) * 3 + 1]) > 128)
        at = {std::min(at[0], x), std::max(at[1], x), y};
  return at;
}

// The first frame, which a chat shows before it plays, and the whole
// lead-in: the frame of stars with the greeting and the date, no cursor,
// until the show's first moment. The stars span nearly the video's width;
// the prompt's row ends above the bottom tenth, clear of a player's
// controls. The music from the show's first moment, silence before it.
TEST(Video, OpensOnTheGreetingTheFrameAsWideAsItCanBe) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::string greeting = drawn(page(1, false));
  EXPECT_TRUE(alike(frame_at(-lead_in_ms), greeting));
  EXPECT_TRUE(alike(frame_at(-34), greeting));
  std::vector<std::string> first;
  held_at({0}, &first);
  EXPECT_TRUE(alike(frame_at(0), first.at(0)));
  auto [left, right, bottom] = ink(frame_at(total_ms(show_pauses())));
  EXPECT_GE(right - left, 0.9 * width);
  EXPECT_LE(bottom, 0.92 * height);
  // The first two seconds, 8000 samples a second, silence at 128.
  std::string sound = output_of(std::string("ffmpeg -v error -i ") + made() +
                                ".mp4 -map 0:a -ac 1 -ar 8000 -t 2 -f u8 -");
  auto loudest = [&](double from, double to) {
    int most = 0;
    for (auto at = static_cast<std::size_t>(from * 8000);
         at < sound.size() && at < to * 8000; at++)
      most =
          std::max(most, std::abs(static_cast<unsigned char>(sound[at]) - 128));
    return most;
  };
  EXPECT_LT(loudest(0, 0.95), 2);
  EXPECT_GT(loudest(1.05, 2), 8);
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
  // It ends as the video does: on the prompt, held as long, the cursor on
  // its row.
  for (; next < events.size(); next++)
    show_on(vt.get(), cut, events[next].second.data(),
            events[next].second.size());
  EXPECT_EQ(events.back().first, total_ms(ms) + 3000);
  EXPECT_EQ(cursor_of(vt.get()).row, 24);
}

// H.264 in yuv420p, 1280x960, its index (moov) ahead of its data (mdat),
// at most 16 MiB, the lead-in, the show and 2 to 15 s at the prompt long,
// the music as long; its title the page's.
TEST(Video, PlaysInAnyChat) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::string mp4 = std::string(made()) + ".mp4";
  std::string probe =
      output_of("ffprobe -v error -of default=nw=1 -show_entries "
                "stream=codec_name,pix_fmt,width,height,duration:format=size:"
                "format_tags=title " +
                mp4);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      probe, m,
      std::regex("codec_name=h264\nwidth=1280\nheight=960\n"
                 "pix_fmt=yuv420p\nduration=([0-9.]+)\n"
                 "codec_name=aac\nduration=([0-9.]+)\nsize=(\\d+)\n"
                 "TAG:title=(.+)")))
      << probe;
  EXPECT_EQ(m[4].str(), said("page_title"));
  double video = std::stod(m[1]), audio = std::stod(m[2]);
  double show = total_ms(show_pauses()) / 1000.0;
  EXPECT_GE(video, lead_in_ms / 1000.0 + show + 2);
  EXPECT_LE(video, lead_in_ms / 1000.0 + show + 15);
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

// A frame a tick, each a reference numbered after the one before (its
// frame_num), from 0 at each IDR, as a phone's decoder may insist;
// ffmpeg's own lets a wrong number pass, but its parser shows it.
TEST(Video, EveryFrameNumberedAfterTheOneBefore) {
  if (!made())
    GTEST_SKIP() << "BARU_VIDEO names no video";
  std::istringstream trace(
      output_of(std::string("ffmpeg -v trace -i ") + made() +
                ".mp4 -map 0:v -c copy -bsf:v trace_headers -f null - 2>&1"));
  static const std::regex number(
      R"(\] \d+ +(log2_max_)?frame_num\S* +\d+ = (\d+))");
  int wrap = 0, frames = 0, expected = 0, wrong = 0;
  bool idr = false;
  std::smatch m;
  for (std::string line; std::getline(trace, line);) {
    if (line.find("trace_headers") == std::string::npos)
      continue;
    bool slice = line.find("nal_unit_type: 1(") != std::string::npos;
    if (slice || line.find("nal_unit_type: 5(") != std::string::npos) {
      idr = !slice;
      wrong += line.find("nal_ref_idc: 0") != std::string::npos;
    } else if (std::regex_search(line, m, number) && m[1].matched)
      wrap = 1 << (std::stoi(m[2]) + 4);
    else if (std::regex_search(line, m, number)) {
      wrong += std::stoi(m[2]) != (idr ? 0 : expected);
      expected = (std::stoi(m[2]) + 1) % std::max(wrap, 1);
      frames++;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(frames,
            ((lead_in_ms + total_ms(show_pauses()) + 3000) * 30 + 999) / 1000);
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
  // Every mark drawn on its letter: a row is drawn otherwise without them.
  for (const std::string &row : prompt) {
    Screen marked(25), bare(25);
    marked[0] = row;
    for (int at = 0, n = static_cast<int>(row.size()); at < n;) {
      char32_t c = 0;
      int length = std::max(utf8_char(row.data() + at, n - at, c), 1);
      if (!joins(c))
        bare[0] += row.substr(at, length);
      at += length;
    }
    if (bare[0] != row) {
      EXPECT_NE(drawn(marked), drawn(bare)) << row;
    }
  }
}

// The picture of a link to the page, made from the show: the greeting and
// the date in the frame, as the letter shows them, and nothing of its
// pages; 1200x630, as a link's preview takes it.
TEST(Picture, ALinksPictureShowsTheGreetingAndTheDate) {
  std::string png =
      testing::TempDir() + "link-" + std::to_string(getpid()) + ".png";
  const char *program = getenv("BARU_UNDER_TEST");
  output_of(VIDEO_TOOL " --link-picture " +
            std::string(program ? program : BARU_PATH) + " " CLOCK_PATH " " +
            png);
  std::string picture =
      output_of("ffmpeg -v error -i " + png + " -c:v ppm -f image2pipe -");
  std::remove(png.c_str());
  EXPECT_EQ(picture.substr(0, 16), "P6\n1200 630\n255\n");
  EXPECT_TRUE(pixels(picture) == drawn(page(1, false), "", "--link"));
}

} // namespace
#endif
