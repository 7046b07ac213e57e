#!/usr/bin/env bash
# echobatch-cli driven by other programs: paths from a NUL-separated list (find -print0) and a
# newline list, the --json report read back by Python's json parser for every status, unusable
# lists refused before anything converts; and the manual page and the bash completion name
# every option that --help names.
#   clilists_e2e.sh <bin folder> <source folder>
set -euo pipefail
# shellcheck source=../e2e/e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2elib.sh"

bin=$1
src=$2
check="$src/tests/support/jsonlines_check.py"
e2e_require_tools sox
[ -x /usr/bin/python3 ] && /usr/bin/python3 -c 'import mutagen' 2>/dev/null ||
  { echo "SKIP: /usr/bin/python3 with mutagen is not installed"; exit 77; }
e2e_begin
export XDG_STATE_HOME="$work/state"  # the runs' records, away from the home folder

run_cli=(env HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp" "$bin/echobatch-cli")
cli() { "${run_cli[@]}" "$@"; }
# expect NAME STATUS...: NUL-separated pairs for the checker.
expect() { printf '%s\0%s\0' "$@" >>"$work/expected"; }

in="$work/in"
out="$work/out"
mkdir -p "$in/sub" "$out"
sox -n -r 22050 -c 1 "$work/tone.mp3" synth 0.4 sine 440
for name in "with blank.mp3" $'new\nline.mp3' $'latin\xe9.mp3' "plain.mp3" "sub/deep.mp3" \
            "noext"; do
  cp "$work/tone.mp3" "$in/$name"
done
cp "$work/tone.mp3" "$out/self.mp3"
echo "not audio" >"$in/broken.mp3"
# A tag whose size field is not synchsafe: converted, but its tags cannot be copied.
{ printf 'ID3\x03\x00\x00\x00\x00\x81\x00'; head -c 200 /dev/zero | tr '\0' Z
  cat "$work/tone.mp3"; } >"$in/warned.mp3"

(cd "$in" && find . -type f -print0 | xargs -0 sha256sum) >"$work/sums"

# Every status from one run: the command line's path, then a find -print0 list with an empty
# entry, a missing file and an input lying where its output would go.
: >"$work/expected"
expect "$in/plain.mp3" converted
{ find "$in" -type f ! -name plain.mp3 -print0 | sort -z; printf '\0%s\0%s\0' "$in/missing.mp3" \
  "$out/self.mp3"; } >"$work/list0"
while IFS= read -r -d '' path; do
  [ -n "$path" ] || continue
  case $path in
    "$in/noext" | "$out/self.mp3") expect "$path" skipped ;;
    "$in/broken.mp3" | "$in/missing.mp3") expect "$path" failed ;;
    "$in/warned.mp3") expect "$path" warning ;;
    "$in/latin"*) expect "$path" skipped ;;
    *) expect "$path" converted ;;
  esac
done <"$work/list0"
status=0
cli --jobs 3 --json --out "$out" "$in/plain.mp3" -0 --from - <"$work/list0" \
  >"$work/report" 2>"$work/stderr" || status=$?
[ "$status" = 1 ] || e2e_fail "exit $status with failures: $(cat "$work/stderr")"
/usr/bin/python3 "$check" "$work/report" "$work/expected" "$out" ||
  e2e_fail "the report: $(cat "$work/report")"
grep -q "files failed" "$work/stderr" || e2e_fail "no summary on standard error"
(cd "$in" && sha256sum -c --quiet "$work/sums") || e2e_fail "an input changed"

# A newline list, read from a file, in order after the command line's path (one at a time).
rm -rf "$out" && mkdir "$out"
printf '%s\n\n%s\n' "$in/with blank.mp3" "$in/sub/deep.mp3" >"$work/list"
: >"$work/expected"
expect "$in/plain.mp3" converted "$in/with blank.mp3" converted "$in/sub/deep.mp3" converted
cli --jobs 1 --quiet --json --out "$out" --from "$work/list" "$in/plain.mp3" >"$work/report" ||
  e2e_fail "the newline list did not convert"
/usr/bin/python3 "$check" "$work/report" "$work/expected" "$out" --ordered ||
  e2e_fail "the ordered report: $(cat "$work/report")"

# One path form: a relative --out (made, two levels) stays relative for every status, with
# "up-to-date" as its own word; on a terminal the bar tells the time left once a file ended.
cd "$work"
cli --jobs 1 --out rel/night in/plain.mp3 2>"$work/stderr" &&
  grep -q -x "echobatch-cli: made the output folder rel/night" "$work/stderr" || e2e_fail "made: $(cat "$work/stderr")"
cli --jobs 1 --update --json --out rel/night in/plain.mp3 "in/with blank.mp3" >"$work/report" \
  2>"$work/stderr" || e2e_fail "--update: $(cat "$work/stderr")"
grep -q -F "[1/2] up to date in/plain.mp3 -> rel/night/plain.mp3" "$work/stderr" || e2e_fail "$(cat "$work/stderr")"
/usr/bin/python3 -c 'import json, sys; got = [(o["status"], o["output"]) for o in map(json.loads, open(sys.argv[1]))]
assert got == [("up-to-date", "rel/night/plain.mp3"), ("converted", "rel/night/with blank.mp3")], got' \
  "$work/report" || e2e_fail "path forms: $(cat "$work/report")"
