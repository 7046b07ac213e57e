#!/usr/bin/env bash
# A two-job batch as a library job runs it: twenty 10-second CBR 192 songs converted by
# `echobatch-cli --jobs 2`, once plain and once with ReplayGain values in their tags (an album of
# twenty, measured and written), against `xargs -P2` running the bare `sox in.mp3 -C 192 out.mp3
# echos ...` on the same files. The three alternate for BENCH_ROUNDS rounds; the best wall times
# are compared (targets: at most 1.05, and 1.10 with ReplayGain).
set -euo pipefail
cli=$1
rounds=${BENCH_ROUNDS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/run" "$work/plain" "$work/rg" "$work/out"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TEMP=$work
for k in $(seq -w 1 20); do
  sox -R -n -r 44100 -c 2 "$work/s.wav" synth 10 pinknoise vol 0.$((10#$k % 5 + 2))
  lame --quiet -b 192 "$work/s.wav" "$work/plain/s$k.mp3"
  cp "$work/plain/s$k.mp3" "$work/rg/s$k.mp3"
done
rm "$work/s.wav"
/usr/bin/python3 -c 'import sys, mutagen.id3 as i
for p in sys.argv[1:]:
    t = i.ID3(); t.add(i.TALB(text="Bench")); t.add(i.TXXX(desc="replaygain_track_gain", text="+1 dB"))
    t.add(i.TXXX(desc="replaygain_album_gain", text="+1 dB")); t.save(p)' "$work"/rg/*.mp3

run_sox() {
  printf '%s\n' "$work"/plain/*.mp3 |
    xargs -P2 -I{} sh -c 'sox "$1" -C 192 "$2/out/$(basename "$1")" echos 0.8 0.7 63 0.3 2>/dev/null' - {} "$work"
}
run_cli() { "$cli" --quiet --jobs 2 --out "$work/out" "$work/$1"; }
wall() {
  local TIMEFORMAT='%R'
  { time "$@" >/dev/null; } 2>&1
}
for _ in $(seq "$rounds"); do
  echo "sox $(wall run_sox)" >>"$work/times"
  echo "cli $(wall run_cli plain)" >>"$work/times"
  echo "rg $(wall run_cli rg)" >>"$work/times"
done
awk '
  { if (!($1 in best) || $2 < best[$1]) best[$1] = $2 }
  END {
    printf "twenty 10-second songs, two jobs, best of each: xargs -P2 sox %.2f s; echobatch-cli " \
           "%.2f s (ratio %.3f, target <= 1.05); with ReplayGain %.2f s (ratio %.3f, target <= 1.10)\n",
           best["sox"], best["cli"], best["cli"] / best["sox"], best["rg"], best["rg"] / best["sox"]
    exit !(best["cli"] <= 1.05 * best["sox"] && best["rg"] <= 1.10 * best["sox"])
  }' "$work/times" || { echo "bench: over the target" >&2; exit 1; }
