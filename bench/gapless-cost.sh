#!/usr/bin/env bash
# The cost of keeping the music in place: one 3-minute CBR 192 MP3 converted by echobatch-cli
# (frame walk, the input decoded here into SoX's standard input, output check and Info frame)
# against the bare `sox in.mp3 -C 192 out.mp3 echos ...` on the same file. The two alternate
# for BENCH_ROUNDS rounds; the best wall time and the best processor time (user and system,
# children included) of each are compared. The target is the wall time the user waits: at most
# 1.05, and 1.15 for the same file with ReplayGain values (TXXX), whose output is measured while
# SoX writes it, on the second core. The processor time is shown beside it: on a machine whose
# other load takes that core the measurement is no longer free.
set -euo pipefail
cli=$1
rounds=${BENCH_ROUNDS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/out"
export XDG_CONFIG_HOME=$work/config

sox -R -n -r 44100 -c 2 "$work/in.wav" synth 180 pinknoise vol 0.3 tremolo 1.3 60
lame --quiet -b 192 "$work/in.wav" "$work/in.mp3"
rm "$work/in.wav"
cp "$work/in.mp3" "$work/rg.mp3"
/usr/bin/python3 -c 'import sys, mutagen.id3 as i
t = i.ID3(); t.add(i.TXXX(desc="replaygain_track_gain", text="+1.00 dB")); t.save(sys.argv[1])' \
  "$work/rg.mp3"

run_sox() { sox "$work/in.mp3" -C 192 "$work/out/sox.mp3" echos 0.8 0.7 63 0.3 2>/dev/null; }
convert() {
  "$cli" --quiet --jobs 1 --out "$work/out" --gain-in 0.8 --gain-out 0.7 --delay 63 \
    --decay 0.3 "$work/$1.mp3"
}
run_cli() { convert in; }
run_rg() { convert rg; }
# "<wall> <user+sys>" of one run.
measure() {
  local TIMEFORMAT='%R %U %S'
  { time "$1" >/dev/null; } 2>&1 | awk '{printf "%s %.3f\n", $1, $2 + $3}'
}
for _ in $(seq "$rounds"); do
  echo "sox $(measure run_sox)" >>"$work/times"
  echo "cli $(measure run_cli)" >>"$work/times"
  echo "rg $(measure run_rg)" >>"$work/times"
done
awk '
  { if (!($1 in wall) || $2 < wall[$1]) wall[$1] = $2
    if (!($1 in cpu) || $3 < cpu[$1]) cpu[$1] = $3 }
  END {
    printf "3-minute CBR 192, best of each: sox alone %.2f s wall, %.2f s processor; " \
           "echobatch-cli %.2f s wall, %.2f s processor\n", wall["sox"], cpu["sox"], wall["cli"], cpu["cli"]
    printf "ratio: wall %.3f (target <= 1.05), processor %.3f\n", wall["cli"] / wall["sox"], cpu["cli"] / cpu["sox"]
    printf "with ReplayGain measured: %.2f s wall, %.2f s processor; ratio: wall %.3f " \
           "(target <= 1.15), processor %.3f\n", wall["rg"], cpu["rg"], wall["rg"] / wall["sox"], cpu["rg"] / cpu["sox"]
    exit !(wall["cli"] <= 1.05 * wall["sox"] && wall["rg"] <= 1.15 * wall["sox"])
  }' "$work/times" || { echo "bench: over the target" >&2; exit 1; }