script -qec "$(printf '%q ' "${run_cli[@]}" --jobs 1 --out rel/tty in/plain.mp3 "in/with blank.mp3" in/sub/deep.mp3)" /dev/null \
  >"$work/tty" </dev/null || e2e_fail "under script: $(cat -v "$work/tty")"
grep -q -E "1 running, about [0-9]+ s left" "$work/tty" || e2e_fail "no time left: $(cat -v "$work/tty")"

# A stop: the file being converted fails, the two never started are reported as skipped.
printf '#!/bin/sh\nwhile :; do sleep 0.1; done\n' >"$work/hang" && chmod +x "$work/hang"
# The deployed tools that run, counted by the output each is handed as /dev/fd/3.
tools_writing() {
  for p in /proc/[0-9]*; do
    if readlink "$p/fd/3" 2>/dev/null | grep -q -E -- "$1" && grep -qa echos "$p/cmdline" 2>/dev/null; then
      echo "$p"
    fi
  done | wc -l
}
rm -rf "$out" && mkdir "$out"
env ECHOBATCH_SOX="$work/hang" HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp" \
  "$bin/echobatch-cli" --jobs 1 --json --out "$out" "$in/plain.mp3" "$in/sub/deep.mp3" \
  "$in/with blank.mp3" >"$work/report" 2>/dev/null &
for _ in $(seq 100); do [ "$(tools_writing '/\.plain\.echobatch-')" -ge 1 ] && break; sleep 0.1; done
kill -TERM $!
status=0
wait $! || status=$?
[ "$status" = 130 ] || e2e_fail "exit $status after SIGTERM"
: >"$work/expected"
expect "$in/plain.mp3" failed "$in/sub/deep.mp3" skipped "$in/with blank.mp3" skipped
/usr/bin/python3 "$check" "$work/report" "$work/expected" "$out" --ordered ||
  e2e_fail "the stopped run's report: $(cat "$work/report")"

# Without --jobs, one conversion per processor core runs at once: with two files more than
# cores, exactly that many hanging tools are seen running, and no more a moment later.
cores=$(nproc)
mkdir "$work/many"
for n in $(seq $((cores + 2))); do cp "$work/tone.mp3" "$work/many/$n.mp3"; done
rm -rf "$out" && mkdir "$out"
env ECHOBATCH_SOX="$work/hang" HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp" \
  "$bin/echobatch-cli" --out "$out" "$work/many" >/dev/null 2>&1 &
running() { tools_writing "$out/\.[0-9]+\.echobatch-"; }
for _ in $(seq 100); do [ "$(running)" -ge "$cores" ] && break; sleep 0.1; done
sleep 1
seen=$(running)
kill -TERM $!
wait $! || true
[ "$seen" = "$cores" ] || e2e_fail "$seen conversions at once by default, $cores cores"

# Lists that cannot be read: usage errors, nothing converted.
rm -rf "$out" && mkdir "$out"
# /dev/zero never ends and has no separator: refused by its first overlong entry.
for list in "$work/no such list" "$in" /dev/zero; do
  status=0
  timeout 20 "${run_cli[@]}" --out "$out" --from "$list" "$in/plain.mp3" >/dev/null \
    2>"$work/stderr" || status=$?
  [ "$status" = 2 ] || e2e_fail "--from '$list': exit $status"
  grep -q "cannot read the list" "$work/stderr" || e2e_fail "no reason: $(cat "$work/stderr")"
done
[ -z "$(ls -A "$out")" ] || e2e_fail "something converted after a usage error"

# Every option of --help is in the manual page and in the completion.
options=$(cli --help | grep -o -E -- '(^|[ [])--?[a-z0-9][a-z0-9-]*' | tr -d ' [' | sort -u)
page=$(MANWIDTH=200 man -l "$src/data/man/echobatch-cli.1" 2>/dev/null)
# shellcheck source=../../data/completion/echobatch-cli
. "$src/data/completion/echobatch-cli"
complete_words() {
  COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
  _echobatch_cli; printf '%s\n' "${COMPREPLY[@]}"
}
completed=$(complete_words echobatch-cli -)
for option in $options; do
  grep -q -F -- "$option" <<<"$page" || e2e_fail "the manual page lacks $option"
  grep -q -x -F -- "$option" <<<"$completed" || e2e_fail "the completion lacks $option"
done
# Paths: folders and MP3 files only; folders after --out.
cd "$in"
listed=$(complete_words echobatch-cli "")
grep -q -x -F plain.mp3 <<<"$listed" && grep -q -x -F sub <<<"$listed" &&
  ! grep -q -x -F noext <<<"$listed" || e2e_fail "path completion: $listed"
# Only what exists: not the pieces of a name with a newline; "~/" stands for the home folder.
while IFS= read -r entry; do
  [ -e "$entry" ] || e2e_fail "path completion offers '$entry', which does not exist"
done <<<"$listed"
mkdir -p "$work/home/Music" && cp "$work/tone.mp3" "$work/home/tilde.mp3"
tilde=$(HOME="$work/home" complete_words echobatch-cli '~/' | LC_ALL=C sort)
[ "$tilde" = $'~/Music\n~/tilde.mp3' ] || e2e_fail "completion below ~/: $tilde"
paths=$(complete_words echobatch-cli s; complete_words echobatch-cli --out "")
[ "$paths" = $'sub\nsub' ] || e2e_fail "path completion: $paths"
echo "PASS: $(echo "$options" | wc -w) options documented and completed; every status reported"
