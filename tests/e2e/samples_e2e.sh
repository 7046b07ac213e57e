#!/usr/bin/env bash
# The sample files on a real X server (Xvfb), driven with real input: the window starts with
# only an output folder in its settings, "Load Sample/Example Files" lists every sample, the
# offer to open their folder is answered No, "Start Converting" runs, "Done." is closed, and
# every sample is found converted in the output folder and decodes with SoX.
# Screenshots go to the folder given as the second argument.
#   samples_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail

bin=$1
shots=$2
caption="Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"
title="Tolvane Zemmik Oruth Vask Pellory Qub"
question="Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?"

for tool in Xvfb xdotool import sox; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
samples=()
while IFS= read -r -d '' f; do samples+=("$f"); done \
  < <(find "$bin/Samples" -maxdepth 1 -type f -print0 | sort -z)
[ ${#samples[@]} -gt 0 ] || { echo "FAIL: no samples beside the program in $bin/Samples" >&2; exit 1; }

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

# Waits up to 30 seconds for a line of the box log.
wait_for_line() {
  for _ in $(seq 300); do grep -qxF -- "$1" "$work/ui.log" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
# Waits until no window with the box's title is shown.
wait_box_closed() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

# Settings written before the start: only the output folder.
out="$work/out"
mkdir -p "$work/home" "$work/config/Quenforth" "$work/runtime" "$work/tmp" "$out" "$shots"
chmod 700 "$work/runtime"
printf '[Tolvane%%20Zemmik%%20Oruth%%20Vask%%20Pellory%%20Qub%%20Ambrotic]\nOutput%%20Folder=%s/\n' \
  "$out" >"$work/config/Quenforth/Quenforth.ini"

HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
  TEMP="$work/tmp" ECHOBATCH_UI_LOG="$work/ui.log" QT_QPA_PLATFORM=xcb \
  "$bin/echobatch" >"$work/app.log" 2>&1 &
app_pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n1) ||
  fail "no window captioned \"$caption\" appeared: $(cat "$work/app.log")"
echo "window $wid on $DISPLAY"
sleep 1

# "Load Sample/Example Files" spans 272..528 x 217..244 inside the window; click its middle.
xdotool mousemove --window "$wid" 400 230 click 1
wait_for_line "$(printf 'question\t%s\t%s' "$title" "$question")" ||
  fail "no question about the samples' folder: $(cat "$work/ui.log" 2>/dev/null)"
timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null ||
  fail "the question's box is not shown"
sleep 0.5
import -window root "$shots/samples-question.png"

# No (Escape answers a Yes/No box with No): the folder is not opened.
xdotool key Escape
wait_box_closed || fail "the question did not close"
sleep 0.5
import -window "$wid" "$shots/samples-listed.png"
grep -q "^open" "$work/ui.log" && fail "the samples' folder was opened after No: $(cat "$work/ui.log")"

# "Start Converting" spans 8..528 x 458..485.
xdotool mousemove --window "$wid" 268 471 click 1
for _ in $(seq 1200); do
  grep -q "^message	${title}	Done\." "$work/ui.log" 2>/dev/null && break
  sleep 0.1
done
grep -qxF "$(printf 'message\t%s\tDone.' "$title")" "$work/ui.log" ||
  fail "the batch did not end with a plain \"Done.\": $(cat "$work/ui.log")"
sleep 0.5
import -window root "$shots/samples-done.png"
xdotool key Return
wait_box_closed || fail "\"Done.\" did not close"
[ "$(wc -l <"$work/ui.log")" = 2 ] || fail "unexpected boxes: $(cat "$work/ui.log")"

# Every sample converted: its name without the extension, ".mp3", decodable, longer than
# nothing, and not a copy of the input.
for sample in "${samples[@]}"; do
  name=$(basename "$sample")
  result="$out/${name%.*}.mp3"
  [ -s "$result" ] || fail "no result for \"$name\" in $out: $(ls -la "$out")"
  bytes=$(sox "$result" -t raw -r 8000 -c 1 -b 16 -e signed - 2>/dev/null | wc -c) ||
    fail "\"$result\" does not decode"
  [ "$bytes" -gt 1600 ] || fail "\"$result\" holds almost nothing ($bytes bytes)"
  cmp -s "$sample" "$result" && fail "\"$result\" is the input unchanged"
  echo "converted: $name -> $(basename "$result") ($bytes bytes of 8 kHz samples)"
done
[ "$(find "$out" -type f | wc -l)" = "${#samples[@]}" ] || fail "unexpected files in $out: $(ls -la "$out")"

kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "PASS: ${#samples[@]} samples converted; screenshots in $shots"
