// The console on Windows: kernel32 places the cursor and pauses, the
// command interpreter clears the screen, opens the music file through its
// file association and runs the closing "exit".
//
// Characters go through the runtime's stdout while the cursor is placed on
// the console directly, so stdout is emptied before every placement, pause
// and read. Left to itself the runtime writes to the console a character
// at a time, each a round trip; with a buffer of our own, each run between
// two placements or pauses goes out in one write.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "text/cells.h"

/* ---------------------------- Screen output ---------------------------- */

// The letter is UTF-8, which the runtime would hand to the console in its
// own code page, byte by byte. So on a console, stdout goes into a pipe of
// our own, and what it gathered there is written to the console in UTF-16
// at each placement, pause and read: every character as it is, and the
// console's code page, which belongs to the command interpreter too, left
// alone. A zero byte shows nothing, as on a terminal.

// Larger than anything the show writes between two placements.
static char gathered[4096];
static HANDLE console = INVALID_HANDLE_VALUE; // when stdout is one
static HANDLE piped;                          // what stdout wrote, to read
// Since the last placement, a character was written whose cells are not
// its UTF-16 units.
static bool counted_apart = false;

// Into the pipe, in binary mode: the runtime passes the bytes on as they
// are. The runtime closes the handle that stdout had, so the std handle
// becomes a copy of it: the console's, for the cursor and for the command
// interpreter.
static void pipe_stdout() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), self = GetCurrentProcess();
  HANDLE in, kept;
  DWORD mode;
  if (!GetConsoleMode(out, &mode) ||
      !DuplicateHandle(self, out, self, &kept, 0, TRUE, DUPLICATE_SAME_ACCESS))
    return;
  // 64 KiB, far more than the show writes between two placements: the
  // pipe is emptied by the thread that fills it.
  if (!CreatePipe(&piped, &in, nullptr, 65536)) {
    CloseHandle(kept);
    return;
  }
  DWORD at_once = PIPE_NOWAIT; // a read finds what is there, or nothing
  int fd = -1;
  if (SetNamedPipeHandleState(piped, &at_once, nullptr, nullptr))
    fd = _open_osfhandle(reinterpret_cast<intptr_t>(in),
                         _O_BINARY | _O_NOINHERIT);
  if (fd < 0 || _dup2(fd, _fileno(stdout)) != 0) {
    if (fd >= 0)
      _close(fd);
    else
      CloseHandle(in);
    CloseHandle(piped);
    CloseHandle(kept);
    return;
  }
  _close(fd);
  SetStdHandle(STD_OUTPUT_HANDLE, kept);
  console = kept;
}

// The character that the UTF-16 units at s[i] begin, of the n at s; its
// units, two for a surrogate pair, into units.
static char32_t character_at(const wchar_t *s, int n, int i, int &units) {
  char32_t c = s[i];
  units = c >= 0xD800 && c < 0xDC00 && i + 1 < n ? 2 : 1;
  return units == 2 ? 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00) : c;
}

// The cells the n UTF-16 units at s take, into total; whether a character
// among them takes other than a cell a unit.
static bool counted_otherwise(const wchar_t *s, int n, int &total) {
  bool otherwise = false;
  total = 0;
  for (int i = 0, units = 1; i < n; i += units) {
    char32_t c = character_at(s, n, i, units);
    total += cells(c);
    otherwise = otherwise || cells(c) != units;
  }
  return otherwise;
}

// Whether the console gives a mark a cell of its own beside its letter,
// as the Windows console's own window does, and Wine's: asked once, of a
// screen buffer of its own that is never shown, when a mark first comes.
static bool marks_take_cells() {
  static int asked = -1;
  if (asked < 0) {
    HANDLE probe =
        CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CONSOLE_TEXTMODE_BUFFER, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    DWORD written;
    asked = probe != INVALID_HANDLE_VALUE &&
            WriteConsoleW(probe, L"\u0E01\u0E34", 2, &written, nullptr) &&
            GetConsoleScreenBufferInfo(probe, &info) &&
            info.dwCursorPosition.X > 1;
    if (probe != INVALID_HANDLE_VALUE)
      CloseHandle(probe);
  }
  return asked;
}

// The n UTF-16 units at s without the marks left after composing (Thai's,
// a stress mark), where the console would draw each in a cell of its own;
// how many are left.
static int marks_left_out(wchar_t *s, int n) {
  int kept = 0;
  for (int i = 0, units = 1; i < n; i += units)
    if (!joins(character_at(s, n, i, units)) || !marks_take_cells())
      for (int unit = 0; unit < units; unit++)
        s[kept++] = s[i + unit];
  return kept;
}

