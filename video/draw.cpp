// The screen drawn as a terminal draws it: each cell's character in its
// place on the grid, light on black, with FreeType and HarfBuzz (which
// sets marks on their letters and joins emoji sequences), in the fonts of
// video/fonts.cpp. Each cell is drawn once and kept as a tile, and only
// the cells that changed are drawn again.
#include "video/fonts.h"
#include "video/terminal.h"
#include "video/video.h"

#include "text/cells.h"

#include <algorithm>
#include <map>

static const unsigned char ink[3] = {229, 229, 229}; // the text's grey

/* ------------------------------- Tiles --------------------------------- */

// A cell drawn once, RGB, reused wherever its character stands.
struct Tile {
  int w = 0;
  std::vector<unsigned char> rgb;
};

// A glyph's coverage in the text's grey; overlapping glyphs (a letter and
// its mark) keep the stronger.
static void put_gray(Tile &tile, const FT_Bitmap &b, int x0, int y0) {
  for (int y = 0; y < static_cast<int>(b.rows); y++)
    for (int x = 0; x < static_cast<int>(b.width); x++) {
      int tx = x0 + x, ty = y0 + y;
      if (tx < 0 || ty < 0 || tx >= tile.w || ty >= cell.h)
        continue;
      unsigned a = b.buffer[y * b.pitch + x];
      unsigned char *p = &tile.rgb[(ty * tile.w + tx) * 3];
      for (int c = 0; c < 3; c++)
        p[c] = std::max(p[c], static_cast<unsigned char>(ink[c] * a / 255));
    }
}

// A colour bitmap (premultiplied BGRA) shrunk by `scale`, each pixel the
// mean of those it covers; on black, premultiplied is the colour itself.
static void put_colour(Tile &tile, const FT_Bitmap &b, double scale, int x0,
                       int y0) {
  int w = static_cast<int>(b.width * scale) + 1;
  int h = static_cast<int>(b.rows * scale) + 1;
  std::vector<unsigned> sum(static_cast<size_t>(w * h * 4));
  for (int y = 0; y < static_cast<int>(b.rows); y++)
    for (int x = 0; x < static_cast<int>(b.width); x++) {
      unsigned *s =
          &sum[(static_cast<int>(y * scale) * w + static_cast<int>(x * scale)) *
               4];
      const unsigned char *bgra = &b.buffer[y * b.pitch + x * 4];
      s[0] += bgra[2], s[1] += bgra[1], s[2] += bgra[0], s[3]++;
    }
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const unsigned *s = &sum[(y * w + x) * 4];
      int tx = x0 + x, ty = y0 + y;
      if (s[3] == 0 || tx < 0 || ty < 0 || tx >= tile.w || ty >= cell.h)
        continue;
      for (int c = 0; c < 3; c++)
        tile.rgb[(ty * tile.w + tx) * 3 + c] =
            static_cast<unsigned char>(s[c] / s[3]);
    }
}

