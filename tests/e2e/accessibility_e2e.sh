#!/usr/bin/env bash
# The window as a screen reader meets it, on Xvfb with a session bus of its own and the
# accessibility bus: the tree read over AT-SPI (atspi_tree.py) names every control by what it
# is, and a whole batch is done with keys alone: Tab to "Load Sample/Example Files", Space,
# Escape for No, back to the list, the context-menu key and "Remove" for the first entry, Tab
# to "Start Converting", Space, Enter on "Done."; four of the five samples are converted. Last
# the context-menu key opens the preview, whose controls and drawing are named too.
#   accessibility_e2e.sh <folder of echobatch>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
tree=$(dirname "${BASH_SOURCE[0]}")/atspi_tree.py
e2e_require_tools Xvfb xdotool dbus-run-session
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }
[ -n "${ECHOBATCH_OWN_BUS:-}" ] || exec env ECHOBATCH_OWN_BUS=1 dbus-run-session -- "$0" "$@"

e2e_begin
e2e_start_xvfb
out="$work/out"
mkdir -p "$out"
e2e_preset_output_folder "$out"
e2e_start_app "$bin/echobatch" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_wait_window
sleep 1
/usr/bin/python3 "$tree" echobatch >"$work/tree.txt" || e2e_fail "no tree: $(cat "$work/app.log")"

# role and name of each control; the list also by its tooltip, the bar also by its value.
while IFS= read -r want; do
  grep -q -F -- "$want" "$work/tree.txt" || e2e_fail "not in the tree: $want
$(cat "$work/tree.txt")"
done <<'WANT'
frame	Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic
push button	Top of the window	Press Tab to reach the file list.
text	Gain-In	
text	Gain-Out	
text	Delay	
text	Decay	
text	Save Results To This Folder	
push button	Choose output folder	
push button	Start Converting	
progress bar	Progress Bar		0
MP3 File(s)	Drag and drop files here. Double-click item to remove it.
WANT
grep -q -P '^(tree|tree table|table|list)\tMP3 File' "$work/tree.txt" ||
  e2e_fail "the list has no list role: $(grep 'MP3 File' "$work/tree.txt")"
! grep -q -P '\tCommand1\t' "$work/tree.txt" || e2e_fail "an internal name is announced"

xdotool windowfocus --sync "$wid"
xdotool key --delay 120 Tab Tab Tab Tab Tab Tab space
for _ in $(seq 200); do grep -q "^question" "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
sleep 1
/usr/bin/python3 "$tree" echobatch >"$work/box.txt"
grep -q -F "Would you like this software to open the folder" "$work/box.txt" ||
  e2e_fail "the question's box is not read with its text: $(cat "$work/box.txt")"
xdotool key Escape
e2e_wait_box_closed || e2e_fail "the question did not close"
sleep 0.5
xdotool key --delay 150 shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab Down Menu Down Return
sleep 0.5
xdotool key --delay 150 Tab Tab Tab space
for _ in $(seq 1200); do grep -q "	Done\." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -q "	Done\.$" "$work/ui.log" || e2e_fail "the batch did not end with \"Done.\": $(cat "$work/ui.log")"
xdotool key Return
e2e_wait_box_closed || e2e_fail "\"Done.\" did not close with Enter"

# The preview of the first entry, from the context-menu key, named as a window with a drawing.
xdotool key --delay 150 shift+Tab shift+Tab shift+Tab Down Menu Return
sleep 3
/usr/bin/python3 "$tree" echobatch >"$work/preview.txt"
for want in "frame	Preview" "image	Waveforms of the input and with echo	Input: " \
    "push button	Play	Play the file with the echo"; do
  grep -q -F "$want" "$work/preview.txt" || e2e_fail "not in the preview: $want
$(cat "$work/preview.txt")"
done

mapfile -t made < <(cd "$out" && ls)
[ ${#made[@]} = 4 ] || e2e_fail "not four results: ${made[*]}"
for name in "${made[@]}"; do
  [ -f "$bin/Samples/$name" ] || e2e_fail "a result of no sample: $name"
  /usr/bin/python3 -c 'import mutagen.mp3, sys; assert mutagen.mp3.MP3(sys.argv[1]).info.length > 0.1' \
    "$out/$name" || e2e_fail "$name does not decode"
done
e2e_stop_app
echo "PASS: every control named; a batch of four samples done with keys alone"
