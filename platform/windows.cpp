// The console on Windows: kernel32 places the cursor and pauses, the
// command interpreter clears the screen, opens the music file through its
// file association and runs the closing "exit".
//
// Characters go through the runtime's stdout while the cursor is placed on
// the console directly, so stdout is emptied before every placement, pause
// and read. Left to itself the runtime writes to the console a character
// at a time, each a round trip; with a buffer of our own, each run between
// two placements or pauses goes out in one write.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

// Larger than anything the show writes between two placements.
static char gathered[4096];

void console_clear() {
  setvbuf(stdout, gathered, _IOFBF, sizeof gathered);
  system("cls");
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
void cursor_place(int x, int y) {
  fflush(stdout);
  COORD at = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
  SetConsoleCursorPosition(GetStdHandle(STD_OUTPUT_HANDLE), at);
}

void pause_ms(int ms) {
  fflush(stdout);
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
    fflush(stdout);
    getchar();
    return;
  }
  SetConsoleMode(input, mode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  FlushConsoleInputBuffer(input);
  fflush(stdout);
  INPUT_RECORD event;
  DWORD count;
  while (ReadConsoleInputA(input, &event, 1, &count) && !pressed(event)) {
  }
  FlushConsoleInputBuffer(input);
  SetConsoleMode(input, mode);
}

void console_exit() { system("exit"); }
