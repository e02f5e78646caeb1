// x264 encodes only the frames whose screen changed; every other tick of
// the video is a frame written here, each of its macroblocks skipped: a
// copy of the frame before, a dozen bytes. So the video keeps a frame on
// every tick, as players and seeking want, while x264 spends its time on
// the thousand frames that differ rather than on seven thousand.
//
// That holds for a stream of one shape, which encode.cpp asks x264 for
// and this checks: CAVLC (the skipped macroblocks are one number), no
// B-frames and one reference (each frame refers to the one before it), no
// weighted prediction, and picture order counted from frame_num (type 2).
// Every frame is a reference, so frame_num counts them all: x264's frames
// after a copy have theirs written anew, a field of fixed width.
#include "video/video.h"

#include <cstdio>

/* ------------------------------ Bits ---------------------------------- */

// A NAL unit's payload without its emulation prevention bytes (00 00 03).
static std::string unescaped(const std::string &nal) {
  std::string rbsp;
  int zeros = 0;
  for (char c : nal) {
    if (zeros >= 2 && c == 3) {
      zeros = 0;
      continue;
    }
    zeros = c == 0 ? zeros + 1 : 0;
    rbsp += c;
  }
  return rbsp;
}

// The other way: a 03 after two zero bytes wherever the next is 00 to 03.
static std::string escaped(const std::string &rbsp) {
  std::string nal;
  int zeros = 0;
  for (char c : rbsp) {
    if (zeros >= 2 && static_cast<unsigned char>(c) <= 3) {
      nal += '\3';
      zeros = 0;
    }
    zeros = c == 0 ? zeros + 1 : 0;
    nal += c;
  }
  return nal;
}

struct BitReader {
  const std::string &bytes;
  std::size_t at = 0; // in bits
  unsigned u(int n) {
    unsigned v = 0;
    for (; n > 0; n--, at++)
      v = v << 1 |
          (at / 8 < bytes.size() &&
           (static_cast<unsigned char>(bytes[at / 8]) >> (7 - at % 8) & 1));
    return v;
  }
  unsigned ue() { // Exp-Golomb
    int zeros = 0;
    while (u(1) == 0 && zeros < 32)
      zeros++;
    return (1u << zeros) - 1 + u(zeros);
  }
  int se() {
    unsigned k = ue();
    return k % 2 ? static_cast<int>((k + 1) / 2) : -static_cast<int>(k / 2);
  }
};

struct BitWriter {
  std::string bytes;
  int used = 8; // bits used of the last byte
  void u(int n, unsigned v) {
    for (n--; n >= 0; n--) {
      if (used == 8)
        bytes += '\0', used = 0;
      bytes.back() =
          static_cast<char>(bytes.back() | (v >> n & 1) << (7 - used++));
    }
  }
  void ue(unsigned v) {
    int bits = 0;
    while ((v + 1) >> bits > 1)
      bits++;
    u(bits, 0);
    u(bits + 1, v + 1);
  }
  void trailing() { // the stop bit, then zeros to the byte's end
    u(1, 1);
    used = 8;
  }
};

/* --------------------------- The stream ------------------------------- */

// What the frames written here take from the stream's parameter sets.
struct Shape {
  int frame_num_bits = 0, macroblocks = 0, pps_id = -1;
  bool deblocking_control = false;
};

// A sequence parameter set (7.3.2.1.1) of the shape above; false if not.
static bool read_sps(const std::string &rbsp, Shape &shape) {
  BitReader r{rbsp, 8};
  unsigned profile = r.u(8);
  r.u(16); // constraint flags, level
  r.ue();  // its id
  static const unsigned high[] = {100, 110, 122, 244, 44, 83, 86, 118, 128};
  for (unsigned p : high)
    if (profile == p) {
      if (r.ue() == 3) // chroma_format_idc
        r.u(1);
      r.ue(), r.ue(), r.u(1); // bit depths, qpprime
      if (r.u(1))             // scaling matrices
        return false;
    }
  shape.frame_num_bits = static_cast<int>(r.ue()) + 4;
  bool counted_by_frame_num = r.ue() == 2;
  bool one_reference = r.ue() == 1;
  r.u(1); // gaps in frame_num allowed
  unsigned width = r.ue() + 1, height = r.ue() + 1;
  bool frames_only = r.u(1);
  shape.macroblocks = static_cast<int>(width * height);
  return counted_by_frame_num && one_reference && frames_only;
}

