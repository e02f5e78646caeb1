// The console on Windows: kernel32 places the cursor and pauses, the
// command interpreter clears the screen, opens the music file through its
// file association and runs the closing "exit".
//
// Characters go through the runtime's stdout while the cursor is placed on
// the console directly, so stdout is emptied before every placement, pause
// and read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

void console_clear() { system("cls"); }

// The interpreter returns as soon as the player is started.
void music_start() { system("athousandyears.mp3"); }

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

void key_read() {
  fflush(stdout);
  getchar();
}

void console_exit() { system("exit"); }
