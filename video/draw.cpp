// The screen drawn as a terminal draws it: each cell's character in its
// place on the grid, light on black, with FreeType and HarfBuzz (which
// sets marks on their letters and joins emoji sequences). The cell is
// DejaVu Sans Mono's, as large as lets the frame and the prompt fit the
// video; what it lacks comes from the fonts after it, and last from
// Noto's fonts for other scripts where they are installed.
#include "video/terminal.h"
#include "video/video.h"

#include "text/cells.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>

#include <glob.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

/* ------------------------------- Fonts --------------------------------- */

// In the order they are asked for a character; the paths come from the
// build, which found them.
static const char *const font_paths[] = {FONT_MONO, FONT_SANS, FONT_THAI,
                                         FONT_CJK, FONT_EMOJI};
constexpr int fonts = 5, emoji_font = 4;
static FT_Library library;
// The fonts above, then those of other scripts as characters ask for them.
// Open till the tool ends: the lists are never destroyed, so what they
// hold stays in reach of a leak checker.
static std::vector<FT_Face> &faces = *new std::vector<FT_Face>(fonts);
static std::vector<hb_font_t *> &shapers = *new std::vector<hb_font_t *>;

static int cell_w, cell_h, baseline, left, top, pixels;
static const unsigned char ink[3] = {229, 229, 229}; // the text's grey

bool open_fonts() {
  if (FT_Init_FreeType(&library) != 0)
    return false;
  for (int i = 0; i < fonts; i++) {
    if (FT_New_Face(library, font_paths[i], 0, &faces[i]) != 0) {
      fprintf(stderr, "baru_video: cannot open the font %s\n", font_paths[i]);
      return false;
    }
  }
  // The largest size at which the frame's columns and the shown rows fit.
  for (int px = 64; px > 6; px--) {
    FT_Set_Pixel_Sizes(faces[0], 0, static_cast<FT_UInt>(px));
    const FT_Size_Metrics &m = faces[0]->size->metrics;
    cell_w = static_cast<int>((m.max_advance + 63) >> 6);
    cell_h = static_cast<int>((m.ascender - m.descender + 63) >> 6);
    baseline = static_cast<int>(m.ascender >> 6);
    pixels = px;
    if (cell_w * recorded_cols <= video_width &&
        cell_h * shown_rows <= video_height)
      break;
  }
  for (int i = 1; i < emoji_font; i++)
    FT_Set_Pixel_Sizes(faces[i], 0, static_cast<FT_UInt>(pixels));
  FT_Select_Size(faces[emoji_font], 0); // its bitmaps come in one size
  for (int i = 0; i < fonts; i++)
    shapers.push_back(hb_ft_font_create_referenced(faces[i]));
  left = (video_width - cell_w * recorded_cols) / 2;
  top = (video_height - cell_h * shown_rows) / 2;
  return true;
}

static std::set<char32_t> missing;

bool all_drawn() {
  if (missing.empty())
    return true;
  fprintf(stderr, "baru_video: no font here draws");
  for (char32_t c : missing) {
    uint32_t alone[] = {c, 0};
    fprintf(stderr, " %s (U+%04X)", utf8_of(alone).c_str(),
            static_cast<unsigned>(c));
  }
  fprintf(stderr, "; most scripts have a font in fonts-noto-core:\n"
                  "  sudo apt-get install fonts-noto-core\n");
  return false;
}

