// The picture: the cells the show has written and the cursor, read off its
// own output. The Windows console keeps its screen whatever happens to its
// window; a terminal loses cells when it is shrunk, and the shell writes
// over the show while Ctrl-Z holds it. So the whole screen is written anew
// after a resize or a return to the foreground, at the next pause. While
// the window is too small for the letter, a notice stands in its place,
// and from the background nothing is shown; the show goes on, its output
// followed here and shown once it can be.
#include "platform/posix_picture.h"

#include "text/cells.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// Each cell holds the bytes of its character, marks and all, as a string;
// the right half of a wide character holds none.
static char picture[25][80][32];
static int picture_x, picture_y;
static struct winsize window; // as last read
// The show's output goes no further than the picture: the notice stands
// instead, or the shell's screen.
static volatile sig_atomic_t withheld = 0;
volatile sig_atomic_t redraw = 0;

void write_through(const char *bytes, int n) {
  for (int done = 0; done < n;) {
    ssize_t written = write(1, bytes + done, static_cast<size_t>(n - done));
    if (written < 0 && errno != EINTR)
      return;
    done += written > 0 ? static_cast<int>(written) : 0;
  }
}

/* ------------------------------ Following ------------------------------ */

static void blank_picture() {
  for (auto &row : picture)
    for (auto &cell : row)
      memcpy(cell, " ", 2);
}

// A character of `cells` cells at the cursor; a wide one half covered is
// gone, as on a terminal.
static void put_char(const char *bytes, int n, int cells) {
  int x = picture_x, y = picture_y;
  picture_x += cells;
  if (y >= 25 || x + cells > 80)
    return;
  char(&row)[80][32] = picture[y];
  if (x > 0 && row[x][0] == '\0')
    memcpy(row[x - 1], " ", 2);
  if (x + cells < 80 && row[x + cells][0] == '\0')
    memcpy(row[x + cells], " ", 2);
  memcpy(row[x], bytes, static_cast<size_t>(n));
  row[x][n] = '\0';
  if (cells == 2)
    row[x + 1][0] = '\0';
}

// A mark, selector or joiner goes into the cell of the character before
// it, as long as there is room.
static void join_char(const char *bytes, int n) {
  int x = picture_x - 1;
  if (picture_y >= 25 || x < 0 || x >= 80)
    return;
  if (x > 0 && picture[picture_y][x][0] == '\0')
    x--; // the right half of a wide character
  char *cell = picture[picture_y][x];
  size_t used = strlen(cell);
  if (used + static_cast<size_t>(n) < sizeof picture[0][0])
    memcpy(cell + used, bytes, static_cast<size_t>(n) + 1);
}

// One whole character, or a byte that is not UTF-8, which a terminal
// shows as one cell. A control shows nothing and leaves the cursor.
static void follow_char(const char *bytes, int n) {
  char32_t c = 0;
  if (utf8_char(bytes, n, c) == 0)
    put_char(bytes, n, 1);
  else if (joins(c))
    join_char(bytes, n);
  else if (!is_control(c))
    put_char(bytes, n, cells(c));
}

// Follows what the show writes: UTF-8 characters, CUP and ED 2. A
// character cut between two writes is taken whole from the second.
static void follow(const char *bytes, size_t n) {
  static int state = 0; // 0: characters, 1: after ESC, 2: in CSI
  static int param[2], count;
  static char pending[5];
  static int have = 0, want = 0;
  for (size_t i = 0; i < n; i++) {
    char c = bytes[i];
    if (have > 0 && (static_cast<unsigned char>(c) & 0xC0) == 0x80) {
      pending[have++] = c;
      if (have == want) {
        pending[have] = '\0';
        follow_char(pending, have);
        have = 0;
      }
      continue;
    }
    if (have > 0) { // cut short: shown as it came
      follow_char(pending, have);
      have = 0;
    }
    if (state == 1) {
      state = c == '[' ? 2 : 0;
      param[0] = param[1] = count = 0;
    } else if (state == 2 && c >= '0' && c <= '9') {
      param[count] = param[count] * 10 + (c - '0');
    } else if (state == 2 && c == ';') {
      count = 1;
    } else if (state == 2) {
      state = 0;
      if (c == 'H') {
        picture_y = param[0] > 0 ? param[0] - 1 : 0;
        picture_x = param[1] > 0 ? param[1] - 1 : 0;
      } else if (c == 'J' && param[0] == 2) {
        blank_picture();
      }
    } else if (c == '\x1b') {
      state = 1;
    } else if (utf8_bytes(c) > 1) {
      pending[0] = c;
      have = 1;
      want = utf8_bytes(c);
    } else {
      follow_char(&c, 1);
    }
  }
}

