#!/usr/bin/env bash
# The window on a real X server (Xvfb): it starts with an empty settings folder, shows its
# caption, stores the five defaults, a click on "Start Converting" shows "No files added.", a
# click that leaves a non-numeric Delay warns and neither clicks nor leaves its button drawn
# pressed, and a non-numeric Gain-In is reset when the field is left.
# Screenshots go to the folder given as the second argument.
#   window_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
shots=$2

e2e_require_tools Xvfb xdotool import compare

e2e_begin
e2e_start_xvfb

mkdir -p "$shots"
e2e_start_app "$bin/echobatch"
e2e_wait_window
echo "window $wid on $DISPLAY"

# The store holds the five defaults right after start-up.
ini="$work/config/Quenforth/Quenforth.ini"
[ -f "$ini" ] || e2e_fail "no settings file at $ini"
section="[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]"
expected=("$section" "Output%20Folder=$work/home/Desktop/" "Text2=0.8" "Text3=0.7" "Text4=63"
          "Text5=0.3")
for line in "${expected[@]}"; do
  grep -qxF -- "$line" "$ini" || e2e_fail "settings lack \"$line\": $(cat "$ini")"
done

# Client size as drawn.
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 536 ] && [ "$HEIGHT" = 527 ] || e2e_fail "window is ${WIDTH}x${HEIGHT}, not 536x527"

sleep 1  # let the first paint finish before the picture
import -window "$wid" "$shots/window.png"
# "Add MP3 File(s)" spans 8..264 x 183..210 inside the window.
add_button() { import -window "$wid" -crop 256x27+8+183 "$work/add-$1.png"; }
xdotool mousemove --window "$wid" 500 20  # over the list, away from the buttons
sleep 0.3
add_button before

# "Start Converting" spans 8..528 x 458..485 inside the window; click its middle.
xdotool mousemove --window "$wid" 268 471 click 1

box=$(timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n1) ||
  e2e_fail "no message box titled \"$title\" appeared"
for _ in $(seq 50); do grep -q "No files added." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -qxF "$(printf 'message\t%s\tNo files added.' "$title")" "$work/ui.log" ||
  e2e_fail "the box was not \"No files added.\": $(cat "$work/ui.log" 2>/dev/null)"
[ "$(wc -l <"$work/ui.log")" = 1 ] || e2e_fail "more than one box: $(cat "$work/ui.log")"
sleep 0.5
import -window root "$shots/no-files-added.png"
echo "box $box said \"No files added.\"; screenshots in $shots"

# Close the box with the keyboard (real input through XTEST), then end the program.
xdotool key Return
e2e_wait_box_closed || e2e_fail "the box did not close"

# "abc" in Delay, then a click on "Add MP3 File(s)": the warning takes the click. Once the box
# is closed the button is drawn as before (not pressed) and its dialog never opened.
xdotool mousemove --window "$wid" 300 339 click 1
xdotool key ctrl+a
xdotool type abc
xdotool mousemove --window "$wid" 136 197 click 1
warning=$(printf 'message\t%s\tNumeric value required.\\r\\nValue set to default.' "$title")
for _ in $(seq 50); do grep -qxF "$warning" "$work/ui.log" && break; sleep 0.1; done
grep -qxF "$warning" "$work/ui.log" || e2e_fail "no numeric warning: $(cat "$work/ui.log")"
sleep 0.3
xdotool key Return
e2e_wait_box_closed || e2e_fail "the warning did not close"
xdotool mousemove --window "$wid" 500 20
sleep 0.5
add_button after
changed=$(compare -metric AE "$work/add-before.png" "$work/add-after.png" null: 2>&1) ||
  e2e_fail "\"Add MP3 File(s)\" is drawn pressed after the warning ($changed pixels differ)"
! grep -q '^openFiles' "$work/ui.log" || e2e_fail "the click behind the warning went through"
grep -qxF "Text4=63" "$ini" || e2e_fail "Delay was not reset: $(cat "$ini")"

# Real focus events: "abc" typed into Gain-In is stored as typed; leaving the field with Tab
# warns once and puts the default back.
xdotool mousemove --window "$wid" 200 280 click 1
xdotool key ctrl+a
xdotool type abc
for _ in $(seq 50); do grep -qxF "Text2=abc" "$ini" && break; sleep 0.1; done
grep -qxF "Text2=abc" "$ini" || e2e_fail "typing did not store Text2=abc: $(cat "$ini")"
xdotool key Tab
for _ in $(seq 50); do [ "$(grep -cxF "$warning" "$work/ui.log")" = 2 ] && break; sleep 0.1; done
[ "$(grep -cxF "$warning" "$work/ui.log")" = 2 ] || e2e_fail "no numeric warning: $(cat "$work/ui.log")"
xdotool key Return
for _ in $(seq 50); do grep -qxF "Text2=0.8" "$ini" && break; sleep 0.1; done
grep -qxF "Text2=0.8" "$ini" || e2e_fail "Gain-In was not reset: $(cat "$ini")"
[ "$(wc -l <"$work/ui.log")" = 3 ] || e2e_fail "unexpected boxes: $(cat "$work/ui.log")"

e2e_stop_app
echo "PASS"
