#!/usr/bin/env bash
# echobatch-cli on one folder of N one-second songs whose tags hold ReplayGain values, once as
# one album (each song must wait for the album's last) and once as albums of their own: what
# the album measurement keeps per song, as the difference of the two peaks (target: at most
# 30 MB for 1,500 songs).
set -euo pipefail
cli=$(realpath "$1")
count=${BENCH_SONGS:-1500}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/one" "$work/own" "$work/out" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TEMP=$work
sox -n -r 44100 -c 2 "$work/song.mp3" synth 1 pinknoise vol 0.3
# The same song N times, tagged with an album and album values, or with its own album each.
/usr/bin/python3 - "$work" "$count" <<'PY'
import shutil, sys, mutagen.id3 as i
work, count = sys.argv[1], int(sys.argv[2])
for k in range(count):
    for kind in ("one", "own"):
        path = f"{work}/{kind}/s{k:05d}.mp3"
        shutil.copy(f"{work}/song.mp3", path)
        t = i.ID3()
        t.add(i.TALB(text="Album" if kind == "one" else f"Album {k}"))
        t.add(i.TXXX(desc="replaygain_track_gain", text="+1 dB"))
        t.add(i.TXXX(desc="replaygain_album_gain", text="+1 dB"))
        t.save(path)
PY
peak() {
  rm -rf "$work/out"/*
  /usr/bin/python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$cli" --quiet --jobs 2 --out "$work/out" "$1"
}
own=$(peak "$work/own")
one=$(peak "$work/one")
more=$(((one - own) / 1024))
limit=$((30 * count / 1500))
verdict=met
[ "$more" -le "$limit" ] || verdict=MISSED
echo "album-memory: $count songs: one album peaks at $((one / 1024)) MB, albums of their own at" \
  "$((own / 1024)) MB: $more MB more (target: at most $limit): $verdict"
[ "$verdict" = met ]
