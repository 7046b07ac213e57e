#!/usr/bin/env bash
# Both programs in German and French, asked for with LANGUAGE alone (LANG=C): the window's
# controls read through AT-SPI, its echo fields with the language's decimal comma, the empty
# list's box; echobatch-cli's messages and a skipped file's reason translated (in English in
# --json), one file and two in each language, --help within 79 columns, the catalogues'
# typography, while its exit status, --json keys and status words and --dry-run commands stay
# those of C.
#   translation_e2e.sh <folder of echobatch>
set -euo pipefail
# shellcheck source=e2elib.sh
. "$(dirname "${BASH_SOURCE[0]}")/e2elib.sh"

bin=$1
tree=$(dirname "${BASH_SOURCE[0]}")/atspi_tree.py
e2e_require_tools Xvfb xdotool sox
e2e_own_session_bus "$@"

e2e_begin
e2e_start_xvfb
sox -n -r 22050 -c 1 "$work/tone.mp3" synth 0.3 sine 330
cli() { env XDG_CONFIG_HOME="$work/config" "$@"; }
mkdir -p "$work/c" "$work/out"
# The C report of an output written over, as every later run's is: its note stays English too.
cli "$bin/echobatch-cli" --out "$work/c" "$work/tone.mp3" 2>/dev/null
cli "$bin/echobatch-cli" --json --out "$work/c" "$work/tone.mp3" 2>/dev/null | sed 's/"seconds":[0-9.]*,//' >"$work/c.json"
cli "$bin/echobatch-cli" --dry-run --out "$work/c" "$work/tone.mp3" >"$work/c.dry"

check() {  # language, words in the tree, the empty list's box, the numeric message, "skipped",
           # the summary of a file passed over as up to date
  local env=(LANGUAGE="$1") status=0
  rm -f "$work/ui.log" && e2e_start_app "$bin/echobatch" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "${env[@]}"
  e2e_wait_window
  /usr/bin/python3 "$tree" echobatch >"$work/tree.txt" || e2e_fail "no tree: $(cat "$work/app.log")"
  IFS='|' read -ra words <<<"$2"
  e2e_expect_lines "$work/tree.txt" "${words[@]}"
  xdotool windowfocus --sync "$wid" key --delay 120 Tab Tab Tab Tab space
  for _ in $(seq 100); do grep -q "^message" "$work/ui.log" 2>/dev/null && break; sleep 0.1; done
  grep -q -P "^message\t.*\t$3\$" "$work/ui.log" || e2e_fail "$1: the box: $(cat "$work/ui.log")"
  xdotool key Return
  e2e_stop_app

  cli "${env[@]}" "$bin/echobatch-cli" --gain-in abc --out "$work/out" "$work/tone.mp3" \
    2>"$work/err.txt" || status=$?
  [ "$status" = 2 ] && grep -q -F "$4" "$work/err.txt" || e2e_fail "$1: cli ($status): $(cat "$work/err.txt")"
  cli "${env[@]}" "$bin/echobatch-cli" --json --out "$work/c" "$work/tone.mp3" 2>/dev/null |
    sed 's/"seconds":[0-9.]*,//' | cmp -s - "$work/c.json" || e2e_fail "$1: --json changed"
  cli "${env[@]}" "$bin/echobatch-cli" --dry-run --out "$work/c" "$work/tone.mp3" 2>/dev/null |
    cmp -s - "$work/c.dry" || e2e_fail "$1: --dry-run changed"
  # An output that would replace its input: the reason in the language on standard error, in
  # English in --json, the status as ever.
  cli "${env[@]}" "$bin/echobatch-cli" --json --out "$work" "$work/tone.mp3" >"$work/skip.json" \
    2>"$work/skip.txt" || true
  grep -q '"reason":"skipped: the output would replace the input file itself",.*"status":"skipped"' \
    "$work/skip.json" && grep -q -F "$5" "$work/skip.txt" ||
    e2e_fail "$1: the skipped file's report: $(cat "$work/skip.json" "$work/skip.txt")"
  cli "${env[@]}" "$bin/echobatch-cli" --update --out "$work/c" "$work/tone.mp3" 2>"$work/up.txt" || true
  grep -q -F "$6" "$work/up.txt" || e2e_fail "$1: --update: $(cat "$work/up.txt")"
}
check de 'push button\tUmwandlung starten|text\tEingangspegel\t\t0,8$|panel\tEcho-Optionen|push button\tAusgabeordner wählen' \
  'Keine Dateien hinzugefügt.' 'Eingangspegel: „abc“' übersprungen \
  '0 von 1 Datei umgewandelt, 1 bereits aktuell'
