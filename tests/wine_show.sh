#!/usr/bin/env bash
# Runs baru.exe from the release zip given (or the .exe given, copied)
# under Wine at real speed in an 80x25 tmux pane, from its folder, with a
# stand-in music file beside it that nothing here plays (so nothing may
# stand beside the frame), and compares the whole screen after the key
# with the expected one. Given the Windows program console_cells.exe too,
# it runs the show in Wine's own console window instead (under Xvfb), and
# compares the console's own cells at the prompt.
set -euo pipefail
exe=$(realpath "$1") expected=$(realpath "$2")
reader=${3:+$(realpath "$3")}

work=$(mktemp -d)
socket=baru-wine-$$
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP
case $exe in
*.zip) (cd "$work" && cmake -E tar xf "$exe") ;;
*) mkdir "$work/baru" && cp "$exe" "$work/baru/baru.exe" ;;
esac
exe=$(find "$work" -name baru.exe)
echo "ID3 stand-in" >"$(dirname "$exe")/athousandyears.mp3"
export WINEPREFIX=$work/prefix WINEDEBUG=-all
wineboot -i >/dev/null 2>&1
# Till its processes are gone: the desktop they leave behind, made with
# no display, would keep the console's window from opening.
wineserver -w

cd "$(dirname "$exe")"
start=$(date +%s)
# The letter's prompt, the expected screen's last row.
prompt=$(sed -n '25s/^ *//p' "$expected")
if [ -n "$reader" ]; then
  # It runs the show in its console, waits for the prompt (ten minutes at
  # most), writes the console's cells, presses a key and ends with it.
  cp "$reader" console_cells.exe
  status=0
  printf '%s' "$prompt" >"$work/prompt"
  xvfb-run -a wineconsole console_cells.exe baru.exe "$work/screen" \
    "$work/prompt" ||
    status=$?
  echo "$status" >"$work/status"
else
  tmux -L "$socket" new-session -d -x 80 -y 25 \
    "wine '$exe'; echo \$? > '$work/status'; sleep 600"
fi

# The whole show takes about four minutes; wait for the prompt, no longer
# than ten.
until [ -n "$reader" ] ||
  tmux -L "$socket" capture-pane -p | grep -qF "$prompt"; do
  if [ $(($(date +%s) - start)) -gt 600 ]; then
    echo "no prompt after 600 s; the screen:"
    tmux -L "$socket" capture-pane -p
    exit 1
  fi
  sleep 1
done
echo "prompt after $(($(date +%s) - start)) s"
# Any key ends it, not only Enter, and it is not echoed: the screen after
# it is the prompt's (the pane's shell sleeps on, writing nothing).
[ -n "$reader" ] || tmux -L "$socket" send-keys x
for _ in $(seq 30); do
  [ -s "$work/status" ] && break
  sleep 1
done
[ -n "$reader" ] || tmux -L "$socket" capture-pane -p >"$work/screen"

# Wine's console, as the old Windows console, shows a character beyond
# U+FFFF (most emoji) as two marks in its two cells; an accent written as
# a mark of its own goes to it as the accented letter, and a mark that has
# none (Thai's, a stress mark) is left out. Its own cells hold a wide
# character in the first of its two.
wide=$([ -n "$reader" ] && echo 1 || echo 0)
if ! diff <(sed 's/ *$//' "$expected" | perl -CSD -MUnicode::Normalize \
  -pe '$_ = NFC($_); s/[\p{Mn}\p{Me}\p{Cf}]//g;
    s/[\x{10000}-\x{10FFFF}]/\x{FFFD}\x{FFFD}/g;
    s/([\p{Ea=W}\p{Ea=F}])/$1 /g if '"$wide"'; s/ +$//') \
  <(sed 's/ *$//' "$work/screen"); then
  echo "the screen under Wine differs (< expected, > shown):"
  cat "$work/screen"
  exit 1
fi
status=$(cat "$work/status" 2>/dev/null || echo none)
echo "exit status $status"
[ "$status" = 0 ]
