#!/usr/bin/env bash
# Installs what the tests need from Debian's packages, then builds and runs
# every test: once plain, with the Windows build (its release zip) under
# Wine at real speed (about four minutes), once more under AddressSanitizer
# and UBSan, and the web build in Debian's chromium.
#
#   bash tests/all.sh          every test
#   bash tests/all.sh quick    the plain run without Wine and the video
#                              (seconds)
#   bash tests/all.sh update   writes anew what follows from the letter: the
#                              screen at the prompt, the show's length in
#                              the documents, the browser's pictures; and
#                              the widths, from Debian's Unicode data
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-all}

packages=(cmake g++ pkg-config libgtest-dev libvterm-dev mpg123 lame
  python3:python3 unicode-data bzcat:bzip2)
# The Windows build under Wine, in tmux and in its console window (Xvfb),
# and perl, which composes its screen as the console does; the video's
# tool: ffmpeg, FreeType, HarfBuzz and the fonts it draws with, Noto's for
# other scripts too, whose characters it lists with python3-fonttools.
[ "$mode" != all ] ||
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 tmux xvfb perl ffmpeg
    libfreetype-dev libharfbuzz-dev fonts-dejavu-core fonts-tlwg-mono-ttf
    fonts-noto-cjk fonts-noto-color-emoji fonts-noto-core python3-fonttools)
bash tests/install.sh "${packages[@]}"

# The widths' tables, the program's and the page's, and the compositions,
# made anew.
[ "$mode" != update ] || python3 text/widths.py
jobs=$(nproc)
full=$([ "$mode" = all ] && echo ON || echo OFF)
cmake -S . -B build-test -DBARU_TESTS=ON -DBARU_WINE_TEST="$full" \
  -DBARU_VIDEO_TEST="$full"
cmake --build build-test -j "$jobs"

if [ "$mode" = update ]; then
  BARU_UPDATE=1 build-test/tests/baru_tests --gtest_filter='Letter.*'
  BARU_UPDATE=1 bash tests/web_show.sh
  git status --short tests/final_screen.txt tests/letter.json README.md docs \
    web/README.txt text/widths.h text/compositions.h web/widths.js
  exit
fi

ctest --test-dir build-test --output-on-failure -j "$jobs"
[ "$mode" = all ] || exit 0

cmake -S . -B build-sanitize -DBARU_TESTS=ON -DBARU_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE wine

# The web build in Debian's chromium.
bash tests/web_show.sh
