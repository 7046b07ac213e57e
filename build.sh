#!/usr/bin/env bash
# echobatch build entry point. On a fresh Debian 12 machine (as root or with sudo):
#   ./build.sh run     build and start the window
#   ./build.sh test    build and run every test (CTest)
#   ./build.sh bench   build and run the benchmarks
#   ./build.sh build   configure and build only
#   ./build.sh asan    build into build-asan/ with AddressSanitizer + UBSan and run the tests
#                      (no finding allowed; leaks are reported, except the few in Qt's and
#                      the system's own libraries listed in tests/sanitizers/lsan.supp)
#   ./build.sh lint    check the include lines against the layers, the format of every source
#                      file (.clang-format), and the names, function lengths, bug-prone
#                      and slow code of the program's own sources (.clang-tidy,
#                      docs/conventions.md)
#   ./build.sh deb     build and pack build/echobatch_<version>_<arch>.deb
#   ./build.sh deps    install the missing Debian packages only
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-multimedia-dev pulseaudio
  sox libsox-fmt-mp3 lame mpg123 ffmpeg python3-numpy
  libtag1-dev python3-mutagen libmpg123-dev
  xvfb xauth xdotool imagemagick x11-utils
  fonts-liberation espeak-ng xdg-utils
  clang libclang-rt-14-dev clang-format clang-tidy
  dpkg-dev desktop-file-utils appstream man-db parallel bash-completion lintian
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  at-spi2-core dbus python3-pyatspi
)

install_deps() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "build.sh: installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# The layers: what each folder of the program may include besides itself (docs/architecture.md):
# whole folders, or single headers (the window's public face for the ui folders).
face="shell/form1.h shell/form1controls.h"
engine="engine engine/audio engine/outputs engine/tools engine/loudness"
layers=(
  "mp3:posix" "tagcopy:posix mp3" "core:posix" "options:posix core" "process:posix core" "paths:posix core"
  "engine/audio:posix core mp3" "engine/outputs:posix core paths mp3 engine/audio"
  "engine/tools:posix core options process paths mp3 engine/outputs"
  "engine/loudness:posix core paths process mp3 tagcopy engine/audio engine/outputs engine/tools"
  "engine:posix core options process paths mp3 tagcopy $engine"
  "filelist:posix core paths"
  "filelist/ui:core filelist paths $face" "options/ui:core options $face"
  "preview:posix core $engine options process paths"
  "preview/ui:core $engine options paths preview $face shell/accessibleroles.h"
  "shell/batch:posix core $engine filelist options process paths"
  "shell:posix core $engine filelist options process paths shell/batch"
  "cli:posix core $engine filelist options process paths" "posix:"
)

check_layers() {
  local entry folder allowed bad=0 file used
  for entry in "${layers[@]}"; do
    folder=${entry%%:*} allowed=" ${entry#*:} $folder "
    for file in "$folder"/*.cpp "$folder"/*.h; do
      [ -e "$file" ] || continue
      for used in $(sed -n -E 's@^#include "(([a-z]+/)*[a-z]+/[^/"]+\.h)".*@\1@p' "$file" | sort -u); do
        [[ "$allowed" == *" ${used%/*} "* || "$allowed" == *" $used "* ]] && continue
        echo "build.sh: $file includes $used, which $folder/ must not use" >&2
        bad=1
      done
    done
  done
  return $bad
}

jobs() { nproc 2>/dev/null || echo 2; }

configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)"
}

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

cmd=${1:-build}
[ $# -gt 0 ] && shift
case "$cmd" in
  deps)
    install_deps ;;
  build)
    install_deps
    configure_and_build build -DECHOBATCH_WERROR=$werror ;;
  run)
    install_deps
    configure_and_build build -DECHOBATCH_WERROR=$werror
    exec "$root/build/bin/echobatch" "$@" ;;
  test)
    install_deps
    configure_and_build build -DECHOBATCH_WERROR=$werror
    cd build && ctest --output-on-failure -j "$(jobs)" "$@" ;;
  asan)
    install_deps
    configure_and_build build-asan -DECHOBATCH_WERROR=$werror -DECHOBATCH_SANITIZE=ON \
      -DCMAKE_BUILD_TYPE=Debug
    # The first finding ends the test that made it. The fuzz targets are left out here: they
    # are built with both sanitizers whatever the build, and `./build.sh test` runs them.
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
    cd build-asan && ctest --output-on-failure -j "$(jobs)" -LE fuzz "$@" ;;
  deb)
    install_deps
    configure_and_build build -DECHOBATCH_WERROR=$werror
    cd build && cpack -G DEB ;;
  lint)
    install_deps
    # clang-tidy reads the compile commands and the generated headers of a configured build.
    configure_and_build build -DECHOBATCH_WERROR=$werror
    mapfile -d '' sources < <(find core process paths engine filelist options preview shell cli tagcopy mp3 posix tests bench \
      \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null)
    check_layers && echo "build.sh: include lines follow the layers" >&2
    clang-format --dry-run --Werror "${sources[@]}"
    echo "build.sh: format checked in ${#sources[@]} files" >&2
    # Names, function lengths, bug-prone and slow code: the program's own sources; each header
    # is checked through the files that include it.
    find core process paths engine filelist options preview shell cli tagcopy mp3 posix -name '*.cpp' -print0 2>/dev/null |
      xargs -0 -P "$(jobs)" -n 4 clang-tidy -p build --quiet 2> >(grep -v 'warnings\? generated' >&2)
    echo "build.sh: clang-tidy checked the program's sources" >&2 ;;
  bench)
    install_deps
    configure_and_build build -DECHOBATCH_WERROR=$werror
    cmake --build build --target bench ;;
  *)
    echo "usage: $0 {run|test|bench|build|deb|asan|lint|deps} [args]" >&2
    exit 2 ;;
esac
