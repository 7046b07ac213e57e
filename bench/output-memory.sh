#!/usr/bin/env bash
# The batch process's own peak memory (VmHWM, its children not counted) for one long file: a
# 320 kbps stereo MP3 of BENCH_SECONDS (default two hours, about 290 MB), and a sparse 2 GB input
# that holds no audio. The output is checked, headed and tagged a window at a time, so the peak
# must not grow with the file (target: at most 64 MB).
set -euo pipefail
cli=$(realpath "$1")
seconds=${BENCH_SECONDS:-7200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TEMP=$work
sox -n -r 44100 -c 2 -C 320 "$work/in/long.mp3" synth "$seconds" sine 440 vol 0.3
/usr/bin/python3 -c 'import sys, mutagen.id3 as i
t = i.ID3(); t.add(i.TIT2(text="Long")); t.add(i.TXXX(desc="replaygain_track_gain", text="+1 dB"))
t.save(sys.argv[1])' "$work/in/long.mp3"
truncate -s 2G "$work/in/sparse.mp3"
# The last VmHWM read before the process ends: the high-water mark only grows.
peak() {
  /usr/bin/python3 - "$cli" --quiet --out "$work/out" "$1" <<'PY'
import subprocess, sys, time
p = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
hwm = 0
while p.poll() is None:
    try:
        for line in open(f"/proc/{p.pid}/status"):
            if line.startswith("VmHWM:"):
                hwm = int(line.split()[1])
    except OSError:
        pass
    time.sleep(0.05)
print(hwm // 1024, p.returncode)
PY
}
verdict=met
for input in long.mp3 sparse.mp3; do
  read -r mb code < <(peak "$work/in/$input")
  [ "$mb" -le 64 ] || verdict=MISSED
  echo "output-memory: $input ($(du -h --apparent-size "$work/in/$input" | cut -f1)): the batch" \
    "process peaks at $mb MB (exit $code; target: at most 64)"
done
echo "output-memory: $verdict"
[ "$verdict" = met ]
