# shellcheck shell=bash
# What the end-to-end scripts share: a scratch folder removed at the end, an X server (Xvfb) on
# a free display, the program started with its own home, settings, runtime and scratch folders
# and its box log, and the wait for its window. Sourced by the scripts, after `set -euo pipefail`:
#   . "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"
#   e2e_require_tools Xvfb xdotool import   # "SKIP" and exit 77 when one is missing
#   e2e_begin                                # $work: home/ config/ runtime/ tmp/ inside
#   e2e_start_xvfb                           # exports DISPLAY
#   e2e_start_app "$bin/echobatch" [NAME=value ...]
#   e2e_wait_window                          # $wid
#   e2e_load_samples                         # "Load Sample/Example Files", No to the folder
#   ...
#   e2e_stop_app
# The program's output goes to $work/app.log, its boxes to $work/ui.log, its settings to
# $work/config/Quenforth/Quenforth.ini. At the exit whatever is still running is ended.

# Every program a script starts speaks English, whatever the machine's locale; a script that
# wants another language says so for the program it starts.
export LANGUAGE= LC_ALL= LC_MESSAGES= LANG=C.UTF-8

# The main window's caption and the title of its boxes.
caption="Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"
title="Tolvane Zemmik Oruth Vask Pellory Qub"

work=
xvfb_pid=
app_pid=
wid=

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# Exits with 77 (the tests' skip code) unless every named tool is on PATH.
e2e_require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# Ends the program and Xvfb if they still run and removes the scratch folder. A sanitizer
# finding in the program's output fails the test even when the scenario itself went through.
e2e_cleanup() {
  local status=$?
  if [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; then
    wait "$app_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; then
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$work" ]; then
    if grep -s -q -E 'runtime error:|ERROR: (Address|Leak|UndefinedBehavior)Sanitizer' \
        "$work"/*.log; then
      echo "FAIL: the program reported a sanitizer finding:" >&2
      grep -s -h -A25 -E 'runtime error:|ERROR: [A-Za-z]+Sanitizer' "$work"/*.log >&2
      status=1
    fi
    rm -rf "$work"
  fi
  exit "$status"
}

# Runs the calling script again, and exits with its status, under a session bus and a runtime
# folder of its own (where the accessibility bus puts its socket); skips without pyatspi.
e2e_own_session_bus() {
  e2e_require_tools dbus-run-session
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }
  [ -z "${ECHOBATCH_OWN_BUS:-}" ] || return 0
  local runtime status=0
  runtime=$(mktemp -d)
  env ECHOBATCH_OWN_BUS=1 XDG_RUNTIME_DIR="$runtime" dbus-run-session -- "$0" "$@" || status=$?
  rm -rf "$runtime"
  exit "$status"
}

# Fails unless each pattern (grep -P) matches a line of the file, naming the first that does not.
e2e_expect_lines() {
  local file=$1 want
  for want in "${@:2}"; do
    grep -q -P -- "$want" "$file" || e2e_fail "nothing in $(basename "$file") matches $want:
$(cat "$file")"
  done
}

# The scratch folder $work with the program's private folders; cleaned up at the exit.
e2e_begin() {
  work=$(mktemp -d)
  trap e2e_cleanup EXIT
  mkdir -p "$work/home" "$work/config" "$work/runtime" "$work/tmp"
  chmod 700 "$work/runtime"
}

# A free display: Xvfb picks it and writes its number to fd 3.
e2e_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || e2e_fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
}

# Settings written before the start: only the output folder.
e2e_preset_output_folder() {
  mkdir -p "$work/config/Quenforth"
  local section='[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]'
  printf '%s\nOutput%%20Folder=%s/\n' "$section" "$1" >"$work/config/Quenforth/Quenforth.ini"
}

# Starts a program in the background with the private folders, on the xcb platform; NAME=value
# arguments after the program add to (or override) that environment. Leaves its id in $app_pid.
e2e_start_app() {
  local program=$1
  shift
  env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    TEMP="$work/tmp" ECHOBATCH_UI_LOG="$work/ui.log" QT_QPA_PLATFORM=xcb "$@" \
    "$program" >"$work/app.log" 2>&1 &
  app_pid=$!
}

# Waits up to 30 seconds for the shown main window and leaves its id in $wid.
e2e_wait_window() {
  # shellcheck disable=SC2034  # read by the scripts
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n1) ||
    e2e_fail "no window captioned \"$caption\" appeared: $(cat "$work/app.log")"
}

# Waits up to 5 seconds until no window with the boxes' title is shown; false if one still is.
e2e_wait_box_closed() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# "Load Sample/Example Files" in the window $wid, then No (Escape) to opening their folder;
# waits until the question's box has closed.
e2e_load_samples() {
  xdotool mousemove --window "$wid" 400 230 click 1
  for _ in $(seq 300); do grep -q "^question" "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
  grep -q "^question" "$work/ui.log" || e2e_fail "the samples were not offered: $(cat "$work/ui.log")"
  timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null ||
    e2e_fail "the question's box is not shown"
  xdotool key Escape
  e2e_wait_box_closed || true  # waited for only, not a check of its own
}

# Ends the program the way a window manager asks it to and waits for it.
e2e_stop_app() {
  kill -TERM "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}
