#!/usr/bin/env bash
# The web build in a real browser. Installs what it needs when it is
# missing (Debian's emscripten and chromium, Node.js and npm, the page's
# npm packages), builds the site as the README does, then runs the browser
# test on Debian's chromium, driven by Playwright.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for p in emscripten chromium; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

emcmake cmake -S . -B build-web
cmake --build build-web -j "$(nproc)"
(cd web && npm ci --no-audit --no-fund --loglevel=error)
node --test tests/web_show.test.mjs
