#!/usr/bin/env bash
# The README's recipe for an archive spread over several machines, run as written with GNU
# parallel's local login (":") and two slots instead of SSH hosts: a few hundred short MP3
# files in a tree of folders, one echobatch-cli per file, outputs in the same tree below the
# output folder, the JSON lines gathered into one report. Every output and every report line
# is checked (Python's json, mutagen), and no input is changed.
#   parallel_e2e.sh <bin folder> <source folder> [files per folder]
set -euo pipefail
# shellcheck source=../e2e/e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2elib.sh"

bin=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
per_folder=${3:-50}
e2e_require_tools parallel sox
/usr/bin/python3 -c 'import mutagen' 2>/dev/null ||
  { echo "SKIP: /usr/bin/python3 with mutagen is not installed"; exit 77; }
e2e_begin

archive="$work/music"
for folder in "Artist One/Album" "Artist One/Singles" "Two's Band/Live at home" "misc"; do
  mkdir -p "$archive/$folder"
done
sox -n -r 16000 -c 1 "$work/clip.mp3" synth 0.25 pluck 220
: >"$work/expected"
cd "$archive"
for folder in */*/ misc/; do
  for n in $(seq "$per_folder"); do
    cp "$work/clip.mp3" "$folder/track $n.mp3"
    printf '%s\0converted\0' "./${folder}track $n.mp3" >>"$work/expected"
  done
done
total=$(find . -name '*.mp3' | wc -l)
sha256sum ./*/*/*.mp3 ./misc/*.mp3 >"$work/sums"

# As in the README, with "2/:" for "--sshlogin 8/host1,8/host2"; the README must show the same
# transfer options and job.
transfer="--transferfile {} --return 'echoed/{//}/{/.}.mp3' --cleanup"
job='mkdir -p echoed/{//} && echobatch-cli --jobs 1 --quiet --json --out echoed/{//} {}'
for part in "find . -name '*.mp3' -print0 |" "parallel -0 --sshlogin" "$transfer" "'$job'"; do
  grep -q -F -- "$part" "$src/README.md" || e2e_fail "the README's recipe lacks: $part"
done
export PATH="$bin:$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp"
start=$(date +%s%N)
find . -name '*.mp3' -print0 |
  parallel -0 --will-cite --sshlogin 2/: --transferfile {} --return 'echoed/{//}/{/.}.mp3' \
    --cleanup "$job" >"$work/report.jsonl" 2>"$work/parallel.log" ||
  e2e_fail "parallel: $(tail -20 "$work/parallel.log")"
milliseconds=$((($(date +%s%N) - start) / 1000000))

lines=$(wc -l <"$work/report.jsonl")
[ "$lines" = "$total" ] || e2e_fail "$lines report lines for $total files"
/usr/bin/python3 "$src/tests/support/jsonlines_check.py" "$work/report.jsonl" "$work/expected" \
  echoed --tree || e2e_fail "the report: $(head -5 "$work/report.jsonl")"
outputs=$(find echoed -type f | wc -l)
[ "$outputs" = "$total" ] || e2e_fail "$outputs files in the output tree for $total inputs"
sha256sum -c --quiet "$work/sums" || e2e_fail "an input changed"
echo "PASS: $total files in $milliseconds ms, every output decodes, every report line checked"
