#!/usr/bin/env bash
# Installs what the tests need from Debian's packages, then builds and runs
# every test: once plain, with the Windows build (its release zip) under
# Wine at real speed (about four minutes), once more under AddressSanitizer
# and UBSan, and the web build in Debian's chromium.
#
#   bash tests/all.sh          every test
#   bash tests/all.sh quick    the plain run without Wine (seconds)
set -euo pipefail
cd "$(dirname "$0")/.."
quick=$([ "${1:-}" = quick ] && echo yes || echo no)

packages=(cmake g++ pkg-config libgtest-dev libvterm-dev mpg123 lame)
[ "$quick" = yes ] ||
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 tmux)
bash tests/install.sh "${packages[@]}"

jobs=$(nproc)
if [ "$quick" = yes ]; then
  cmake -S . -B build-test -DBARU_TESTS=ON -DBARU_WINE_TEST=OFF
  cmake --build build-test -j "$jobs"
  ctest --test-dir build-test --output-on-failure -j "$jobs"
  exit
fi

cmake -S . -B build-test -DBARU_TESTS=ON -DBARU_WINE_TEST=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DBARU_TESTS=ON -DBARU_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE wine

# The web build in Debian's chromium.
bash tests/web_show.sh
