#!/usr/bin/env bash
# A line of the letter that does not fit in the frame stops the build, and
# the compiler's message shows its text: here one past the right border
# and one on row 3, between the greeting and the page.
set -uo pipefail
compiler=$1 top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed '/^  clear_frame();/a\
  type_line<60, 4>("past the border", 200);\
  type_line<4, 3>("on row three", 200);' "$top/baru.cpp" >"$work/baru.cpp"
if said=$("$compiler" -std=c++17 -fsyntax-only -I "$top" "$work/baru.cpp" 2>&1); then
  echo "built with both lines"
  exit 1
fi
grep -q '"past the border"' <<<"$said" && grep -q '"on row three"' <<<"$said"
