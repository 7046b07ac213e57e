#!/usr/bin/env bash
# Editing the list with real input on an X server (Xvfb): the samples are loaded, the first
# entry is pressed and carried down across the next two, the last entry is removed with the
# Delete key and the first with a double-click; "Start Converting" must then take the files in
# the new order. The tool is the installed SoX behind a script that notes each input.
#   listedit_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
shots=$2

e2e_require_tools Xvfb xdotool import sox
mapfile -t samples < <(cd "$bin/Samples" && ls | LC_ALL=C sort -f)
[ ${#samples[@]} -ge 5 ] || { echo "FAIL: fewer than five samples in $bin/Samples" >&2; exit 1; }

e2e_begin
e2e_start_xvfb

out="$work/out"
mkdir -p "$out" "$shots"
e2e_preset_output_folder "$out"
# The tool notes the base name of each output's hidden temporary (.<base>.echobatch-XXXXXX.mp3,
# handed to it as /dev/fd/3); an MP3 input comes decoded on its standard input.
printf '#!/bin/sh\na=$(readlink /proc/$$/fd/3); case $a in */.*.echobatch-*.mp3) b=${a##*/.}; printf "%%s\\n" "${b%%.echobatch-*}";; esac >> "%s/calls.log"\nexec "%s" "$@"\n' \
  "$work" "$(command -v sox)" >"$work/sox"
chmod 700 "$work/sox"

e2e_start_app "$bin/echobatch" ECHOBATCH_SOX="$work/sox"
e2e_wait_window
sleep 1

e2e_load_samples
sleep 0.5

# The entries start 25 pixels below the list's top edge, one every 14 pixels (Arial 9 pt bold
# as fontconfig maps it); y is the middle of entry N.
row() { echo $((33 + 14 * ($1 - 1))); }

# Press entry 1 and carry it down across entries 2 and 3, in small steps.
xdotool mousemove --window "$wid" 150 "$(row 1)"
sleep 0.2
xdotool mousedown 1
for y in $(seq "$(row 1)" 3 "$(row 3)") "$(row 3)"; do
  xdotool mousemove --window "$wid" 150 "$y"
  sleep 0.05
done
xdotool mouseup 1
sleep 0.3
import -window "$wid" "$shots/list-reordered.png"

# The last entry with the Delete key, the first with a double-click.
xdotool mousemove --window "$wid" 150 "$(row 5)" click 1
sleep 0.2
xdotool key Delete
sleep 0.2
xdotool mousemove --window "$wid" 150 "$(row 1)" click --repeat 2 --delay 80 1
sleep 0.3
import -window "$wid" "$shots/list-edited.png"

# "Start Converting": the files come in the edited order.
xdotool mousemove --window "$wid" 268 471 click 1
for _ in $(seq 1200); do grep -q "	Done\." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -qxF "$(printf 'message\t%s\tDone.' "$title")" "$work/ui.log" ||
  e2e_fail "the batch did not end with a plain \"Done.\": $(cat "$work/ui.log")"
expected=$(printf '%s\n' "${samples[2]%.*}" "${samples[0]%.*}" "${samples[3]%.*}")
[ "$(cat "$work/calls.log")" = "$expected" ] ||
  e2e_fail "converted in the wrong order or the wrong files:
$(cat "$work/calls.log")
expected:
$expected"
[ "$(find "$out" -type f -name '*.mp3' | wc -l)" = 3 ] ||
  e2e_fail "unexpected results: $(ls "$out")"

e2e_stop_app
echo "PASS: moved, removed by Delete and double-click; converted in the edited order"
