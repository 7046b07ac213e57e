#!/usr/bin/env bash
# The window as a screen reader reads it over AT-SPI (atspi_tree.py): every control named with
# its role; a whole batch with keys alone (samples loaded, one removed through the context-menu
# key, four converted, "Done." closed with Enter); the preview's drawing and buttons named.
#   accessibility_e2e.sh <folder of echobatch>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
tree=$(dirname "${BASH_SOURCE[0]}")/atspi_tree.py
e2e_require_tools Xvfb xdotool
e2e_own_session_bus "$@"

e2e_begin
e2e_start_xvfb
out="$work/out" && mkdir -p "$out" && e2e_preset_output_folder "$out"
e2e_start_app "$bin/echobatch" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_wait_window
sleep 1
/usr/bin/python3 "$tree" echobatch >"$work/tree.txt" || e2e_fail "no tree: $(cat "$work/app.log")"

# Role, name, description and value of each control; never an internal name.
e2e_expect_lines "$work/tree.txt" '^frame\tTolvane Zemmik Oruth Vask Pellory Qub Ambrotic\t' \
  '^push button\tTop of the window\tPress Tab to reach the file list\.\t' \
  '^text\tGain-In\t\t0\.8$' '^text\tGain-Out\t' '^text\tDelay\t' '^text\tDecay\t' \
  '^text\tSave Results To This Folder\t' '^push button\tChoose output folder\t' \
  '^push button\tStart Converting\t' '^progress bar\tProgress Bar\t\t0' \
  '^tree\tMP3 File\(s\)\tDrag and drop files here\. Double-click item to remove it\.'
! grep -q -P '\tCommand1\t' "$work/tree.txt" || e2e_fail "an internal name is announced"

xdotool windowfocus --sync "$wid" key --delay 120 Tab Tab Tab Tab Tab Tab space
for _ in $(seq 200); do grep -q "^question" "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
sleep 1
/usr/bin/python3 "$tree" echobatch >"$work/box.txt"
e2e_expect_lines "$work/box.txt" '^alert\t.*\tWould you like this software to open the folder'
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
for _ in $(seq 60); do  # until the echo is drawn
  /usr/bin/python3 "$tree" echobatch >"$work/preview.txt"
  grep -q "With echo: [0-9]" "$work/preview.txt" && break
  sleep 0.5
done
e2e_expect_lines "$work/preview.txt" '^frame\tPreview\t' \
  '^image\tWaveforms of the input and with echo\tInput: [0-9.]+ seconds\. With echo: [0-9.]+ sec' \
  '^push button\tPlay\tPlay the file with the echo\t'

made=$(cd "$out" && ls)
[ "$(wc -l <<<"$made")" = 4 ] || e2e_fail "not four results: $made"
while IFS= read -r name; do  # each of a sample, and decoded by mutagen
  [ -f "$bin/Samples/$name" ] && /usr/bin/python3 -c 'import mutagen.mp3, sys
assert mutagen.mp3.MP3(sys.argv[1]).info.length > 0.1' "$out/$name" || e2e_fail "result $name"
done <<<"$made"
e2e_stop_app
echo "PASS: every control named; a batch of four samples done with keys alone"
