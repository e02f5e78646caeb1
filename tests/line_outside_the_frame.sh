#!/usr/bin/env bash
# A line of the letter that would not stand as written on every screen
# stops the build at its line, and the compiler's first word on it is one
# short line that says why, with its numbers: one past the right border, a
# date of wide characters one cell too wide, a row between the greeting
# and the page, a column on the frame, a byte that is not UTF-8, a tab, a
# mark first, a line separator, and each kind of character some screens
# draw otherwise. So do the show's own words.
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
# The show's own words, each where it stands: a caption too long for the
# frame, a prompt past its row, a notice no small window holds, a tag that
# names no language, and what a line may not hold.
words=(
  'caption<"Loading the letter for you, please wait a little . . .">|too_many_cells_for_where_the_words_stand_with_room_for<54, 46>'
  'prompt_row<"press any key to close the letter and to go back to where you were ...">|too_many_cells_for_where_the_words_stand_with_room_for<70, 67>'
  'notice<"Vergrößere dieses Fenster auf mindestens siebzig Spalten und vierundzwanzig Zeilen, damit dieser lange Geburtstagsbrief vollständig lesbar wird, bitte">|a_notice_of_lines_in_a_window_of_40_columns_use_at_most<5, 4>'
  'language<"english">|not_a_language_tag_write_one_such_as_en_id_fr_or_zh_Hans_from_byte<'
  'page_words<"Open\tthe letter">|a_control_character_such_as_a_tab_at_column_with_code<5, '
)
for row in "${rows[@]}"; do
  echo "  type_line<${row%%|*}>(200);"
done >"$work/lines"
for i in "${!words[@]}"; do
  echo "  Words word_$i = ${words[i]%%|*};"
done >"$work/words"
sed -e "/^  clear_frame();/r $work/lines" -e "/^constexpr struct {/r $work/words" \
  "$top/baru.cpp" >"$work/baru.cpp"
no_limit=$([[ $compiler == *clang* ]] && echo -ferror-limit=0 || echo -fmax-errors=0)
if said=$("$compiler" -std=c++20 -fsyntax-only "$no_limit" -I "$top" "$work/baru.cpp" 2>&1); then
  echo "built with every line"
  exit 1
fi
# The first error at each: short, and the template's words after it.
check() { # <first line> <rows...>
  local first=$1 i=0
  shift
  for row in "$@"; do
    at=$(grep -m1 "baru.cpp:$((first + i + 1)):[0-9]*: error: " <<<"$said")
    grep -qE "error: .*${row#*|}" <<<"$at" && [ ${#at} -lt 240 ] ||
      { echo "row $((i + 1)) said: ${at:-nothing} in: $said"; exit 1; }
    i=$((i + 1))
  done
}
check "$(grep -n '^  clear_frame();' "$work/baru.cpp" | cut -d: -f1)" "${rows[@]}"
check "$(grep -n '^constexpr struct {' "$work/baru.cpp" | cut -d: -f1)" "${words[@]}"