// Everything written so far onto the console; a character cut short at
// the end of what was read waits for the rest of its bytes.
static void show_gathered() {
  fflush(stdout);
  static char bytes[sizeof gathered + 4];
  static wchar_t wide[sizeof bytes], composed[sizeof bytes];
  static DWORD kept = 0;
  const DWORD most = sizeof gathered;
  DWORD got = most, written;
  while (console != INVALID_HANDLE_VALUE && got == most &&
         ReadFile(piped, bytes + kept, most, &got, nullptr)) {
    DWORD end = 0;
    for (DWORD i = 0; i < kept + got; i++) // the zero bytes out
      if (bytes[i] != '\0')
        bytes[end++] = bytes[i];
    auto whole = static_cast<DWORD>(whole_bytes(bytes, static_cast<int>(end)));
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(whole),
                                wide, static_cast<int>(sizeof bytes));
    // A console that gives a mark a cell of its own (the older Windows
    // console, Wine's) keeps a letter and its accent in one as the
    // accented letter, where there is one (e and U+0301: é), and goes
    // without the marks that have none, rather than draw them apart.
    wchar_t *text = wide;
    int composed_n = n > 0 ? NormalizeString(NormalizationC, wide, n, composed,
                                             static_cast<int>(sizeof bytes))
                           : 0;
    if (composed_n > 0) {
      text = composed;
      n = composed_n;
    }
    n = n > 0 ? marks_left_out(text, n) : n;
    int total = 0;
    bool otherwise = n > 0 && counted_otherwise(text, n, total);
    CONSOLE_SCREEN_BUFFER_INFO before;
    bool recount = otherwise && GetConsoleScreenBufferInfo(console, &before);
    if (n > 0)
      WriteConsoleW(console, text, static_cast<DWORD>(n), &written, nullptr);
    // A mark left on its own has taken a cell there: the cursor goes back
    // to where the letter's count puts it, by way of the row's start (see
    // cursor_place), and what follows covers the mark's cell.
    if (recount) {
      COORD at = before.dwCursorPosition;
      SetConsoleCursorPosition(console, COORD{0, at.Y});
      at.X = static_cast<SHORT>(at.X + total);
      SetConsoleCursorPosition(console, at);
    }
    counted_apart = counted_apart || otherwise;
    kept = end - whole;
    memmove(bytes, bytes + whole, kept);
  }
}

// The interpreter clears the console before stdout is piped: it hands a
// form feed to an output that is not a console.
// The console keeps a screen buffer larger than its window: no notice.
void console_clear(const char *) {
  setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
  system("cls");
  pipe_stdout();
}

// The interpreter returns as soon as the player is started. Without the
// file it would say so in the console's first rows, in the system's
// language and at times wider than the frame, so it is asked only when
// the file is there (a folder of that name is not). With the file but
// nothing to open it, it says so on its error output, which has nowhere
// to go but the console: that goes to nul.
void music_start() {
  DWORD file = GetFileAttributesA("athousandyears.mp3");
  if (file != INVALID_FILE_ATTRIBUTES && !(file & FILE_ATTRIBUTE_DIRECTORY))
    system("athousandyears.mp3 2>nul");
}

// The handle is asked for anew on every placement; nothing caches it.
// A console that draws on a terminal (Wine's) counts a character a cell
// for each of its UTF-16 units, and moves its terminal's cursor by
// counting, so after a wide character or a mark it comes by way of the
// row's start, which it reaches as the start.
void cursor_place(int x, int y) {
  show_gathered();
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (counted_apart)
    SetConsoleCursorPosition(out, COORD{0, static_cast<SHORT>(y)});
  counted_apart = false;
  SetConsoleCursorPosition(out,
                           COORD{static_cast<SHORT>(x), static_cast<SHORT>(y)});
}

void pause_ms(int ms) {
  show_gathered();
  Sleep(static_cast<DWORD>(ms));
}

// A key a person presses, not one held with others (Shift, Ctrl, Alt).
static bool pressed(const INPUT_RECORD &event) {
  if (event.EventType != KEY_EVENT || !event.Event.KeyEvent.bKeyDown)
    return false;
  WORD key = event.Event.KeyEvent.wVirtualKeyCode;
  return key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU;
}

// On the console, what was typed during the show is thrown away before the
// prompt shows, and one key pressed at it ends the wait, unechoed. Input
// from elsewhere is read as it comes.
void key_read() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode;
  if (!GetConsoleMode(input, &mode)) {
    show_gathered();
    getchar();
    return;
  }
  SetConsoleMode(input, mode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  FlushConsoleInputBuffer(input);
  show_gathered();
  INPUT_RECORD event;
  DWORD count;
  while (ReadConsoleInputA(input, &event, 1, &count) && !pressed(event)) {
  }
  FlushConsoleInputBuffer(input);
  SetConsoleMode(input, mode);
}

void console_exit() {
  show_gathered();
  system("exit");
}
