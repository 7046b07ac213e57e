#!/usr/bin/env bash
# The sample files on a real X server (Xvfb), driven with real input: the window starts with
# only an output folder in its settings, "Load Sample/Example Files" lists every sample twice, the
# offer to open their folder is answered No, "Start Converting" runs, "Done." is closed, and
# every sample is found converted in the output folder and decodes with SoX. Then a small
# library added with "Add All MP3 File(s) In Folder": both albums kept, every failure named. A
# stored Decay of 40,000 characters is shown and written back whole.
# Screenshots go to the folder given as the second argument.
#   samples_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
shots=$2
question="Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?"

e2e_require_tools Xvfb xdotool import sox
samples=()
while IFS= read -r -d '' f; do samples+=("$f"); done \
  < <(find "$bin/Samples" -maxdepth 1 -type f -print0 | sort -z)
[ ${#samples[@]} -gt 0 ] || { echo "FAIL: no samples beside the program in $bin/Samples" >&2; exit 1; }

e2e_begin

# Waits up to 30 seconds for a line of the box log.
wait_for_line() {
  for _ in $(seq 300); do grep -qxF -- "$1" "$work/ui.log" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

e2e_start_xvfb

# Settings written before the start: only the output folder.
out="$work/out"
mkdir -p "$out" "$shots"
e2e_preset_output_folder "$out"
# A Decay of 40,000 characters, beyond a line edit's usual 32,767: shown and written back whole.
decay=0.$(printf '3%.0s' $(seq 39998)) && echo "Text5=$decay" >>"$work/config/Quenforth/Quenforth.ini"

e2e_start_app "$bin/echobatch"
e2e_wait_window
echo "window $wid on $DISPLAY"
sleep 1
grep -qxF "Text5=$decay" "$work/config/Quenforth/Quenforth.ini" || e2e_fail "the long Decay was cut"

# "Load Sample/Example Files" spans 272..528 x 217..244 inside the window; click its middle.
xdotool mousemove --window "$wid" 400 230 click 1
wait_for_line "$(printf 'question\t%s\t%s' "$title" "$question")" ||
  e2e_fail "no question about the samples' folder: $(cat "$work/ui.log" 2>/dev/null)"
timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null ||
  e2e_fail "the question's box is not shown"
sleep 0.5
import -window root "$shots/samples-question.png"

# No (Escape answers a Yes/No box with No): the folder is not opened.
xdotool key Escape
e2e_wait_box_closed || e2e_fail "the question did not close"
# Loaded twice: every sample stands in two rows, and each row is converted.
xdotool mousemove --window "$wid" 400 230 click 1
timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null && xdotool key Escape
e2e_wait_box_closed || e2e_fail "the second question did not close"
sleep 0.5
import -window "$wid" "$shots/samples-listed.png"
grep -q "^open" "$work/ui.log" &&
  e2e_fail "the samples' folder was opened after No: $(cat "$work/ui.log")"

# "Start Converting" spans 8..528 x 458..485.
xdotool mousemove --window "$wid" 268 471 click 1
for _ in $(seq 1200); do
  grep -q "^message	${title}	Done\." "$work/ui.log" 2>/dev/null && break
  sleep 0.1
done
grep -qxF "$(printf 'message\t%s\tDone.' "$title")" "$work/ui.log" ||
  e2e_fail "the batch did not end with a plain \"Done.\": $(cat "$work/ui.log")"
sleep 0.5
import -window root "$shots/samples-done.png"
xdotool key Return
e2e_wait_box_closed || e2e_fail "\"Done.\" did not close"
[ "$(wc -l <"$work/ui.log")" = 4 ] || e2e_fail "unexpected boxes (two questions, \"Done.\" and its details): $(cat "$work/ui.log")"

# Every sample converted: its name without the extension, ".mp3", decodable, longer than
# nothing, and not a copy of the input.
for sample in "${samples[@]}"; do
  name=$(basename "$sample")
  result="$out/${name%.*}.mp3"
  [ -s "$result" ] || e2e_fail "no result for \"$name\" in $out: $(ls -la "$out")"
  bytes=$(sox "$result" -t raw -r 8000 -c 1 -b 16 -e signed - 2>/dev/null | wc -c) ||
    e2e_fail "\"$result\" does not decode"
  [ "$bytes" -gt 1600 ] || e2e_fail "\"$result\" holds almost nothing ($bytes bytes)"
  cmp -s "$sample" "$result" && e2e_fail "\"$result\" is the input unchanged"
  echo "converted: $name -> $(basename "$result") ($bytes bytes of 8 kHz samples)"
done
[ "$(find "$out" -type f | wc -l)" = "${#samples[@]}" ] ||
  e2e_fail "unexpected files in $out: $(ls -la "$out")"

# A library on the Desktop: two albums whose first songs share a name, eight broken downloads.
# "Clear List", then "Add All MP3 File(s) In Folder" (272..528 x 183..210) chooses the Desktop;
# "Start Converting"; the question is answered Keep folders (the default), and the details name
# every failure.
music=$work/home/Desktop
for album in Alpha Beta; do
  mkdir -p "$music/$album" && sox -n "$music/$album/01 Intro.mp3" synth 0.3 sine 440
done
mkdir -p "$music/Broken" && for n in $(seq 8); do head -c 3000 /dev/urandom >"$music/Broken/b$n.mp3"; done
: >"$work/ui.log"
xdotool mousemove --window "$wid" 136 230 click 1 sleep 0.3 mousemove --window "$wid" 400 197 click 1
timeout 20 xdotool search --sync --onlyvisible --name "^Please select folder:\$" >/dev/null ||
  e2e_fail "no folder dialog: $(cat "$work/ui.log")"
sleep 0.5 && xdotool key Return && sleep 1 && xdotool mousemove --window "$wid" 268 471 click 1
wait_for_line "$(printf 'choice\t%s\t%s' "$title" "2 files share their name with another file of the list. Keep the album folders below the output folder?\\nKeep folders|Skip them")" ||
  e2e_fail "no question about the shared names: $(cat "$work/ui.log")"
sleep 0.5 && xdotool key Return
for _ in $(seq 300); do grep -q "^details" "$work/ui.log" && break; sleep 0.1; done
details=$(grep "^details" "$work/ui.log") || e2e_fail "no details: $(cat "$work/ui.log")"
for n in $(seq 8); do
  [[ $details == *"$music/Broken/b$n.mp3: failed: "* ]] || e2e_fail "b$n.mp3 is not in the details: $details"
done
for album in Alpha Beta; do
  [ -s "$out/Desktop/$album/01 Intro.mp3" ] || e2e_fail "no $album/01 Intro.mp3: $(find "$out")"
done
xdotool key Return

e2e_stop_app
echo "PASS: ${#samples[@]} samples converted; two albums kept, eight failures named; screenshots in $shots"
