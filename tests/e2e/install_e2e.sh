#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch prefix, then the launcher in bin/ is
# started, first on the offscreen platform (it must come up and stay up), then on a real X
# server (Xvfb), where "Load Sample/Example Files" must find the samples that the install put
# beside the program and "Start Converting" must convert every one of them.
#   install_e2e.sh <build folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

build=$1

e2e_require_tools Xvfb xdotool

e2e_begin

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  e2e_fail "the install failed: $(cat "$work/install.log")"
launcher="$prefix/bin/echobatch"
[ -L "$launcher" ] || e2e_fail "no launcher at $launcher"
[ -x "$prefix/lib/echobatch/echobatch" ] || e2e_fail "no program in lib/echobatch"
for helper in echobatch-tagcopy echobatch-tagcopy-formats; do
  [ -x "$prefix/lib/echobatch/$helper" ] || e2e_fail "no tag copy helper $helper in lib/echobatch"
done
[ -f "$prefix/share/applications/echobatch.desktop" ] || e2e_fail "no desktop entry"
samples=$(find "$prefix/lib/echobatch/Samples" -maxdepth 1 -type f | wc -l)
[ "$samples" -gt 0 ] || e2e_fail "no samples installed"

out="$work/out"
mkdir -p "$out"
e2e_preset_output_folder "$out"

# Offscreen: the window comes up without a box and is still running two seconds later.
e2e_start_app "$launcher" QT_QPA_PLATFORM=offscreen
sleep 2
kill -0 "$app_pid" 2>/dev/null ||
  e2e_fail "the installed program ended at once: $(cat "$work/app.log")"
[ ! -s "$work/ui.log" ] || e2e_fail "boxes at start-up: $(cat "$work/ui.log")"
e2e_stop_app

# On X: the samples beside the installed program are listed and converted.
e2e_start_xvfb
e2e_start_app "$launcher"
e2e_wait_window
sleep 1
e2e_load_samples
xdotool mousemove --window "$wid" 268 471 click 1  # "Start Converting"
for _ in $(seq 1200); do grep -q "	Done\." "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
grep -qxF "$(printf 'message\t%s\tDone.' "$title")" "$work/ui.log" ||
  e2e_fail "the batch did not end with a plain \"Done.\": $(cat "$work/ui.log")"
converted=$(find "$out" -maxdepth 1 -type f -name '*.mp3' -size +0 | wc -l)
[ "$converted" = "$samples" ] ||
  e2e_fail "$converted of $samples samples converted: $(ls -la "$out")"

e2e_stop_app
echo "PASS: installed under $prefix; the launcher starts and converts its $samples samples"
