#!/usr/bin/env bash
# The window on a real X server (Xvfb): it starts with an empty settings folder, shows its
# caption, stores the five defaults, a click on "Start Converting" shows "No files added.", and a
# non-numeric Gain-In is reset when the field is left.
# Screenshots go to the folder given as the second argument.
#   window_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail

bin=$1
shots=$2
caption="Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"
title="Tolvane Zemmik Oruth Vask Pellory Qub"

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A free display: Xvfb picks it and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

mkdir -p "$work/home" "$work/config" "$work/runtime" "$shots"
chmod 700 "$work/runtime"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
  ECHOBATCH_UI_LOG="$work/ui.log" QT_QPA_PLATFORM=xcb \
  "$bin/echobatch" >"$work/app.log" 2>&1 &
app_pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n1) ||
  fail "no window captioned \"$caption\" appeared: $(cat "$work/app.log")"
echo "window $wid on $DISPLAY"

# The store holds the five defaults right after start-up.
ini="$work/config/Quenforth/Quenforth.ini"
[ -f "$ini" ] || fail "no settings file at $ini"
section="[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]"
expected=("$section" "Output%20Folder=$work/home/Desktop/" "Text2=0.8" "Text3=0.7" "Text4=63"
          "Text5=0.3")
for line in "${expected[@]}"; do
  grep -qxF -- "$line" "$ini" || fail "settings lack \"$line\": $(cat "$ini")"
done

# Client size as drawn.
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 536 ] && [ "$HEIGHT" = 527 ] || fail "window is ${WIDTH}x${HEIGHT}, not 536x527"

sleep 1  # let the first paint finish before the picture
import -window "$wid" "$shots/window.png"

# "Start Converting" spans 8..528 x 458..485 inside the window; click its middle.
xdotool mousemove --window "$wid" 268 471 click 1

box=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n1) ||
  fail "no message box titled \"$title\" appeared"
for _ in $(seq 50); do grep -q "No files added." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -qxF "$(printf 'message\t%s\tNo files added.' "$title")" "$work/ui.log" ||
  fail "the box was not \"No files added.\": $(cat "$work/ui.log" 2>/dev/null)"
[ "$(wc -l <"$work/ui.log")" = 1 ] || fail "more than one box: $(cat "$work/ui.log")"
sleep 0.5
import -window root "$shots/no-files-added.png"
echo "box $box said \"No files added.\"; screenshots in $shots"

# Close the box with the keyboard (real input through XTEST), then end the program.
xdotool key Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 && fail "the box did not close"

# Real focus events: "abc" typed into Gain-In is stored as typed; leaving the field with Tab
# warns once and puts the default back.
xdotool mousemove --window "$wid" 200 280 click 1
xdotool key ctrl+a
xdotool type abc
for _ in $(seq 50); do grep -qxF "Text2=abc" "$ini" && break; sleep 0.1; done
grep -qxF "Text2=abc" "$ini" || fail "typing did not store Text2=abc: $(cat "$ini")"
xdotool key Tab
warning=$(printf 'message\t%s\tNumeric value required.\\r\\nValue set to default.' "$title")
for _ in $(seq 50); do grep -qxF "$warning" "$work/ui.log" && break; sleep 0.1; done
grep -qxF "$warning" "$work/ui.log" || fail "no numeric warning: $(cat "$work/ui.log")"
xdotool key Return
for _ in $(seq 50); do grep -qxF "Text2=0.8" "$ini" && break; sleep 0.1; done
grep -qxF "Text2=0.8" "$ini" || fail "Gain-In was not reset: $(cat "$ini")"
[ "$(wc -l <"$work/ui.log")" = 2 ] || fail "unexpected boxes: $(cat "$work/ui.log")"

kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "PASS"
