#!/usr/bin/env bash
# The Debian package on this machine: packed from the build with cpack, installed with
# apt-get (an echobatch package already there is purged first), its desktop entry and
# metainfo validated, lintian content with it, a file converted with /usr/bin/echobatch-cli,
# its German messages found, /usr/bin/echobatch shown on Xvfb, `man echobatch-cli` rendered,
# the completion loaded; then purged, after which nothing of it may be left in /usr. Needs
# root (CI runs as root); skipped otherwise.
#   package_e2e.sh <build folder>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

build=$1

[ "$(id -u)" = 0 ] || { echo "SKIP: installing the package needs root"; exit 77; }
e2e_require_tools Xvfb xdotool cpack apt-get dpkg-shlibdeps man desktop-file-validate \
  appstreamcli sox lintian
[ -f /usr/share/bash-completion/bash_completion ] ||
  { echo "SKIP: bash-completion is not installed"; exit 77; }
/usr/bin/python3 -c 'import mutagen' 2>/dev/null ||
  { echo "SKIP: /usr/bin/python3 with mutagen is not installed"; exit 77; }

apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" \
    >>"$work/apt.log" 2>&1 || e2e_fail "apt-get $*: $(tail -20 "$work/apt.log")"
}
installed() { dpkg-query -W -f='${Status}' echobatch 2>/dev/null | grep -q "ok installed"; }
# The package never stays behind, whatever failed; then the usual clean-up, with the status.
package_cleanup() {
  local status=$?
  if installed; then
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 purge echobatch \
      >/dev/null 2>&1 || true
  fi
  (exit "$status")
  e2e_cleanup
}

# One package test at a time on a machine: another run's purge would pull the package away.
exec 9>/run/lock/echobatch-package-e2e.lock
flock -w 240 9 || e2e_fail "another package test held the machine for 240 s"
e2e_begin
trap package_cleanup EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  e2e_fail "cpack: $(tail -20 "$work/cpack.log")"
deb=$(find "$work/pkg" -maxdepth 1 -name 'echobatch_*.deb')
[ -f "$deb" ] || e2e_fail "no package in $work/pkg"
depends=$(dpkg-deb -f "$deb" Depends)
for want in sox libsox-fmt-mp3 libqt6core6 libqt6widgets6 libc6; do
  grep -q -E "(^|, )$want( |,|$)" <<<"$depends" || e2e_fail "Depends lacks $want: $depends"
done
# No lintian error or warning; its informational notes may stay.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
  e2e_fail "lintian: $(cat "$work/lintian.log")"

if installed; then apt_get purge echobatch; fi
apt_get install --no-install-recommends "$deb"
mapfile -t files < <(dpkg -L echobatch)

for program in echobatch echobatch-cli; do
  [ "$(readlink -f /usr/bin/$program)" = /usr/lib/echobatch/$program ] ||
    e2e_fail "/usr/bin/$program does not lead to /usr/lib/echobatch/$program"
done
desktop-file-validate /usr/share/applications/echobatch.desktop ||
  e2e_fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/org.echobatch.echobatch.metainfo.xml ||
  e2e_fail "appstreamcli validate"
# The completion as an interactive shell gets it: loaded on demand by bash-completion.
completed=$(cd /usr/share/bash-completion && bash -c '. ./bash_completion
  _completion_loader echobatch-cli; complete -p echobatch-cli >/dev/null || exit 1
  COMP_WORDS=(echobatch-cli --j); COMP_CWORD=1; _echobatch_cli; echo "${COMPREPLY[*]}"') ||
  e2e_fail "the completion does not load"
[ "$completed" = "--jobs --json" ] || e2e_fail "the completion of --j: $completed"
MANWIDTH=80 MANPAGER=cat man --warnings echobatch-cli >"$work/man.txt" 2>"$work/man.err" ||
  e2e_fail "man echobatch-cli: $(cat "$work/man.err")"
[ ! -s "$work/man.err" ] || e2e_fail "man echobatch-cli warns: $(cat "$work/man.err")"
grep -q -- "--from FILE" "$work/man.txt" || e2e_fail "the manual page is not rendered"
MANPAGER=cat man echobatch 2>/dev/null | grep -q "Start Converting" || e2e_fail "man echobatch"

# The installed tool converts a file.
mkdir -p "$work/out"
sox -n -r 22050 -c 1 "$work/tone.mp3" synth 0.5 sine 330
env HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/tmp" \
  /usr/bin/echobatch-cli --out "$work/out" "$work/tone.mp3" >"$work/cli.log" 2>&1 ||
  e2e_fail "echobatch-cli: $(cat "$work/cli.log")"
/usr/bin/python3 -c 'import mutagen.mp3, sys; assert mutagen.mp3.MP3(sys.argv[1]).info.length > 0.3' \
  "$work/out/tone.mp3" || e2e_fail "the converted file does not decode"
# The translations lie where the installed program looks for them.
LANGUAGE=de /usr/bin/echobatch-cli --jobs x "$work/tone.mp3" >"$work/de.log" 2>&1 || true
grep -q "braucht eine ganze Zahl" "$work/de.log" || e2e_fail "no German: $(cat "$work/de.log")"

# The installed window comes up on X and finds the samples beside the program behind its link.
e2e_preset_output_folder "$work/out"
e2e_start_xvfb
e2e_start_app /usr/bin/echobatch
e2e_wait_window
sleep 1
e2e_load_samples
e2e_stop_app

apt_get purge echobatch
installed && e2e_fail "still installed after the purge"
left=()
for f in "${files[@]}"; do
  [ -d "$f" ] && [ "$f" != /usr/lib/echobatch ] && continue  # folders other packages share
  if [ -e "$f" ] || [ -L "$f" ]; then left+=("$f"); fi
done
while IFS= read -r -d '' f; do left+=("$f"); done < <(find /usr -path /usr/local -prune -o \
  -name '*echobatch*' -print0)
[ ${#left[@]} -eq 0 ] || e2e_fail "left in /usr after the purge: ${left[*]}"
echo "PASS: $(basename "$deb") (${#files[@]} paths) installed, converted, shown, documented, purged"