// A picture parameter set (7.3.2.2) of the shape above; false if not.
static bool read_pps(const std::string &rbsp, Shape &shape) {
  BitReader r{rbsp, 8};
  shape.pps_id = static_cast<int>(r.ue());
  r.ue(); // its sequence's
  bool cavlc = r.u(1) == 0;
  r.u(1);
  bool one_slice_group = r.ue() == 0;
  r.ue(), r.ue(); // references by default
  bool unweighted = r.u(1) == 0 && r.u(2) == 0;
  r.se(), r.se(), r.se(); // quantisers
  shape.deblocking_control = r.u(1);
  r.u(1);
  bool no_redundant = r.u(1) == 0;
  return cavlc && one_slice_group && unweighted && no_redundant;
}

// A P slice, a reference, every macroblock skipped (7.3.3, 7.3.4); its
// deblocking off, though skipped blocks leave it nothing to do.
static std::string copy_of_the_frame_before(const Shape &shape,
                                            unsigned frame_num) {
  BitWriter w;
  w.u(8, 0x41); // nal_ref_idc 2, a slice of a picture not IDR
  w.ue(0);      // its first macroblock
  w.ue(5);      // P, as is every slice of the picture
  w.ue(static_cast<unsigned>(shape.pps_id));
  w.u(shape.frame_num_bits, frame_num);
  w.u(1, 1), w.ue(0); // one reference: the frame before
  w.u(1, 0);          // the reference list as it stands
  w.u(1, 0);          // references dropped oldest first
  w.ue(0);            // slice_qp_delta, as se(0)
  if (shape.deblocking_control)
    w.ue(1);
  w.ue(static_cast<unsigned>(shape.macroblocks)); // mb_skip_run
  w.trailing();
  return escaped(w.bytes);
}

// The slice's frame_num made `frame_num`: it follows three Exp-Golomb
// numbers and keeps its width, so the rest stays where it was.
static std::string renumbered(const std::string &nal, const Shape &shape,
                              unsigned frame_num) {
  std::string rbsp = unescaped(nal);
  BitReader r{rbsp, 8};
  r.ue(), r.ue(), r.ue();
  for (int i = shape.frame_num_bits - 1; i >= 0; i--, r.at++) {
    char &byte = rbsp[r.at / 8];
    int bit = 7 - static_cast<int>(r.at % 8);
    byte =
        static_cast<char>((byte & ~(1 << bit)) | (frame_num >> i & 1) << bit);
  }
  return escaped(rbsp);
}

static const std::string start_code("\0\0\0\1", 4);

// The NAL units of an Annex B stream.
static std::vector<std::string> nal_units(const std::string &stream) {
  std::vector<std::string> units;
  std::size_t at = stream.find(start_code.substr(1));
  while (at != std::string::npos) {
    std::size_t begin = at + 3;
    at = stream.find(start_code.substr(1), begin);
    std::size_t end = at == std::string::npos ? stream.size() : at;
    while (end > begin && stream[end - 1] == 0) // a four-byte start code
      end--;
    units.push_back(stream.substr(begin, end - begin));
  }
  return units;
}

bool spread_over_ticks(const std::string &stream,
                       const std::vector<long> &ticks_of_frames, long ticks,
                       std::string &video) {
  Shape shape;
  bool shaped = true;
  unsigned frame_num = 0, wrap = 0;
  long tick = 0;
  std::size_t frame = 0;
  for (const std::string &nal : nal_units(stream)) {
    int type = nal.empty() ? 0 : nal[0] & 0x1F;
    if (type == 7)
      shaped = shaped && read_sps(unescaped(nal), shape);
    else if (type == 8)
      shaped = shaped && read_pps(unescaped(nal), shape);
    if (!shaped || (type == 1 && (nal[0] & 0x60) == 0))
      break; // not a stream of the shape above, or a frame not a reference
    wrap = 1u << shape.frame_num_bits;
    if (type == 1 || type == 5) {
      if (frame == ticks_of_frames.size())
        break;
      for (; tick < ticks_of_frames[frame]; tick++) {
        frame_num = (frame_num + 1) % wrap;
        video += start_code + copy_of_the_frame_before(shape, frame_num);
      }
      frame_num = type == 5 ? 0 : (frame_num + 1) % wrap;
      video += start_code + renumbered(nal, shape, frame_num);
      frame++, tick++;
    } else {
      video += start_code + nal;
    }
  }
  if (!shaped || frame != ticks_of_frames.size() || frame == 0) {
    fprintf(stderr,
            "baru_video: x264 made a stream of another shape than "
            "asked (%zu of %zu frames read)\n",
            frame, ticks_of_frames.size());
    return false;
  }
  for (; tick < ticks; tick++) {
    frame_num = (frame_num + 1) % wrap;
    video += start_code + copy_of_the_frame_before(shape, frame_num);
  }
  return true;
}