check fr "push button\tLancer la conversion|text\tGain d'entrée\t\t0,8$|tree\tFichier\(s\) MP3" \
  'Aucun fichier ajouté.' 'Valeur numérique requise (séparateur décimal' ignoré \
  '0 sur 1 fichier converti, 1 déjà à jour'

# One file, then three (singular and plural), in each language; --help within 79 columns; the
# --json lines of a run (a failure's reason too) the same bytes in every language but for the
# seconds.
sox -n -r 22050 -c 1 "$work/two.mp3" synth 0.3 sine 440
head -c 4000 /dev/urandom | tr -d '\377' >"$work/broken.mp3"
counts() {  # language, the summary of one file, that of three (one replaced, one failed)
  rm -rf "$work/p"
  cli LANGUAGE="$1" "$bin/echobatch-cli" --out "$work/p" "$work/tone.mp3" 2>"$work/one.txt"
  { cli LANGUAGE="$1" "$bin/echobatch-cli" --json --jobs 1 --out "$work/p" "$work/tone.mp3" \
    "$work/two.mp3" "$work/broken.mp3" 2>"$work/two.txt" || true; } |
    sed 's/"seconds":[0-9.]*,//' >"$work/$1.json"
  grep -q -F "$2" "$work/one.txt" && grep -q -F "$3" "$work/two.txt" ||
    e2e_fail "$1: $(cat "$work/one.txt" "$work/two.txt")"
  cmp -s "$work/en.json" "$work/$1.json" || e2e_fail "$1: --json differs: $(cat "$work/$1.json")"
  while IFS= read -r line; do
    [ ${#line} -le 79 ] || e2e_fail "$1: --help wider than 79 columns: $line"
  done < <(cli LANGUAGE="$1" "$bin/echobatch-cli" --help)
}
counts en '1 of 1 file converted' '2 of 3 files converted, 1 replaced an existing file'
counts de '1 von 1 Datei umgewandelt' '2 von 3 Dateien umgewandelt, davon hat 1 eine vorhandene'
counts fr '1 sur 1 fichier converti' '2 sur 3 fichiers convertis, dont 1 a remplacé un fichier'
grep -q '"reason":"no MPEG audio frame found"' "$work/en.json" || e2e_fail "$(cat "$work/en.json")"
# The catalogues: no plain space before a French : ; ? ! » or after «, no straight quote around
# a German placeholder.
/usr/bin/python3 - "$(dirname "${BASH_SOURCE[0]}")/../../data/translations" <<'EOF' || e2e_fail typography
import re, sys, xml.etree.ElementTree as ET
bad = []
for lang, wrong in (('fr', r' [:;?!»]|« '), ('de', r"['\"]%\d|%\d['\"]")):
    for t in ET.parse(f'{sys.argv[1]}/echobatch_{lang}.ts').iter('translation'):
        bad += [lang + ': ' + x for x in [t.text or ''] + [n.text for n in t] if re.search(wrong, x)]
print('\n'.join(bad))
sys.exit(1 if bad else 0)
EOF
grep -q '"note":"replaced an existing file","output":.*"status":"converted"' "$work/c.json" || e2e_fail "the C run: $(cat "$work/c.json")"
echo "PASS: the window and the command line in German and French; plurals, --help width and" \
  "typography; --json and --dry-run unchanged"
