#!/usr/bin/env bash
# The README's recipe for an archive too big for one machine, run as written with GNU parallel's
# local login (":", two slots) instead of SSH hosts on a shared mount: albums of short MP3 files
# with ReplayGain values in a tree of folders, eight shards. Every file is converted exactly
# once (Python's json), every output holds album ReplayGain, the same over its album (mutagen),
# and no input is changed.
#   parallel_e2e.sh <bin folder> <source folder> [files per folder]
set -euo pipefail
# shellcheck source=../e2e/e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2elib.sh"

bin=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
per_folder=${3:-5}
e2e_require_tools parallel sox
/usr/bin/python3 -c 'import mutagen' 2>/dev/null ||
  { echo "SKIP: /usr/bin/python3 with mutagen is not installed"; exit 77; }
e2e_begin

archive="$work/music"
sox -n -r 16000 -c 1 "$work/clip.mp3" synth 1 sine 440 vol 0.5
lame --quiet -V 4 "$work/clip.mp3" "$work/misc.mp3"  # a VBR album beside the CBR ones
: >"$work/expected"
mkdir -p "$archive" && cd "$archive"
for folder in "Artist One/Album" "Artist One/Singles" "Two's Band/Live at home" misc a/b c d e f; do
  mkdir -p "$folder"
  clip=$work/clip.mp3 && [ "$folder" != misc ] || clip=$work/misc.mp3
  /usr/bin/python3 - "$clip" "$folder/track 1.mp3" "$folder" <<'EOF'
import shutil, sys, mutagen.id3 as i
shutil.copy(sys.argv[1], sys.argv[2])
t = i.ID3(); t.add(i.TALB(text=sys.argv[3]))
for key in ("track", "album"): t.add(i.TXXX(desc=f"replaygain_{key}_gain", text="+1.00 dB"))
t.save(sys.argv[2])
EOF
  for n in $(seq 2 "$per_folder"); do cp "$folder/track 1.mp3" "$folder/track $n.mp3"; done
  for n in $(seq "$per_folder"); do printf '%s\0converted\0' "./$folder/track $n.mp3" >>"$work/expected"; done
done
total=$(find . -name '*.mp3' | wc -l)
find . -name '*.mp3' -exec sha256sum {} + >"$work/sums"

# As in the README, with "2/:" for the SSH logins; the README must show the same job.
job='echobatch-cli --keep-tree --shard {}/8 --quiet --json --out echoed .'
for part in "parallel --sshlogin" "--workdir /srv/music" "$job" "::: 1 2 3 4 5 6 7 8"; do
  grep -q -F -- "$part" "$src/README.md" || e2e_fail "the README's recipe lacks: $part"
done
export PATH="$bin:$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp"
echobatch-cli --keep-tree --dry-run --out dry . 2>/dev/null >"$work/dry.sh"  # run below
parallel --will-cite --sshlogin 2/: --workdir "$archive" "$job" ::: 1 2 3 4 5 6 7 8 \
  >"$work/report.jsonl" 2>"$work/parallel.log" || e2e_fail "parallel: $(tail -20 "$work/parallel.log")"

lines=$(wc -l <"$work/report.jsonl")
[ "$lines" = "$total" ] || e2e_fail "$lines report lines for $total files"
/usr/bin/python3 "$src/tests/support/jsonlines_check.py" "$work/report.jsonl" "$work/expected" \
  echoed --tree || e2e_fail "the report: $(head -5 "$work/report.jsonl")"
/usr/bin/python3 - echoed <<'EOF' || e2e_fail "album ReplayGain"
import collections, pathlib, sys, mutagen.id3
albums = collections.defaultdict(set)
for f in pathlib.Path(sys.argv[1]).rglob("*.mp3"):
    gains = [t.text[0] for t in mutagen.id3.ID3(f).getall("TXXX") if t.desc.lower() == "replaygain_album_gain"]
    assert len(gains) == 1, f"{f}: {gains}"
    albums[f.parent].add(gains[0])
assert all(len(v) == 1 for v in albums.values()), albums
EOF

# The dry run's lines, each run by sh, make the audio the batch made (mpg123 decodes both):
# the same samples, also gapless where no header is written afterwards in the program.
/usr/bin/python3 - "$work/dry.sh" "$total" <<'EOF' || e2e_fail "the dry run's commands"
import shlex, subprocess, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
assert len(lines) == 2 * int(sys.argv[2]), len(lines)
decode = lambda f, *o: subprocess.run(["mpg123", "-q", "-s", *o, f], capture_output=True, check=True).stdout
for comment, command in zip(lines[::2], lines[1::2]):
    assert comment.startswith("# then, in the program: check the output's length"), comment
    assert "copy the input's tags, measure and write its ReplayGain" in comment, comment
    subprocess.run(["sh", "-c", command], check=True)
    out = shlex.split(command)[-6]
    batch = out.replace("/dry/", "/echoed/", 1)
    assert decode(out, "--no-gapless") == decode(batch, "--no-gapless"), out
    if "gapless header" not in comment:
        assert len(decode(out)) == len(decode(batch)) > 0, out
EOF
sha256sum -c --quiet "$work/sums" || e2e_fail "an input changed"
echo "PASS: $total files in 9 albums over 8 shards, each converted once, album ReplayGain kept;" \
  "the dry run's commands make the same audio"