// Noto's fonts for other scripts (fonts-noto-core), each opened only to
// be asked, and kept once it has a character; the new font's number, or
// -1 if none has it.
static int other_script_font(char32_t c) {
  static std::vector<std::string> left_to_ask = [] {
    glob_t found;
    std::vector<std::string> files;
    if (glob(FONTS_OTHER_SCRIPTS "/*-Regular.ttf", 0, nullptr, &found) == 0)
      files.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    globfree(&found);
    return files;
  }();
  for (auto file = left_to_ask.begin(); file != left_to_ask.end(); ++file) {
    FT_Face face;
    if (FT_New_Face(library, file->c_str(), 0, &face) != 0)
      continue;
    if (FT_Get_Char_Index(face, c) == 0) {
      FT_Done_Face(face);
      continue;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    faces.push_back(face);
    shapers.push_back(hb_ft_font_create_referenced(face));
    left_to_ask.erase(file);
    return static_cast<int>(faces.size()) - 1;
  }
  return -1;
}

// The font for a cell: the emoji font for an emoji shown as one (two
// cells wide, or asked for by the selector U+FE0F), else the first that
// has its character.
static int font_for(const std::u32string &chars, int width) {
  bool emoji = width == 2 || chars.find(U'\uFE0F') != std::u32string::npos;
  if (emoji && FT_Get_Char_Index(faces[emoji_font], chars[0]) != 0)
    return emoji_font;
  for (std::size_t i = 0; i < faces.size(); i++)
    if (FT_Get_Char_Index(faces[i], chars[0]) != 0)
      return static_cast<int>(i);
  int other = missing.count(chars[0]) ? -1 : other_script_font(chars[0]);
  return other >= 0 ? other : 0;
}

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
      if (tx < 0 || ty < 0 || tx >= tile.w || ty >= cell_h)
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
      if (s[3] == 0 || tx < 0 || ty < 0 || tx >= tile.w || ty >= cell_h)
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
  tile.w = cell_w * width;
  tile.rgb.assign(static_cast<size_t>(tile.w * cell_h * 3), 0);
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
  hb_shape(shapers[font], buffer, nullptr, 0);
  info = hb_buffer_get_glyph_infos(buffer, &n);
  hb_glyph_position_t *at = hb_buffer_get_glyph_positions(buffer, &n);
  FT_Face face = faces[font];
  int pen = 0;
  for (unsigned i = 0; i < n; i++, pen += at[i - 1].x_advance) {
    if (info[i].codepoint == 0) { // the font's empty box: no font had it
      char32_t c = 0;
      std::size_t from = info[i].cluster;
      utf8_char(utf8.data() + from, static_cast<int>(utf8.size() - from), c);
      missing.insert(c);
    }
    if (FT_Load_Glyph(face, info[i].codepoint, FT_LOAD_RENDER | FT_LOAD_COLOR))
      continue;
    FT_GlyphSlot g = face->glyph;
    if (g->bitmap.pixel_mode == FT_PIXEL_MODE_BGRA) {
      double scale = std::min(0.95 * tile.w / g->bitmap.width,
                              0.95 * cell_h / g->bitmap.rows);
      int x0 = (tile.w - static_cast<int>(g->bitmap.width * scale)) / 2;
      int y0 = (cell_h - static_cast<int>(g->bitmap.rows * scale)) / 2;
      put_colour(tile, g->bitmap, scale, x0, y0);
    } else {
      // A mark drawn from its letter's origin (as Thai fonts made for
      // terminals draw theirs) goes back to it.
      int origin = pen;
      if (i > 0 && at[i].x_advance == 0 && g->bitmap_left >= 0)
        origin -= at[i - 1].x_advance;
      put_gray(tile, g->bitmap,
               ((origin + at[i].x_offset) >> 6) + g->bitmap_left,
               baseline - (at[i].y_offset >> 6) - g->bitmap_top);
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
    tile.w = cell_w * width;
    tile.rgb.assign(static_cast<size_t>(tile.w * cell_h * 3), 0);
  } else {
    tile = draw_tile(chars, width);
  }
  if (cursor)
    for (std::size_t i = 0; i < tile.rgb.size(); i++)
      tile.rgb[i] = static_cast<unsigned char>(
          ink[i % 3] - std::min(tile.rgb[i], ink[i % 3]));
  return tile;
}

void draw_screen(VTerm *vt, std::vector<unsigned char> &rgb) {
  static std::map<std::string, Tile> tiles;
  // What each cell of `rgb` shows: only cells that differ are drawn, so the
  // same picture must come back every call.
  static std::string drawn[shown_rows][recorded_cols];
  rgb.resize(static_cast<size_t>(video_width * video_height * 3));
  VTermPos cursor;
  vterm_state_get_cursorpos(vterm_obtain_state(vt), &cursor);
  for (int row = 0; row < shown_rows; row++)
    for (int col = 0; col < recorded_cols;) {
      VTermScreenCell cell;
      vterm_screen_get_cell(vterm_obtain_screen(vt), {row, col}, &cell);
      int width =
          std::clamp(static_cast<int>(cell.width), 1, recorded_cols - col);
      std::string chars = utf8_of(cell.chars);
      bool under_cursor = row == cursor.row && col == cursor.col;
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
        for (int y = 0; y < cell_h; y++)
          std::copy_n(&tile.rgb[y * tile.w * 3], tile.w * 3,
                      &rgb[((top + row * cell_h + y) * video_width + left +
                            col * cell_w) *
                           3]);
      }
      col += width;
    }
}
