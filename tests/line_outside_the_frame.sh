#!/usr/bin/env bash
# A line of the letter that would not stand as written on every screen
# stops the build at its line, and the compiler's first word on it is one
# short line that says why, with its numbers: one past the right border, a
# date of wide characters one cell too wide, a row between the greeting
# and the page, a column on the frame, a byte that is not UTF-8, a tab, a
# mark first, a line separator, and each kind of character some screens
# draw otherwise.
set -uo pipefail
compiler=$1 top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rows=(
  '60, 4, "past the border"|too_wide_a_line_of_cells_from_column_with_room_for<15, 60, 7>'
  '55, 2, "2013年6月20日"|too_wide_a_line_of_cells_from_column_with_room_for<13, 55, 12>'
  '4, 3, "on row three"|not_a_row_for_the_letter_use_2_or_4_to_21<3>'
  '0, 4, "on the frame"|not_a_column_for_the_letter_use_1_to_66<0>'
  '4, 5, "not \xff UTF-8"|not_utf8_from_byte_save_the_file_as_utf8<5>'
  '4, 6, "a\ttab"|a_control_character_such_as_a_tab_at_column_with_code<5, '
  '4, 6, "\xcc\x81mark first"|a_line_may_not_begin_with_a_mark_it_joins_what_stands_before<'
  '4, 7, "नमस्ते"|code<4, .*drawn_differently::letters_reordered_or_joined>'
  '4, 7, "שלום and سلام"|code<4, .*drawn_differently::written_right_to_left>'
  '4, 8, "family 👨‍👩‍👧"|code<13, .*drawn_differently::joined_by_zero_width_joiner>'
  '4, 9, "flag 🇮🇩"|code<9, .*drawn_differently::part_of_a_flag>'
  '4, 9, "hi 👋🏽"|code<9, .*drawn_differently::skin_tone_of_an_emoji>'
  '4, 9, "love ❤️"|code<10, .*drawn_differently::emoji_or_text_style_selector>'
  '4, 9, "\xcd\xb8 and \xee\x80\x80"|code<4, .*drawn_differently::unassigned_code_point>'
  '4, 9, "private \xee\x80\x80"|code<12, .*drawn_differently::private_use_character>'
  '4, 9, "pink 🩷"|code<9, .*drawn_differently::newer_than_unicode_14>'
  '4, 9, "yijing ䷀"|code<11, .*drawn_differently::wide_on_some_terminals_narrow_on_others>'
  '4, 9, "sign \u06dd1"|code<9, .*drawn_differently::letters_reordered_or_joined>'
  '4, 6, "a\u2028break"|a_control_character_such_as_a_tab_at_column_with_code<5, '
)
for row in "${rows[@]}"; do
  echo "  type_line<${row%%|*}>(200);"
done >"$work/lines"
sed "/^  clear_frame();/r $work/lines" "$top/baru.cpp" >"$work/baru.cpp"
first=$(grep -n '^  clear_frame();' "$work/baru.cpp" | cut -d: -f1)
if said=$("$compiler" -std=c++20 -fsyntax-only -I "$top" "$work/baru.cpp" 2>&1); then
  echo "built with every line"
  exit 1
fi
for i in "${!rows[@]}"; do
  # The first error at the line: short, and the template's words after it.
  at=$(grep -m1 "baru.cpp:$((first + i + 1)):[0-9]*: error: " <<<"$said")
  grep -qE "error: .*${rows[i]#*|}" <<<"$at" && [ ${#at} -lt 240 ] ||
    { echo "line $((i + 1)) said: ${at:-nothing} in: $said"; exit 1; }
done
