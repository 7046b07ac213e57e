#!/usr/bin/env bash
# The window with a skin, on a real X server (Xvfb). The program is copied into a scratch folder
# with the files that lie beside it:
#   1. without x/o.cjs the window keeps its white look;
#   2. with the example skin as x/o.cjs it takes the skin's colours, with no error box;
#   3. with a skin that is not a style sheet, the start-up reports it as line 100 of Form_Load
#      and the window still comes up with its caption and stored fields.
# Screenshots of the plain and the skinned window go to the folder given as the third argument.
#   skin_e2e.sh <folder of echobatch> <source data folder> <screenshot folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
data=$2
shots=$3

e2e_require_tools Xvfb xdotool import
[ -x /usr/bin/convert ] || { echo "SKIP: ImageMagick's convert is not installed"; exit 77; }

e2e_begin
e2e_start_xvfb

# A copy of the program with what lies beside it.
app="$work/app"
mkdir -p "$app/x" "$shots"
cp "$bin/echobatch" "$bin/HAND-M.CUR" "$bin/drag.ico" "$bin/help.html" "$app/"

# The colour of one pixel of a picture, as "r,g,b".
pixel() {
  /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Starts the copy with an empty box log.
start() {
  : >"$work/ui.log"
  e2e_start_app "$app/echobatch"
}
# Waits for the window, leaves its id in $wid and lets the first paint finish.
wait_window() {
  e2e_wait_window
  sleep 1
}

# Starts the copy, checks the colour of a point left of the progress bar (below the Start
# button) and that no box came up, and keeps the screenshot as window-<name>.png.
start_and_check() {
  local name=$1 colour=$2
  start
  wait_window
  import -window "$wid" "$work/$name.png"
  [ "$(pixel "$work/$name.png" 3 520)" = "$colour" ] ||
    e2e_fail "the $name window is not $colour: $(pixel "$work/$name.png" 3 520)"
  [ ! -s "$work/ui.log" ] || e2e_fail "boxes at a $name start: $(cat "$work/ui.log")"
  cp "$work/$name.png" "$shots/window-$name.png"
  e2e_stop_app
}

# 1. Plain: white background.
start_and_check plain "255,255,255"

# 2. The example skin: its window colour #e9edf1, no box.
cp "$data/skins/slate.qss" "$app/x/o.cjs"
start_and_check skinned "233,237,241"

# 3. A broken skin: the report names line 100 of Form_Load; after it the window comes up with
# its caption and the fields stored at the first start.
printf 'QPushButton { color: red; }}} {{ not a sheet' >"$app/x/o.cjs"
start
box=$(timeout 30 xdotool search --sync --onlyvisible --name "^Application Error\$" | head -n1) ||
  e2e_fail "no error box for the broken skin: $(cat "$work/app.log")"
for _ in $(seq 50); do [ -s "$work/ui.log" ] && break; sleep 0.1; done
grep -q "^message	Application Error	.*in Rendula2016/11/03.Form1.Form_Load at line 100" \
  "$work/ui.log" || e2e_fail "the report does not name line 100: $(cat "$work/ui.log")"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
wait_window
[ "$(wc -l <"$work/ui.log")" = 1 ] || e2e_fail "more than one box: $(cat "$work/ui.log")"
grep -qxF "Text4=63" "$work/config/Quenforth/Quenforth.ini" ||
  e2e_fail "the fields were not filled: $(cat "$work/config/Quenforth/Quenforth.ini")"
import -window "$wid" "$work/broken.png"
[ "$(pixel "$work/broken.png" 3 520)" != "255,255,255" ] ||
  e2e_fail "the face colour set before the failure is gone"
e2e_stop_app

echo "PASS: plain, skinned and broken-skin starts; screenshots in $shots"
