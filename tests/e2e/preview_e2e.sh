#!/usr/bin/env bash
# The echo preview with real input on an X server (Xvfb): the samples are loaded, the first
# entry is right-clicked and "Preview Echo..." chosen from its menu; the "Preview" window must
# appear with both strips drawn and say that there is no sound output (Xvfb has none). Escape
# closes it, and its private folder must then be gone. It opens centred over the window, moved
# away from the screen's centre first. The screenshot is preview.png.
#   preview_e2e.sh <folder of echobatch> <screenshot folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
shots=$2

e2e_require_tools Xvfb xdotool import sox
[ -x /usr/bin/convert ] || { echo "SKIP: convert is not installed"; exit 77; }

e2e_begin
e2e_start_xvfb
mkdir -p "$shots"

# Without the per-thread cache glibc's heap checks its lists on each use, so a write into freed
# memory (a menu deleted while it still handles the click that chose its item) ends the program
# here instead of now and then.
e2e_start_app "$bin/echobatch" PULSE_SERVER="unix:$work/no-sound" \
  GLIBC_TUNABLES=glibc.malloc.tcache_count=0
e2e_wait_window
sleep 1

e2e_load_samples
xdotool windowmove --sync "$wid" 120 90  # away from the screen's centre
sleep 0.5

# A right-click on the first entry; the menu opens at the pointer, "Preview Echo..." first.
windows() { xdotool search --onlyvisible --class echobatch 2>/dev/null | wc -l; }
before=$(windows)
xdotool mousemove --window "$wid" 150 33 click 3
for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
[ "$(windows)" -gt "$before" ] || e2e_fail "no menu appeared on the right-click"
sleep 0.3
xdotool mousemove_relative 30 12 click 1
pwid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Preview$' | head -n1) ||
  e2e_fail "no \"Preview\" window appeared: $(cat "$work/app.log")"
centre() { eval "$(xdotool getwindowgeometry --shell "$1")" && echo $((X + WIDTH / 2)) $((Y + HEIGHT / 2)); }
read -r mx my <<<"$(centre "$wid")" && read -r px py <<<"$(centre "$pwid")"
[ $(((px - mx) ** 2 + (py - my) ** 2)) -lt 25 ] || e2e_fail "the preview is centred at $px,$py, not over the window at $mx,$my"
# The strips' wave colour covers a fair part of the picture once the render of a few seconds
# of audio is done (a busy machine may take a while); the missing output is named.
wave=0
for _ in $(seq 60); do
  import -window "$pwid" "$shots/preview.png"
  wave=$(/usr/bin/convert "$shots/preview.png" -fill black +opaque '#1f5fbf' -fill white \
    -opaque '#1f5fbf' -format '%[fx:int(mean*w*h)]' info:)
  [ "$wave" -gt 500 ] && break
  sleep 0.5
done
[ "$wave" -gt 500 ] || e2e_fail "the strips show no wave ($wave pixels of its colour)"
[ -n "$(find "$work/tmp" -maxdepth 1 -name 'echobatch-*')" ] ||
  e2e_fail "no private preview folder in the temporary folder"

xdotool key Escape
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Preview$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Preview$' >/dev/null 2>&1 &&
  e2e_fail "Escape did not close the preview"
[ -z "$(find "$work/tmp" -mindepth 1)" ] ||
  e2e_fail "the preview left files behind: $(find "$work/tmp" -mindepth 1)"
[ ! -s "$work/ui.log" ] || [ "$(grep -vc '^question' "$work/ui.log")" = 0 ] ||
  e2e_fail "boxes were shown: $(cat "$work/ui.log")"

e2e_stop_app
echo "PASS: the preview opened from the menu, drew $wave wave pixels and left nothing behind"
