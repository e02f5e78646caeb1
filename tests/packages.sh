#!/usr/bin/env bash
# The release packages, after tests/all.sh has built the Windows zip (its
# baru.exe ran in the Wine test): builds the .deb and the .tar.gz, lists
# what is in all three, checks the man page, and runs the .deb's program,
# unpacked, through the end-to-end tests on the pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(baru VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# dpkg-shlibdeps (in dpkg-dev) finds what the .deb needs, with file's help.
bash tests/install.sh dpkg-dev file man-db

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --target package -j "$(nproc)"
deb=build-release/baru-$version-Linux.deb
tgz=build-release/baru-$version-Linux.tar.gz
zip=build-test/windows/baru-$version-win64.zip

dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
tar tzvf "$tgz"
cmake -E tar tvf "$zip"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$deb" "$unpacked"
grep -q "man 6 baru" "$unpacked/usr/share/doc/baru/README" # the reader's
warnings=$(man --warnings -l "$unpacked/usr/share/man/man6/baru.6.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page: $warnings"; exit 1; }
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip")
x86_64-w64-mingw32-objdump -p "$unpacked/baru-$version-win64/baru.exe" |
  grep 'DLL Name'

BARU_UNDER_TEST=$unpacked/usr/bin/baru ctest --test-dir build-test \
  --output-on-failure -R 'Runs/|Show\.' -j "$(nproc)"
echo "packages: ok"
