#!/usr/bin/env bash
# echobatch-cli --update on a list of a million entries, all one short MP3's name whose output
# is already there (so every entry is held and passed over as up to date, and the run takes
# seconds): the peak memory per entry above that of a one-entry list (target: 200 bytes).
set -euo pipefail
cli=$(realpath "$1")
count=${BENCH_ENTRIES:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/config" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TEMP=$work
cd "$work"
sox -n -r 44100 -c 2 a.mp3 synth 0.3 sine 440
yes a.mp3 | head -n "$count" >list || true
echo a.mp3 >one
"$cli" --quiet --out out a.mp3 >/dev/null 2>&1
touch -d '1 minute' out/a.mp3

# The peak resident memory in KiB of one run.
peak() {
  /usr/bin/python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$cli" --quiet --update --out out --from "$1"
}
base=$(peak one)
full=$(peak list)
per=$(((full - base) * 1024 / count))
verdict=met
[ "$per" -le 200 ] || verdict=MISSED
echo "clilist-memory: $count entries: peak $((full / 1024)) MB, one entry $((base / 1024)) MB:" \
  "$per bytes per entry (target: at most 200): $verdict"
[ "$verdict" = met ]
