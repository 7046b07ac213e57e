#!/usr/bin/env bash
# The window stopped by a signal in the middle of a batch (SIGTERM from a session that ends,
# SIGHUP from a closed terminal, SIGINT from Ctrl+C): it must end as a closed window ends, with
# the tool stopped, no unfinished output and no tool folder left, and exit status 128 + N. The
# tool is a stand-in that starts its output and never ends. Escape in the window asks whether to
# stop; Stop ends the batch the same way, keeps the file the real tool converted before and
# shows "Done." with what was and was not converted.
#   stop_e2e.sh <folder of echobatch>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
e2e_require_tools Xvfb xdotool
e2e_begin
e2e_start_xvfb
cat >"$work/hang" <<'TOOL'
#!/bin/sh
for a; do [ "$a" = echos ] && break; out=$a; done
: >"$out"
echo $$ >"$TOOL_PID"
exec sleep 600
TOOL
# The real tool for the first file, then the stand-in that never ends.
cat >"$work/once" <<TOOL
#!/bin/sh
[ -e "$work/once.done" ] && exec "$work/hang" "\$@"
: >"$work/once.done"
exec "$(command -v sox)" "\$@"
TOOL
chmod 755 "$work/hang" "$work/once"
out="$work/out"
e2e_preset_output_folder "$out"

for sig in TERM HUP INT ESC; do
  rm -rf "$out" "$work/tool.pid" "$work/once.done" && mkdir -p "$out"
  tool=$work/hang
  [ "$sig" = ESC ] && tool=$work/once
  e2e_start_app "$bin/echobatch" ECHOBATCH_SOX="$tool" TOOL_PID="$work/tool.pid"
  e2e_wait_window
  sleep 1
  e2e_load_samples
  # "Start Converting" spans 8..528 x 458..485.
  xdotool mousemove --window "$wid" 268 471 click 1
  for _ in $(seq 200); do [ -s "$work/tool.pid" ] && break; sleep 0.1; done
  [ -s "$work/tool.pid" ] || e2e_fail "the tool never started: $(cat "$work/app.log")"
  [ -n "$(ls -A "$out")" ] || e2e_fail "the tool's output was not started"
  if [ "$sig" = ESC ]; then
    xdotool key Escape
    for _ in $(seq 50); do grep -q "^choice.*Stop converting?" "$work/ui.log" && break; sleep 0.1; done
    grep -q "^choice.*Stop converting?" "$work/ui.log" || e2e_fail "Escape asked nothing: $(cat "$work/ui.log")"
    sleep 0.5
    xdotool key shift+Tab space  # from Go on, the default, to Stop
    for _ in $(seq 50); do grep -q "^message.*Stopped: " "$work/ui.log" && break; sleep 0.1; done
    grep -q "^message.*Stopped: " "$work/ui.log" || e2e_fail "no \"Done.\" after Stop: $(cat "$work/ui.log")"
    details=$(grep "^details" "$work/ui.log") || e2e_fail "the box has no details: $(cat "$work/ui.log")"
    [[ $details == *": converted\n"*"not converted: the batch was stopped"* ]] ||
      e2e_fail "the details do not tell what was converted: $details"
    ! kill -0 "$(cat "$work/tool.pid")" 2>/dev/null || e2e_fail "Stop: the tool still runs"
    kept=$(ls -A "$out")
    [ "$(echo "$kept" | wc -l)" = 1 ] && [[ $kept == *.mp3 && $kept != .* ]] && [ -s "$out/$kept" ] ||
      e2e_fail "Stop: the output folder holds \"$kept\", not the one converted file"
    [ -z "$(ls -A "$work/tmp")" ] || e2e_fail "Stop: left in TEMP: $(ls -A "$work/tmp")"
    xdotool key Return
    e2e_stop_app
    rm -f "$work/ui.log"
    continue
  fi
  kill -"$sig" "$app_pid"
  status=0
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" = $((128 + $(kill -l "$sig"))) ] || e2e_fail "SIG$sig: exit status $status"
  for _ in $(seq 30); do kill -0 "$(cat "$work/tool.pid")" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$(cat "$work/tool.pid")" 2>/dev/null || e2e_fail "SIG$sig: the tool still runs"
  [ -z "$(ls -A "$out")" ] || e2e_fail "SIG$sig: left in the output folder: $(ls -A "$out")"
  [ -z "$(ls -A "$work/tmp")" ] || e2e_fail "SIG$sig: left in TEMP: $(ls -A "$work/tmp")"
done
echo "PASS: SIGTERM, SIGHUP, SIGINT and Stop from the window each ended the batch cleanly"
