// The fonts the cells are drawn with: DejaVu Sans Mono for the cell, as
// large as lets the frame fit the picture; what it lacks comes from the
// fonts after it, and last from Noto's fonts for other scripts where they
// are installed. Every character is looked for before anything is drawn,
// so a letter with one no font has fails at once, naming it.
#include "video/fonts.h"
#include "video/noto_core.h"
#include "video/terminal.h"
#include "video/video.h"

#include "text/cells.h"

#include <glob.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <vector>

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

Cells cell;
int picture_w, picture_h;
static int pixels;

FT_Face face(int font) { return faces[static_cast<std::size_t>(font)]; }
hb_font_t *shaper(int font) { return shapers[static_cast<std::size_t>(font)]; }

bool open_fonts(int width, int height, int rows, int margin, int below) {
  if (FT_Init_FreeType(&library) != 0)
    return false;
  for (int i = 0; i < fonts; i++) {
    if (FT_New_Face(library, font_paths[i], 0, &faces[i]) != 0) {
      fprintf(stderr, "baru_video: cannot open the font %s\n", font_paths[i]);
      return false;
    }
  }
  // The largest size at which the frame's columns and the rows fit.
  for (pixels = 64; pixels > 6; pixels--) {
    FT_Set_Pixel_Sizes(faces[0], 0, static_cast<FT_UInt>(pixels));
    const FT_Size_Metrics &m = faces[0]->size->metrics;
    cell.w = static_cast<int>((m.max_advance + 63) >> 6);
    cell.h = static_cast<int>((m.ascender - m.descender + 63) >> 6);
    cell.baseline = static_cast<int>(m.ascender >> 6);
    if (cell.w * recorded_cols <= width - 2 * margin &&
        cell.h * rows <= height - margin - below)
      break;
  }
  for (int i = 1; i < emoji_font; i++)
    FT_Set_Pixel_Sizes(faces[i], 0, static_cast<FT_UInt>(pixels));
  FT_Select_Size(faces[emoji_font], 0); // its bitmaps come in one size
  for (int i = 0; i < fonts; i++)
    shapers.push_back(hb_ft_font_create_referenced(faces[i]));
  picture_w = width, picture_h = height;
  cell.left = (width - cell.w * recorded_cols) / 2;
  cell.top = margin + (height - margin - below - cell.h * rows) / 2;
  return true;
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
    FT_Face other;
    if (FT_New_Face(library, file->c_str(), 0, &other) != 0)
      continue;
    if (FT_Get_Char_Index(other, c) == 0) {
      FT_Done_Face(other);
      continue;
    }
    FT_Set_Pixel_Sizes(other, 0, static_cast<FT_UInt>(pixels));
    faces.push_back(other);
    shapers.push_back(hb_ft_font_create_referenced(other));
    left_to_ask.erase(file);
    return static_cast<int>(faces.size()) - 1;
  }
  return -1;
}

static std::set<char32_t> missing;

// The first font that has c, asking Noto's last; -1 if none has it. A
// character drawn as text, in one cell, asks the colour emoji last of all.
static int font_with(char32_t c, bool text) {
  for (std::size_t i = 0; i < faces.size(); i++)
    if ((!text || i != emoji_font) && FT_Get_Char_Index(faces[i], c) != 0)
      return static_cast<int>(i);
  int font = missing.count(c) ? -1 : other_script_font(c);
  return font < 0 && text && FT_Get_Char_Index(faces[emoji_font], c) != 0
             ? emoji_font
             : font;
}

int font_for(const std::u32string &chars, int width) {
  bool emoji = width == 2 || chars.find(U'\uFE0F') != std::u32string::npos;
  if (emoji && FT_Get_Char_Index(faces[emoji_font], chars[0]) != 0)
    return emoji_font;
  int font = font_with(chars[0], !emoji);
  return font >= 0 ? font : 0;
}

void not_drawn(char32_t c) { missing.insert(c); }

/* ------------------------ Characters with none ------------------------- */

static bool noto_core_has(char32_t c) {
  for (const auto &range : noto_core_draws)
    if (c >= range[0] && c <= range[1])
      return true;
  return false;
}

static std::string named(char32_t c) {
  uint32_t alone[] = {c, 0};
  char code[16];
  snprintf(code, sizeof code, " (U+%04X)", static_cast<unsigned>(c));
  return utf8_of(alone) + code;
}

// Names the characters with no font, and for each, where Debian has a
// font for it, what to install, or that it has none.
bool all_drawn() {
  if (missing.empty())
    return true;
  std::string none, installable;
  bool noto_core = access(FONTS_OTHER_SCRIPTS "/NotoSans-Regular.ttf", 0) == 0;
  for (char32_t c : missing)
    (!noto_core && noto_core_has(c) ? installable : none) += " " + named(c);
  fprintf(stderr, "baru_video: no font here draws");
  for (char32_t c : missing)
    fprintf(stderr, " %s", named(c).c_str());
  fprintf(stderr, "\n");
  if (!installable.empty())
    fprintf(stderr,
            "  Debian's fonts-noto-core draws%s:\n"
            "    sudo apt-get install fonts-noto-core\n",
            installable.c_str());
  if (!none.empty())
    fprintf(stderr,
            "  No font in Debian draws%s: the letter cannot show it in "
            "the video; write it without.\n",
            none.c_str());
  return false;
}

bool fonts_for(const std::string &text) {
  std::set<char32_t> asked;
  for (int at = 0, n = static_cast<int>(text.size()); at < n;) {
    char32_t c = 0;
    int length = utf8_char(text.data() + at, n - at, c);
    at += length > 0 ? length : 1;
    if (length > 0 && !is_control(c) && asked.insert(c).second &&
        font_with(c, cells(c) < 2) < 0)
      not_drawn(c);
  }
  return all_drawn();
}
