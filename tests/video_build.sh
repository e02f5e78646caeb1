#!/usr/bin/env bash
# The video target as a build output, in a copy of the project with a tone
# standing in for the music: built again with nothing changed it does
# nothing, the file untouched; the music touched, it is made again, and
# without the music, with a silent track; a letter with a character that
# no font here or in Debian draws (U+16A70, Tangsa) fails, naming it and
# advising nothing to install, and leaves the last video byte for byte.
set -uo pipefail
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }
mkdir "$work/top"
(cd "$top" && git ls-files -co --exclude-standard -z | xargs -0 tar cf -) |
  tar xf - -C "$work/top"
music=$work/top/athousandyears.mp3
ffmpeg -v error -f lavfi -i sine=frequency=440:duration=240 "$music"
cmake -S "$work/top" -B "$work/build" >/dev/null || fail "not configured"
build() { said=$(cmake --build "$work/build" --target video -j 2 2>&1); }
build || fail "no video: $said"
mp4=$(echo "$work"/build/baru-*.mp4)
made() { stat -c %y "$mp4"; }
first=$(made)
build && [[ $said != *"The show as"* && $(made) == "$first" ]] ||
  fail "made again with nothing changed: $said"
touch "$music"
build && [[ $(made) != "$first" ]] || fail "not made again for the music: $said"
rm "$music"
build && [[ $said == *silent* ]] || fail "not made again without music: $said"
ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$mp4" |
  grep -qx aac || fail "no sound track without music"

last=$(md5sum <"$mp4")
sed -i '/^  clear_frame();/a\  type_line<4, 12, "Tangsa \xf0\x96\xa9\xb0">(200);' \
  "$work/top/baru.cpp"
! build || fail "made with U+16A70"
[[ $said == *U+16A70* && $said != *"apt-get install"* ]] ||
  fail "U+16A70 not named, or a package advised: $said"
[[ $(md5sum <"$mp4") == "$last" ]] || fail "the last video not left as it was"
