// The screen at the prompt of the letter in the source given, as the show
// draws it: what the Windows build's run under Wine must show.
//
//   expected_screen <letter source>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "letter.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <letter source>\n", argv[0]);
    return 2;
  }
  setenv("BARU_LETTER", argv[1], 1);
  try {
    fputs(final_screen().c_str(), stdout);
  } catch (const std::exception &failed) {
    fprintf(stderr, "%s\n", failed.what());
    return 1;
  }
  return 0;
}