// The cell's characters shaped in their font and drawn on its baseline;
// an emoji centred in its cells, as large as they hold.
static Tile draw_tile(const std::string &utf8, int width) {
  Tile tile;
  tile.w = cell.w * width;
  tile.rgb.assign(static_cast<size_t>(tile.w * cell.h * 3), 0);
  std::u32string chars;
  hb_buffer_t *buffer = hb_buffer_create();
  hb_buffer_add_utf8(buffer, utf8.data(), static_cast<int>(utf8.size()), 0, -1);
  unsigned n;
  hb_glyph_info_t *info = hb_buffer_get_glyph_infos(buffer, &n);
  for (unsigned i = 0; i < n; i++)
    chars += static_cast<char32_t>(info[i].codepoint);
  int font = font_for(chars, width);
  hb_buffer_guess_segment_properties(buffer);
  // Each character its own cluster, so that a box is told by its own.
  hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_CHARACTERS);
  hb_shape(shaper(font), buffer, nullptr, 0);
  info = hb_buffer_get_glyph_infos(buffer, &n);
  hb_glyph_position_t *at = hb_buffer_get_glyph_positions(buffer, &n);
  FT_Face font_face = face(font);
  int pen = 0;
  for (unsigned i = 0; i < n; i++, pen += at[i - 1].x_advance) {
    if (info[i].codepoint == 0) { // the font's empty box: no font had it
      char32_t c = 0;
      std::size_t from = info[i].cluster;
      utf8_char(utf8.data() + from, static_cast<int>(utf8.size() - from), c);
      not_drawn(c);
    }
    if (FT_Load_Glyph(font_face, info[i].codepoint,
                      FT_LOAD_RENDER | FT_LOAD_COLOR))
      continue;
    FT_GlyphSlot g = font_face->glyph;
    if (g->bitmap.pixel_mode == FT_PIXEL_MODE_BGRA) {
      double scale = std::min(0.95 * tile.w / g->bitmap.width,
                              0.95 * cell.h / g->bitmap.rows);
      int x0 = (tile.w - static_cast<int>(g->bitmap.width * scale)) / 2;
      int y0 = (cell.h - static_cast<int>(g->bitmap.rows * scale)) / 2;
      put_colour(tile, g->bitmap, scale, x0, y0);
    } else {
      // A mark drawn from its letter's origin (as Thai fonts made for
      // terminals draw theirs) goes back to it, unless the font has
      // placed it on its letter already.
      int origin = pen;
      if (i > 0 && at[i].x_advance == 0 && at[i].x_offset == 0 &&
          g->bitmap_left >= 0)
        origin -= at[i - 1].x_advance;
      put_gray(tile, g->bitmap,
               ((origin + at[i].x_offset) >> 6) + g->bitmap_left,
               cell.baseline - (at[i].y_offset >> 6) - g->bitmap_top);
    }
  }
  hb_buffer_destroy(buffer);
  return tile;
}

/* ------------------------------- Screen -------------------------------- */

// The cursor as a focused terminal draws it, a steady block with the
// cell's character dark on it.
static Tile cell_tile(const std::string &chars, int width, bool cursor) {
  Tile tile;
  if (chars.empty() || chars == " ") {
    tile.w = cell.w * width;
    tile.rgb.assign(static_cast<size_t>(tile.w * cell.h * 3), 0);
  } else {
    tile = draw_tile(chars, width);
  }
  if (cursor)
    for (std::size_t i = 0; i < tile.rgb.size(); i++)
      tile.rgb[i] = static_cast<unsigned char>(
          ink[i % 3] - std::min(tile.rgb[i], ink[i % 3]));
  return tile;
}

Box draw_screen(VTerm *vt, std::vector<unsigned char> &rgb, bool cursor) {
  static std::map<std::string, Tile> tiles;
  // What each cell of `rgb` shows: only cells that differ are drawn, so the
  // same picture must come back every call.
  static std::string drawn[shown_rows][recorded_cols];
  rgb.resize(static_cast<size_t>(picture_w * picture_h * 3));
  VTermPos at = {-1, -1};
  if (cursor)
    vterm_state_get_cursorpos(vterm_obtain_state(vt), &at);
  Box box;
  int rows = std::min(shown_rows, (picture_h - cell.top) / cell.h);
  for (int row = 0; row < rows; row++)
    for (int col = 0; col < recorded_cols;) {
      VTermScreenCell shown;
      vterm_screen_get_cell(vterm_obtain_screen(vt), {row, col}, &shown);
      int width =
          std::clamp(static_cast<int>(shown.width), 1, recorded_cols - col);
      std::string chars = utf8_of(shown.chars);
      bool under_cursor = row == at.row && col == at.col;
      std::string key =
          std::to_string(width) + (under_cursor ? "c" : " ") + chars;
      if (drawn[row][col] != key) {
        drawn[row][col] = key;
        if (width == 2)
          drawn[row][col + 1].clear();
        auto found = tiles.find(key);
        if (found == tiles.end())
          found =
              tiles.emplace(key, cell_tile(chars, width, under_cursor)).first;
        const Tile &tile = found->second;
        int x = cell.left + col * cell.w, y = cell.top + row * cell.h;
        for (int line = 0; line < cell.h; line++)
          std::copy_n(&tile.rgb[line * tile.w * 3], tile.w * 3,
                      &rgb[((y + line) * picture_w + x) * 3]);
        box = {std::min(box.x0, x), std::min(box.y0, y),
               std::max(box.x1, x + tile.w), std::max(box.y1, y + cell.h)};
      }
      col += width;
    }
  return box;
}
