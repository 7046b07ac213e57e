#!/usr/bin/env bash
# The window stopped by a signal in the middle of a batch (SIGTERM from a session that ends,
# SIGHUP from a closed terminal, SIGINT from Ctrl+C): it must end as a closed window ends, with
# the tool stopped, no unfinished output and no tool folder left, and exit status 128 + N. The
# tool is a stand-in that starts its output and never ends.
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
chmod 755 "$work/hang"
out="$work/out"
e2e_preset_output_folder "$out"

for sig in TERM HUP INT; do
  rm -rf "$out" "$work/tool.pid" && mkdir -p "$out"
  e2e_start_app "$bin/echobatch" ECHOBATCH_SOX="$work/hang" TOOL_PID="$work/tool.pid"
  e2e_wait_window
  sleep 1
  e2e_load_samples
  # "Start Converting" spans 8..528 x 458..485.
  xdotool mousemove --window "$wid" 268 471 click 1
  for _ in $(seq 200); do [ -s "$work/tool.pid" ] && break; sleep 0.1; done
  [ -s "$work/tool.pid" ] || e2e_fail "the tool never started: $(cat "$work/app.log")"
  [ -n "$(ls -A "$out")" ] || e2e_fail "the tool's output was not started"
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
echo "PASS: SIGTERM, SIGHUP and SIGINT each ended the batch cleanly"
