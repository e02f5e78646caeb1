#!/usr/bin/env bash
# The web build in a real browser. Installs what it needs when it is
# missing (Debian's emscripten and chromium, Node.js and npm, the page's
# npm packages), builds the site and its package (unpacked) as the README
# does, then runs the browser test on Debian's chromium, with Playwright.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/install.sh emscripten chromium node:nodejs npm:npm \
  fonts-dejavu-core fonttools python3-brotli fonts-noto-mono fonts-noto-core \
  fonts-noto-cjk
# A link's picture is drawn by the video's tool, with what it needs.
bash tests/install.sh ffmpeg pkg-config libvterm-dev libfreetype-dev \
  libharfbuzz-dev fonts-dejavu-core fonts-tlwg-mono-ttf fonts-noto-cjk \
  fonts-noto-color-emoji
# The README's pictures show every script a letter may be written in.
[ "${BARU_UPDATE:-}" != 1 ] ||
  bash tests/install.sh fonts-noto-cjk fonts-noto-color-emoji

emcmake cmake -S . -B build-web
cmake --build build-web -j "$(nproc)" --target package
# A site that knows its address names its link's picture: its page alone.
emcmake cmake -S . -B build-web-linked -DBARU_SITE_URL=https://example.org/ko/
cmake --build build-web-linked -j "$(nproc)" --target xterm link_picture
# The world letter's site, its last page in every script and symbol.
emcmake cmake -S . -B build-web-world -DBARU_WORLD=ON
cmake --build build-web-world -j "$(nproc)" --target baru xterm
rm -rf build-web/unpacked && mkdir build-web/unpacked
(cd build-web/unpacked && cmake -E tar xf ../baru-*-web.zip)
(cd web && npm ci --no-audit --no-fund --loglevel=error)
node --test tests/web_show.test.mjs
