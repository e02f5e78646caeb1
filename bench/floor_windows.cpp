// The floor of the Windows build: the same pauses, each a Sleep, with one
// byte written to the console before each, as the show must at least do.
// Pauses come from the file named by argv[1], one number of milliseconds
// a line; a last "!" marks the end.
#include <windows.h>

#include <fstream>
#include <vector>

int main(int, char **argv) {
  std::vector<int> pauses;
  std::ifstream list(argv[1]);
  for (int ms; list >> ms;)
    pauses.push_back(ms);
  HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written;
  for (int ms : pauses) {
    WriteFile(console, "x", 1, &written, nullptr);
    Sleep(static_cast<DWORD>(ms));
  }
  WriteFile(console, "!", 1, &written, nullptr);
  return 0;
}
