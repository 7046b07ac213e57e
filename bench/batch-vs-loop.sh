#!/usr/bin/env bash
# 100 one-second MP3 files: echobatch-cli (one job, then two) against a bare sequential shell
# loop of sox over the same files. The three runs alternate for BENCH_ROUNDS rounds on a
# shared machine; the best wall time of each is compared (targets: 1.05 and 0.6), and the
# processor time of all processes is shown beside it. Standard error of all three goes to a log.
set -euo pipefail
cli=$1
count=${BENCH_FILES:-100}
rounds=${BENCH_ROUNDS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/config"
export XDG_CONFIG_HOME=$work/config
log=$work/stderr.log

for i in $(seq -w 1 "$count"); do
  sox -n -r 44100 -c 2 "$work/in/f$i.mp3" synth 1 sine $((200 + 10#$i * 7)) vol 0.5
done

run_loop() {
  for f in "$work"/in/*.mp3; do
    sox "$f" "$1/${f##*/}" echos 0.8 0.7 63 0.3
  done
}
run_one() { "$cli" --quiet --jobs 1 --out "$1" --gain-in 0.8 --gain-out 0.7 --delay 63 --decay 0.3 "$work"/in/*.mp3; }
run_two() { "$cli" --quiet --jobs 2 --out "$1" --gain-in 0.8 --gain-out 0.7 --delay 63 --decay 0.3 "$work"/in/*.mp3; }

# One measurement: "<wall> <user+sys>" of the command and its children.
measure() {
  local name=$1 out=$work/out-$1
  rm -rf "$out" && mkdir -p "$out"
  local TIMEFORMAT='%R %U %S'
  local t
  t=$({ time "run_$name" "$out" 2>>"$log"; } 2>&1)
  local n
  n=$(find "$out" -name '*.mp3' | wc -l)
  [ "$n" -eq "$count" ] || { echo "bench: $name made $n of $count files" >&2; exit 1; }
  echo "$name $t" >>"$work/times"
}

run_loop "$work/warm" 2>>"$log" || true  # page cache and disk warm for everyone
mkdir -p "$work/warm"
order=(loop one two)
for ((r = 0; r < rounds; r++)); do
  for ((k = 0; k < 3; k++)); do
    measure "${order[(r + k) % 3]}"
  done
done

awk -v n="$count" -v rounds="$rounds" -v cores="$(nproc)" '
  { wall = $2; cpu = $3 + $4
    if (!($1 in best) || wall < best[$1]) best[$1] = wall
    if (!($1 in cpuBest) || cpu < cpuBest[$1]) cpuBest[$1] = cpu
    all[$1] = all[$1] sprintf(" %.2f", wall) }
  END {
    printf "batch of %d one-second MP3 files, %d cores, best of %d rounds (wall s; all rounds)\n", n, cores, rounds
    printf "  sox shell loop          %6.2f s  cpu %6.2f s  (%s)\n", best["loop"], cpuBest["loop"], all["loop"]
    r1 = best["one"] / best["loop"]; r2 = best["two"] / best["loop"]
    printf "  echobatch-cli           %6.2f s  cpu %6.2f s  (%s)  ratio %.3f, target <= 1.05 %s\n", best["one"], cpuBest["one"], all["one"], r1, (r1 <= 1.05 ? "met" : "MISSED")
    printf "  echobatch-cli --jobs 2  %6.2f s  cpu %6.2f s  (%s)  ratio %.3f, target <= 0.60 %s\n", best["two"], cpuBest["two"], all["two"], r2, (r2 <= 0.60 ? "met" : "MISSED")
  }' "$work/times"
