// Text as it comes from a keyboard or a clipboard, made the text the show
// types: its letters composed with their marks where Unicode has a letter
// for both (normalization form C: e and U+0301 as é, Korean jamo as their
// syllable), so that every screen gets the same characters; and what no
// screen draws as written left out: invisible formatting, which a
// terminal draws as "-" and a page as nothing, and U+FE0F after an emoji
// that is one by itself. All of it can be worked out while the program is
// built.
#ifndef BARU_TEXT_TYPED_H
#define BARU_TEXT_TYPED_H

#include "text/cells.h"
#include "text/compositions.h"

/* ---------------------------- Left out ----------------------------- */

// A soft hyphen, a zero width space, a word joiner, a byte order mark;
// the emoji selector after an emoji, which is drawn so without it.
constexpr bool left_out(char32_t c, char32_t before) {
  return c == 0xAD || c == 0x200B || c == 0x2060 || c == 0xFEFF ||
         (c == 0xFE0F && is_emoji(before));
}

/* ---------------------------- Composed ----------------------------- */

constexpr int order_of(char32_t c) {
  int row = row_of(combining, c);
  return row >= 0 ? combining[row].order : 0;
}

// Korean syllables are composed by rule: a leading consonant, a vowel and
// perhaps a final consonant.
constexpr char32_t syllables = 0xAC00, leads = 0x1100, vowels = 0x1161,
                   finals = 0x11A7;
constexpr bool is_syllable(char32_t c) {
  return c >= syllables && c < syllables + 11172;
}

// The character that a and b compose into, or 0.
constexpr char32_t composed(char32_t a, char32_t b) {
  if (a >= leads && a < leads + 19 && b >= vowels && b < vowels + 21)
    return syllables + ((a - leads) * 21 + (b - vowels)) * 28;
  if (is_syllable(a) && (a - syllables) % 28 == 0 && b > finals &&
      b < finals + 28)
    return a + (b - finals);
  int low = 0,
      high = static_cast<int>(sizeof compositions / sizeof compositions[0]) - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    const Composed &row = compositions[mid];
    if (a < row.first || (a == row.first && b < row.second))
      high = mid - 1;
    else if (a > row.first || b > row.second)
      low = mid + 1;
    else
      return row.into;
  }
  return 0;
}

// c taken apart as far as it goes, into out; how many characters.
constexpr int decomposed(char32_t c, char32_t *out) {
  if (is_syllable(c)) {
    char32_t s = c - syllables;
    out[0] = leads + s / 588;
    out[1] = vowels + s % 588 / 28;
    out[2] = finals + s % 28;
    return s % 28 ? 3 : 2;
  }
  int low = 0, high = static_cast<int>(sizeof decompositions /
                                       sizeof decompositions[0]) -
                      1;
  while (low <= high) {
    int mid = (low + high) / 2;
    const Decomposed &row = decompositions[mid];
    if (c < row.c) {
      high = mid - 1;
    } else if (c > row.c) {
      low = mid + 1;
    } else {
      int n = decomposed(row.first, out);
      return row.second ? n + decomposed(row.second, out + n) : n;
    }
  }
  out[0] = c;
  return 1;
}

// c's bytes in UTF-8 at out, if room allows; how many.
constexpr int utf8_put(char32_t c, char *out, int room) {
  int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  constexpr unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  if (n > room)
    return 0;
  for (int i = n - 1; i > 0; i--, c >>= 6)
    out[i] = static_cast<char>(0x80 | (c & 0x3F));
  out[0] = static_cast<char>(n == 1 ? c : lead[n] | c);
  return n;
}

// A letter and the marks that follow it, put in their canonical order as
// they come, then composed; written out once the next letter comes.
struct Cluster {
  char32_t c[32];
  int n;
};

// Each mark composed with the letter, in order, unless a mark of the same
// class stands between them, as kept.
constexpr void compose(Cluster &cluster) {
  if (cluster.n == 0 || order_of(cluster.c[0]) != 0)
    return;
  int kept = 1, last = 0;
  for (int i = 1; i < cluster.n; i++) {
    char32_t mark = cluster.c[i], both = composed(cluster.c[0], mark);
    int order = order_of(mark);
    if (both && last < order) {
      cluster.c[0] = both;
    } else {
      cluster.c[kept++] = mark;
      last = order;
    }
  }
  cluster.n = kept;
}

// The cluster, composed, at out; the bytes it took, or -1 without room.
constexpr int written(Cluster &cluster, char *out, int room) {
  compose(cluster);
  int at = 0;
  for (int i = 0; i < cluster.n; i++) {
    int n = utf8_put(cluster.c[i], out + at, room - at);
    if (n == 0)
      return -1;
    at += n;
  }
  cluster.n = 0;
  return at;
}

// One more character: a mark joins the cluster in its place; a letter
// composes with the cluster's own letter when nothing else is left there
// (Korean's vowel with its consonant), or begins a cluster of its own.
constexpr int add(Cluster &cluster, char32_t c, char *out, int room) {
  int order = order_of(c), at = 0;
  if (order == 0) {
    compose(cluster);
    char32_t both = cluster.n == 1 && order_of(cluster.c[0]) == 0
                        ? composed(cluster.c[0], c)
                        : 0;
    if (both) {
      cluster.c[0] = both;
      return 0;
    }
  }
  if (order == 0 || cluster.n == 32)
    at = written(cluster, out, room);
  if (at < 0)
    return -1;
  // After the marks of its class or lower: the canonical order.
  int i = cluster.n++;
  for (; i > 0 && order_of(cluster.c[i - 1]) > order; i--)
    cluster.c[i] = cluster.c[i - 1];
  cluster.c[i] = c;
  return at;
}

// The text the show types for the n bytes at s, at out, as Unicode's form
// C composes it, with the characters above left out: the bytes it takes,
// or -1 without room. A byte that is not UTF-8 goes as it is.
constexpr int typed_text(const char *s, int n, char *out, int room) {
  Cluster cluster{};
  int at = 0;
  char32_t before = 0;
  for (int i = 0; i < n && at >= 0;) {
    char32_t c = 0, parts[4] = {};
    int length = utf8_char(s + i, n - i, c);
    if (length == 0) {
      int done = written(cluster, out + at, room - at);
      if (done < 0 || at + done >= room)
        return -1;
      at += done;
      out[at++] = s[i++];
      continue;
    }
    i += length;
    if (left_out(c, before))
      continue;
    before = c;
    for (int p = 0, count = decomposed(c, parts); p < count && at >= 0; p++) {
      int done = add(cluster, parts[p], out + at, room - at);
      at = done < 0 ? -1 : at + done;
    }
  }
  int done = at < 0 ? -1 : written(cluster, out + at, room - at);
  return done < 0 ? -1 : at + done;
}

#endif
