// The floor the show is measured against: the same pauses, slept the
// same way, with one byte written to the terminal before each, as the
// show must at least do. Pauses come from the file named by argv[1], one
// number of milliseconds a line; a last "!" marks the end.
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

int main(int, char **argv) {
  std::vector<int> pauses;
  std::ifstream list(argv[1]);
  for (int ms; list >> ms;)
    pauses.push_back(ms);
  for (int ms : pauses) {
    if (write(1, "x", 1) != 1)
      return 1;
    struct timespec left = {ms / 1000, ms % 1000 * 1000000L};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
  }
  return write(1, "!", 1) == 1 ? 0 : 1;
}
