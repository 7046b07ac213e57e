#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch prefix, then the launcher in bin/ is
# started, first on the offscreen platform (it must come up and stay up), then on a real X
# server (Xvfb), where "Load Sample/Example Files" must find the samples that the install put
# beside the program and "Start Converting" must convert every one of them.
#   install_e2e.sh <build folder>
set -euo pipefail

build=$1
caption="Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"
title="Tolvane Zemmik Oruth Vask Pellory Qub"

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

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

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "the install failed: $(cat "$work/install.log")"
launcher="$prefix/bin/echobatch"
[ -L "$launcher" ] || fail "no launcher at $launcher"
[ -x "$prefix/lib/echobatch/echobatch" ] || fail "no program in lib/echobatch"
[ -f "$prefix/share/applications/echobatch.desktop" ] || fail "no desktop entry"
samples=$(find "$prefix/lib/echobatch/Samples" -maxdepth 1 -type f | wc -l)
[ "$samples" -gt 0 ] || fail "no samples installed"

out="$work/out"
mkdir -p "$work/home" "$work/config/Quenforth" "$work/runtime" "$work/tmp" "$out"
chmod 700 "$work/runtime"
printf '[Tolvane%%20Zemmik%%20Oruth%%20Vask%%20Pellory%%20Qub%%20Ambrotic]\nOutput%%20Folder=%s/\n' \
  "$out" >"$work/config/Quenforth/Quenforth.ini"
run() {
  HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    TEMP="$work/tmp" ECHOBATCH_UI_LOG="$work/ui.log" "$launcher" >"$work/app.log" 2>&1 &
  app_pid=$!
}

# Offscreen: the window comes up without a box and is still running two seconds later.
QT_QPA_PLATFORM=offscreen run
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "the installed program ended at once: $(cat "$work/app.log")"
[ ! -s "$work/ui.log" ] || fail "boxes at start-up: $(cat "$work/ui.log")"
kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=

# On X: the samples beside the installed program are listed and converted.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
QT_QPA_PLATFORM=xcb run
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n1) ||
  fail "no window captioned \"$caption\" appeared: $(cat "$work/app.log")"
sleep 1
xdotool mousemove --window "$wid" 400 230 click 1  # "Load Sample/Example Files"
for _ in $(seq 300); do grep -q "^question" "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -q "^question" "$work/ui.log" || fail "the samples were not offered: $(cat "$work/ui.log")"
timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null ||
  fail "the question's box is not shown"
xdotool key Escape  # No: do not open the folder
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool mousemove --window "$wid" 268 471 click 1  # "Start Converting"
for _ in $(seq 1200); do grep -q "	Done\." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -qxF "$(printf 'message\t%s\tDone.' "$title")" "$work/ui.log" ||
  fail "the batch did not end with a plain \"Done.\": $(cat "$work/ui.log")"
converted=$(find "$out" -maxdepth 1 -type f -name '*.mp3' -size +0 | wc -l)
[ "$converted" = "$samples" ] || fail "$converted of $samples samples converted: $(ls -la "$out")"

kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "PASS: installed under $prefix; the launcher starts and converts its $samples samples"
