#!/usr/bin/env bash
# A line of the letter that does not fit in the frame stops the build, and
# the compiler's message shows its text and what is wrong: here one past
# the right border, a date of wide characters one cell too wide, one on
# row 3, between the greeting and the page, one that is not UTF-8 and one
# that begins with a mark, which would join the frame.
set -uo pipefail
compiler=$1 top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed '/^  clear_frame();/a\
  type_line<60, 4, "past the border">(200);\
  type_line<55, 2, "2013年6月20日">(200);\
  type_line<4, 3, "on row three">(200);\
  type_line<4, 5, "not \\xff UTF-8">(200);\
  type_line<4, 6, "\\xcc\\x81mark first">(200);' "$top/baru.cpp" >"$work/baru.cpp"
if said=$("$compiler" -std=c++20 -fsyntax-only -I "$top" "$work/baru.cpp" 2>&1); then
  echo "built with all five lines"
  exit 1
fi
for expected in '"past the border"' 'width_in_cells = 15' 'room_at_its_column = 7' \
  '"2013年6月20日"' 'width_in_cells = 13' 'room_at_its_column = 12' \
  '"on row three"' 'on_row_2_or_4_to_21 = false' \
  '"not \xff UTF-8"' 'printable_utf8 = false' '"\xcc\x81mark first"'; do
  grep -qF "$expected" <<<"$said" || { echo "no $expected in: $said"; exit 1; }
done
