// What the cells are drawn with (video/fonts.cpp), for video/draw.cpp: the
// fonts, each with its shaper, and the cell's size and place.
#ifndef BARU_VIDEO_FONTS_H
#define BARU_VIDEO_FONTS_H

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>

#include <string>

// A cell of DejaVu Sans Mono at the size chosen, in pixels: its width,
// height and baseline; and where the first cell stands in the picture.
struct Cells {
  int w, h, baseline, left, top;
};
extern Cells cell;
extern int picture_w, picture_h;

// The font for a cell: the emoji font for an emoji shown as one (two
// cells wide, or asked for by the selector U+FE0F), else the first that
// has its character.
int font_for(const std::u32string &chars, int width);
FT_Face face(int font);
hb_font_t *shaper(int font);
// A character drawn as the font's empty box: no font had it.
void not_drawn(char32_t c);

#endif
