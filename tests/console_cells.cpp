// For the Windows console's own window (Wine's wineconsole in the tests):
// runs the program given in this console, and once its prompt stands,
// writes the console's own cells to the file given, a row a line in UTF-8
// (half a character beyond U+FFFF as U+FFFD), then presses a key and
// returns the program's exit status.
#include <windows.h>

#include <cstdio>
#include <cstring>

static CHAR_INFO cells[25][80];

static bool read_cells(HANDLE console) {
  SMALL_RECT all = {0, 0, 79, 24};
  return ReadConsoleOutputW(console, &cells[0][0], COORD{80, 25}, COORD{0, 0},
                            &all);
}

static bool prompt_stands() {
  char row[81] = {};
  for (int col = 0; col < 80; col++)
    row[col] = static_cast<char>(cells[24][col].Char.UnicodeChar);
  return strstr(row, "press any key to exit ...") != nullptr;
}

static void write_cells(FILE *out) {
  for (auto &row : cells) {
    char line[80 * 4 + 1];
    int n = 0, end = 0;
    for (CHAR_INFO &cell : row) {
      wchar_t c = cell.Char.UnicodeChar;
      if (c >= 0xD800 && c < 0xE000)
        c = 0xFFFD;
      n +=
          WideCharToMultiByte(CP_UTF8, 0, &c, 1, line + n, 4, nullptr, nullptr);
      end = c == L' ' ? end : n;
    }
    fprintf(out, "%.*s\n", end, line);
  }
}

int main(int argc, char **argv) {
  if (argc != 3)
    return 2;
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION run;
  if (!CreateProcessA(nullptr, argv[1], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &start, &run))
    return 3;
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  // The show takes minutes at its own speed; ten at most.
  bool stands = false;
  for (int tries = 0; tries < 6000 && !stands; tries++) {
    stands = read_cells(console) && prompt_stands();
    if (!stands)
      Sleep(100);
  }
  FILE *out = fopen(argv[2], "wb");
  if (!out)
    return 4;
  write_cells(out);
  fclose(out);
  // A key, pressed and let go, ends the show.
  HANDLE keys = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD key[2] = {};
  for (int i = 0; i < 2; i++) {
    key[i].EventType = KEY_EVENT;
    key[i].Event.KeyEvent.bKeyDown = i == 0;
    key[i].Event.KeyEvent.wRepeatCount = 1;
    key[i].Event.KeyEvent.wVirtualKeyCode = 'X';
    key[i].Event.KeyEvent.uChar.UnicodeChar = L'x';
  }
  DWORD written, status = 5;
  WriteConsoleInputW(keys, key, 2, &written);
  if (stands && WaitForSingleObject(run.hProcess, 30000) == WAIT_OBJECT_0)
    GetExitCodeProcess(run.hProcess, &status);
  return stands ? static_cast<int>(status) : 6;
}
