#!/usr/bin/env bash
# Installs what the tests need from Debian's packages, then builds and runs
# every test: once plain, with the Windows build under Wine (about four
# minutes at real speed), and once more under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ pkg-config libgtest-dev libvterm-dev
  g++-mingw-w64-x86-64-posix wine wine64 tmux mpg123 lame)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

jobs=$(nproc)
cmake -S . -B build-test -DBARU_TESTS=ON -DBARU_WINE_TEST=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DBARU_TESTS=ON -DBARU_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE wine

# The web build in Debian's chromium.
bash tests/web_show.sh
