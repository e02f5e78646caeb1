#!/usr/bin/env bash
# A line of the letter that would not stand as written on every screen
# stops the build at its line, and the compiler's first word on it is one
# short line that says why, with its numbers: one past the right border, a
# date of wide characters one cell too wide, a row between the greeting
# and the page, a column on the frame, a byte that is not UTF-8, a tab, a
# mark first, a line separator, and each kind of character some screens
# draw otherwise, by its code point and column, with what to write
# instead. So do the show's own words.
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
  '4, 6, "a\ttab"|<5, U\+0009, because::a_control_character_such_as_a_tab, instead\{"a blank, or a line of its own"\}>'
  '4, 6, "\xcc\x81mark first"|<4, U\+0301, because::a_mark_first_it_joins_what_stands_before, instead\{"the letter it goes on before it"\}>'
  '4, 7, "नमस्ते"|<4, U\+0928, because::letters_reordered_or_joined, instead\{"the words in Latin letters"\}>'
  '4, 7, "שלום and سلام"|<4, U\+05E9, because::written_right_to_left, instead\{"the words in Latin letters"\}>'
  '4, 8, "family 👨‍👩‍👧"|<11, U\+200D, because::joined_by_zero_width_joiner, instead\{"each emoji apart, or one alone"\}>'
  '4, 9, "flag 🇮🇩"|<9, U\+1F1EE, because::part_of_a_flag, instead\{"the name of the country"\}>'
  '4, 9, "hi 👋🏽"|<9, U\+1F3FD, because::skin_tone_of_an_emoji, instead\{"the emoji without a skin tone"\}>'
  '4, 9, "love ❤️"|<9, U\+FE0F, because::emoji_or_text_style_selector, instead\{"the symbol alone, or an emoji like U\+1F496"\}>'
  '4, 9, "one 1⃣ and 1️⃣"|<8, U\+20E3, because::keycap_mark_drawn_off_its_digit, instead\{"the digit alone"\}>'
  '4, 9, "keycap 1️⃣"|<11, U\+20E3, because::keycap_mark_drawn_off_its_digit, instead\{"the digit alone"\}>'
  '4, 9, "dove 🕊 🏵"|<9, U\+1F54A, because::wider_than_a_cell_as_text, instead\{"another symbol, or an emoji like U\+1F338"\}>'
  '4, 9, "\xcd\xb8 and \xee\x80\x80"|<4, U\+0378, because::unassigned_code_point, instead\{"a character of Unicode 14 or older"\}>'
  '4, 9, "private \xee\x80\x80"|<12, U\+E000, because::private_use_character, instead\{"a character of Unicode 14 or older"\}>'
  '4, 9, "pink 🩷"|<9, U\+1FA77, because::newer_than_unicode_14, instead\{"a character of Unicode 14 or older"\}>'
  '4, 9, "yijing ䷀"|<11, U\+4DC0, because::wide_on_some_terminals_narrow_on_others, instead\{"another symbol"\}>'
  '4, 9, "sign \u06dd1"|<8, U\+06DD, because::letters_reordered_or_joined, instead'
  '4, 6, "a\u2028break"|<5, U\+2028, because::a_control_character_such_as_a_tab, instead'
)
# The show's own words, each where it stands: a caption too long for the
# frame, a prompt past its row, a notice no small window holds, a tag that
# names no language, and what a line may not hold.
words=(
  'caption<"Loading the letter for you, please wait a little . . .">|too_many_cells_for_where_the_words_stand_with_room_for<54, 46>'
  'prompt_row<"press any key to close the letter and to go back to where you were ...">|too_many_cells_for_where_the_words_stand_with_room_for<70, 67>'
  'notice<"Vergrößere dieses Fenster auf mindestens siebzig Spalten und vierundzwanzig Zeilen, damit dieser lange Geburtstagsbrief vollständig lesbar wird, bitte">|a_notice_of_lines_in_a_window_of_40_columns_use_at_most<5, 4>'
  'language<"english">|not_a_language_tag_write_one_such_as_en_id_fr_or_zh_Hans_from_byte<'
  'page_words<"Open\tthe letter">|<5, U\+0009, because::a_control_character_such_as_a_tab, instead'
)
for row in "${rows[@]}"; do
  echo "  type_line<${row%%|*}>(200);"
done >"$work/lines"
for i in "${!words[@]}"; do
  echo "  const char *word_$i = ${words[i]%%|*};"
done >"$work/words"
sed -e "/^  clear_frame();/r $work/lines" -e "/^constexpr struct {/r $work/words" \
  "$top/baru.cpp" >"$work/baru.cpp"
# Every error, where clang would stop at 20.
limit=$("$compiler" --version | grep -q clang && echo -ferror-limit=0)
if said=$("$compiler" -std=c++20 -fsyntax-only $limit -I "$top" "$work/baru.cpp" 2>&1); then
  echo "built with every line"
  exit 1
fi
# The first error at each: short, and the template's words after it.
check() { # <first line> <rows...>
  local first=$1 i=0
  shift
  for row in "$@"; do
    at=$(grep -m1 "baru.cpp:$((first + i + 1)):[0-9]*: error: " <<<"$said")
    # A code point U<'+', '2', '0', 'E', '3'> read as U+20E3.
    code=$(sed "s/U<'+'/U+/; s/, '\([0-9A-F]\)'/\1/g; s/U+\([0-9A-F]*\)>/U+\1/" <<<"$at")
    grep -qE "error: .*${row#*|}" <<<"$code" && [ ${#at} -lt 240 ] ||
      { echo "row $((i + 1)) said: ${at:-nothing} in: $said"; exit 1; }
    i=$((i + 1))
  done
}
check "$(grep -n '^  clear_frame();' "$work/baru.cpp" | cut -d: -f1)" "${rows[@]}"
check "$(grep -n '^constexpr struct {' "$work/baru.cpp" | cut -d: -f1)" "${words[@]}"
