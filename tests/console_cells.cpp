// For the Windows console's own window (Wine's wineconsole in the tests):
// runs the program given in this console, and once its prompt (as the
// file given last holds it) stands, writes the console's own cells to the
// file given, a row a line in UTF-8 (half a character beyond U+FFFF as
// U+FFFD), then presses a key and returns the program's exit status.
#include <windows.h>

#include <cstdio>

static CHAR_INFO cells[25][80];

static wchar_t prompt[81]; // the letter's, as its file gives it in UTF-8

static bool prompt_stands(HANDLE console) {
  SMALL_RECT all = {0, 0, 79, 24};
  wchar_t row[81] = {};
  if (!ReadConsoleOutputW(console, &cells[0][0], COORD{80, 25}, COORD{0, 0},
                          &all))
    return false;
  for (int col = 0; col < 80; col++)
    row[col] = cells[24][col].Char.UnicodeChar;
  return wcsstr(row, prompt) != nullptr;
}

int main(int argc, char **argv) {
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION run;
  char words[4 * 80] = {};
  FILE *given = argc == 4 ? fopen(argv[3], "rb") : nullptr;
  if (!given || !fgets(words, sizeof words, given) ||
      !MultiByteToWideChar(CP_UTF8, 0, words, -1, prompt, 80))
    return 2;
  fclose(given);
  FILE *out = fopen(argv[2], "wb");
  if (!out || !CreateProcessA(nullptr, argv[1], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &start, &run))
    return 2;
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  // The show takes minutes at its own speed; ten at most.
  for (int tries = 0; tries < 6000 && !prompt_stands(console); tries++)
    Sleep(100);
  for (auto &row : cells) {
    char line[80 * 4];
    int n = 0, end = 0;
    for (CHAR_INFO &cell : row) {
      wchar_t c = cell.Char.UnicodeChar;
      c = c >= 0xD800 && c < 0xE000 ? 0xFFFD : c;
      n +=
          WideCharToMultiByte(CP_UTF8, 0, &c, 1, line + n, 4, nullptr, nullptr);
      end = c == L' ' ? end : n;
    }
    fprintf(out, "%.*s\n", end, line);
  }
  fclose(out);
  // A key, pressed and let go, ends the show.
  HANDLE keys = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD key[2] = {};
  for (int i = 0; i < 2; i++) {
    key[i].EventType = KEY_EVENT;
    key[i].Event.KeyEvent = {i == 0, 1, 'X', 0, {L'x'}, 0};
  }
  DWORD written, status = 3;
  WriteConsoleInputW(keys, key, 2, &written);
  if (WaitForSingleObject(run.hProcess, 30000) == WAIT_OBJECT_0)
    GetExitCodeProcess(run.hProcess, &status);
  return static_cast<int>(status);
}