// stdout's own write: every byte is followed, then written whole, unless
// it is withheld.
static ssize_t write_followed(const char *bytes, size_t n) {
  follow(bytes, n);
  if (!withheld)
    write_through(bytes, static_cast<int>(n));
  return static_cast<ssize_t>(n);
}

#if defined(__APPLE__) || defined(__FreeBSD__) || defined(__NetBSD__) ||       \
    defined(__OpenBSD__) || defined(__DragonFly__)
static int write_cookie(void *, const char *bytes, int n) {
  return static_cast<int>(write_followed(bytes, static_cast<size_t>(n)));
}
static FILE *followed() {
  return funopen(nullptr, nullptr, write_cookie, nullptr, nullptr);
}
#else
static ssize_t write_cookie(void *, const char *bytes, size_t n) {
  return write_followed(bytes, n);
}
static FILE *followed() {
  cookie_io_functions_t io = {};
  io.write = write_cookie;
  return fopencookie(nullptr, "w", io);
}
#endif

// Too small for the frame and the prompt: fewer than 70 columns or 24
// rows. A size that cannot be read, or reads 0, changes nothing.
static bool too_small() {
  return ioctl(1, TIOCGWINSZ, &window) == 0 && window.ws_col > 0 &&
         window.ws_row > 0 && (window.ws_col < 70 || window.ws_row < 24);
}

static const char *notice = "";

bool follow_stdout(const char *small_window_notice) {
  FILE *stream = isatty(1) ? followed() : nullptr;
  if (!stream)
    return false;
  notice = small_window_notice;
  blank_picture();
  stdout = stream;
  withheld = too_small();
  redraw = withheld; // the notice, from the first pause
  return true;
}

/* ---------------------------- The background --------------------------- */

bool in_background(int fd) {
  pid_t foreground = tcgetpgrp(fd);
  return foreground != -1 && foreground != getpgrp();
}

void keep_off_the_shell() {
  if (!in_background(1))
    return;
  kill(0, SIGTTOU);
  // Not stopped (its process group orphaned, or the signal ignored): it
  // goes on unseen.
  if (in_background(1))
    withheld = 1;
}

bool notice_stands() { return withheld && !in_background(1); }

/* ------------------------------- Drawing ------------------------------- */

// Large enough for the whole picture with a CUP for every cell.
static char drawn[sizeof picture + 25 * 80 * 8 + 32];

// The columns a terminal may fill from the row's start: its last cell
// that is not blank, or as far as a cell's marks may reach where each
// takes a cell of its own.
static int row_end(const char (&row)[80][32]) {
  int end = 80;
  while (end > 0 && strcmp(row[end - 1], " ") == 0)
    end--;
  for (int col = 0; col < end; col++) {
    int n = static_cast<int>(strlen(row[col]));
    int reach = col + widest_cells(row[col], n);
    if (n > 0 && !counted_alike(row[col], n) && reach > end)
      end = reach < 80 ? reach : 80;
  }
  return end;
}

// Erase, every row that holds something, the cursor back. After a cell
// that a terminal may count otherwise than the show (see counted_alike),
// the cursor is placed again at the next, so the row's right side stands.
static int draw_picture() {
  int n = sprintf(drawn, "\x1b[2J"); // ED 2: erase the whole display
  for (int row = 0; row < 25; row++) {
    int end = row_end(picture[row]);
    if (end > 0) // CUP to the row's start, then its cells
      n += sprintf(drawn + n, "\x1b[%d;1H", row + 1);
    for (int col = 0, alike = 1; col < end; col++) {
      const char *cell = picture[row][col];
      if (cell[0] == '\0')
        continue; // the right half of a wide character
      if (!alike) // CUP to the cell
        n += sprintf(drawn + n, "\x1b[%d;%dH", row + 1, col + 1);
      alike = counted_alike(cell, static_cast<int>(strlen(cell)));
      n += sprintf(drawn + n, "%s", cell);
    }
  }
  // CUP: the cursor where the show left it
  return n + sprintf(drawn + n, "\x1b[%d;%dH", picture_y + 1, picture_x + 1);
}

void draw_if_asked() {
  if (!redraw)
    return;
  redraw = 0;
  if (in_background(1)) {
    withheld = 1;
    return;
  }
  bool small = too_small();
  write_through(
      drawn, small ? notice_drawn(drawn, notice, window.ws_col, window.ws_row)
                   : draw_picture());
  withheld = small;
}
