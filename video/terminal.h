// The terminal the show's output is read through, by the video and the
// tests alike: libvterm taking UTF-8, its screen kept cell by cell.
#ifndef BARU_VIDEO_TERMINAL_H
#define BARU_VIDEO_TERMINAL_H

#include <vterm.h>

#include <cstdint>
#include <string>

VTerm *new_terminal(int rows, int cols);
// A cell's characters in UTF-8, marks and all; empty for an empty cell.
std::string utf8_of(const uint32_t *chars);

#endif
