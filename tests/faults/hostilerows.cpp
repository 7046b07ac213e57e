// The rows of the hostile-input suite: each sets up its case with a shell script and either runs
// echobatch-cli with another ("cli") or runs "Start Converting" in the test itself ("engine",
// on the entries and environment the set-up wrote). Variables the scripts see: CLI, SOX (the
// installed SoX), CASE, IN (inputs), OUT (output folder), TOOLS (scratch outside the checked
// tree), SHORT and LONG (MP3 files of 0.3 s and ten minutes); `put NAME` copies SHORT into IN.
#include "hostilerows.h"

#include <QtTest>

namespace ebtest {

namespace {

// `plant FOLDER [MODE]`: a `sox` that only leaves a mark: if it ever runs, the wrong program was
// started. `craft KIND NAME`: SHORT under an ID3v2.4 tag built byte by byte to exhaust its reader:
// 18,000 CHAP or CTOC frames each inside the one before, 3 million tiny frames, or a frame
// whose size runs 256 MB past the end of its small tag.
const char kPlant[] =
    R"(plant() { mkdir -p "$1"; printf '#!/bin/sh\ntouch %s/ran\n' "$CASE" > "$1/sox"; chmod "${2:-755}" "$1/sox"; }
craft() { /usr/bin/python3 -c '
import sys
def ss(n): return bytes([n >> 21 & 127, n >> 14 & 127, n >> 7 & 127, n & 127])
def fr(name, body, size=None): return name + ss(len(body) if size is None else size) + b"\0\0" + body
kind = sys.argv[1]
if kind in ("CHAP", "CTOC"):
    lead = b"c\0" + bytes(16) if kind == "CHAP" else b"t\0\3\0"
    inner = fr(b"TIT2", b"\0deep"); sizes = []; size = len(inner)
    for _ in range(18000): size += len(lead); sizes.append(size); size += 10
    body = b"".join(kind.encode() + ss(n) + b"\0\0" + lead for n in reversed(sizes)) + inner
elif kind == "tiny": body = fr(b"TXXX", b"\0") * 3000000
else: body = fr(b"APIC", b"x", 0x0fffffff) + fr(b"TIT2", b"\0Lost")
sys.stdout.buffer.write(b"ID3\4\0\0" + ss(len(body) + 64) + body + bytes(64) + open(sys.argv[2], "rb").read())
' "$1" "$SHORT" > "$IN/$2"; }
)";

void Row(const char* name, const char* front, const QByteArray& setup, const QByteArray& run,
         int exit, const QStringList& says, const QStringList& outputs) {
    QTest::newRow(name) << QString::fromLatin1(front) << QByteArray(kPlant) + setup << run << exit
                        << says << outputs;
}

// t1.mp3 ... tN.mp3
QStringList Numbered(int count) {
    QStringList names;
    for (int k = 1; k <= count; ++k)
        names << QStringLiteral("t%1.mp3").arg(k);
    return names;
}

}  // namespace

void AddHostileRows() {
    QTest::addColumn<QString>("front");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QByteArray>("run");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("outputs");
    const QByteArray cli = R"("$CLI" --out "$OUT" )";

    // Crafted tags: the file converts with SoX's own tags and a named warning, the next one too.
    const char* const nests = "the input's ID3v2 tag nests chapters more than 16 levels deep";
    const QList<std::pair<const char*, const char*>> crafted{
        {"CHAP", nests},
        {"CTOC", nests},
        {"tiny", "the input's ID3v2 tag holds more than 100000 frames"},
        {"past", "frames not copied: APIC (its size runs past the end of the tag)"}};
    for (const auto& [kind, why] : crafted) {
        Row(qPrintable(QStringLiteral("crafted tag: %1").arg(QLatin1String(kind))), "cli",
            "craft " + QByteArray(kind) + " a.mp3; put b.mp3", cli + R"("$IN/a.mp3" "$IN/b.mp3")",
            0, {"1 of 2 files converted with a warning", why}, {"a.mp3", "b.mp3"});
    }
    Row("window: crafted tag of nested chapters", "engine",
        R"(craft CHAP a.mp3; put b.mp3; printf '%s\n' "$IN/a.mp3" "$IN/b.mp3" > "$CASE/entries")",
        "", 0, {"1 of 2 files converted with a warning", nests}, {"a.mp3", "b.mp3"});

    // Names that are not UTF-8, each with a look-alike beside it.
    Row("non-UTF-8 name, look-alike beside it", "cli",
        R"(put $'bad\xff.mp3'; put $'bad\xef\xbf\xbd.mp3')", cli + R"("$IN"/$'bad\xff.mp3')", 1,
        {"bad\\xff.mp3: skipped: the name is not valid UTF-8"}, {});
    Row("non-UTF-8 output folder, look-alike beside it", "cli",
        R"(put a.mp3; mkdir "$OUT"/$'o\xff' "$OUT"/$'o\xef\xbf\xbd')",
        R"("$CLI" --out "$OUT"/$'o\xff' "$IN/a.mp3")", 2, {"o\\xff"}, {});
    Row("Latin-1 folder", "cli", R"(mkdir "$IN"/$'Bj\xf6rk'; put $'Bj\xf6rk/a.mp3'; put b.mp3)",
        cli + R"("$IN"/$'Bj\xf6rk/a.mp3' "$IN/b.mp3")", 1,
        {"Bj\\xf6rk/a.mp3: skipped: the name is not valid UTF-8"}, {"b.mp3"});
    Row("Latin-1 folder given as a folder", "cli",
        R"(mkdir "$IN"/$'Bj\xf6rk'; put $'Bj\xf6rk/a.mp3'; put b.mp3)",
        cli + R"("$IN"/$'Bj\xf6rk' "$IN/b.mp3")", 1,
        {"Bj\\xf6rk: skipped: the name is not valid UTF-8"}, {"b.mp3"});
    Row("folder scan passes over a non-UTF-8 name", "cli",
        R"(for n in a b c d $'e\xe9'; do put "$n.mp3"; done)", cli + R"("$IN")", 1,
        {"1 of 5 files failed", "e\\xe9.mp3: skipped: the name is not valid UTF-8"},
        {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    Row("window: a dialog's U+FFFD look-alike", "engine",
        R"(put $'bad\xff.mp3'; put $'bad\xef\xbf\xbd.mp3'; printf '%s\n' "$IN"/$'bad\xff.mp3' > "$CASE/entries")",
        "", 0, {"may stand for another file"}, {});

    // Process set-ups.
    Row("standard error piped into head", "cli", "put a.mp3; put b.mp3; put c.mp3",
        cli + R"("$IN"/*.mp3 2>&1 | head -c 1 >/dev/null; exit ${PIPESTATUS[0]})", 0, {},
        {"a.mp3", "b.mp3", "c.mp3"});
    Row("standard streams closed", "cli", "put a.mp3; put b.mp3; put c.mp3",
        cli + R"("$IN"/*.mp3 0<&- 1>&- 2>&-)", 0, {}, {"a.mp3", "b.mp3", "c.mp3"});
    Row("file-size limit hit by the tag copy", "cli",
        R"(/usr/bin/python3 -c 'import sys; d=b"x\0"+b"p"*300000; f=b"PRIV"+len(d).to_bytes(4,"big")+b"\0\0"+d; n=len(f); s=bytes([(n>>21)&127,(n>>14)&127,(n>>7)&127,n&127]); sys.stdout.buffer.write(b"ID3\3\0\0"+s+f+open(sys.argv[1],"rb").read())' "$SHORT" > "$IN/a.mp3")",
        "ulimit -f 200; " + cli + R"("$IN/a.mp3")", 0, {"tags not copied"}, {"a.mp3"});
    Row("--jobs 520 under ulimit -n 64", "cli", "for i in $(seq 40); do put t$i.mp3; done",
        "ulimit -n 64; " + cli + R"(--jobs 520 "$IN"/*.mp3)", 0, {"lowered to", "40 of 40"},
        Numbered(40));
    for (const char* sig : {"QUIT", "USR1", "USR2"}) {
        Row(qPrintable(QStringLiteral("SIG%1 stops the run").arg(QLatin1String(sig))), "cli",
            R"(cp "$LONG" "$IN/long.mp3")", cli + R"("$IN/long.mp3" & pid=$!
until ls -A "$OUT" | grep -q echobatch-; do kill -0 $pid || exit 97; sleep 0.05; done
kill -)" + QByteArray(sig) + R"( $pid; wait $pid)",
            130, {"interrupted"}, {});
    }
    Row("front end killed (SIGKILL): no tool left, the next batch cleans up", "cli",
        R"(cp "$LONG" "$IN/long.mp3"; put a.mp3)", cli + R"X("$IN/long.mp3" & pid=$!
until ls -A "$OUT" | grep -q echobatch- && pgrep -f "$OUT/.long.echobatch-" >/dev/null; do
  kill -0 $pid || exit 97; sleep 0.05; done  # the front end and its SoX both run
kill -KILL $pid; wait $pid; sleep 0.5
pgrep -f "$OUT/.long.echobatch-" && exit 99
)X" + cli + R"("$IN/a.mp3")",
        0, {"removed 1 temporary file"}, {"a.mp3"});

    // Files that are not regular.
    Row("FIFO input", "cli", R"(mkfifo "$IN/pipe.mp3"; put a.mp3)",
        cli + R"("$IN/pipe.mp3" "$IN/a.mp3")", 1, {"pipe.mp3: skipped: not a regular file: a FIFO"},
        {"a.mp3"});
    Row("window: FIFO input", "engine",
        R"(mkfifo "$IN/pipe.mp3"; printf '%s\n' "$IN/pipe.mp3" > "$CASE/entries")", "", 0,
        {"pipe.mp3: skipped: not a regular file: a FIFO"}, {});
    Row("ECHOBATCH_SOX names a FIFO", "cli", R"(put a.mp3; mkfifo "$TOOLS/fifo")",
        R"(ECHOBATCH_SOX="$TOOLS/fifo" )" + cli + R"("$IN/a.mp3")", 1,
        {"not a regular file: a FIFO"}, {});
    Row("ECHOBATCH_SOX names /dev/zero", "cli", "put a.mp3",
        "ECHOBATCH_SOX=/dev/zero " + cli + R"("$IN/a.mp3")", 1,
        {"not a regular file: a character device"}, {});

    // Strangers' programs.
    Row("tool folder swapped in a TEMP others may write to", "cli",
        R"(for i in $(seq 15); do put t$i.mp3; done
shared=$(mktemp -d /tmp/eb-shared-XXXXXX); chmod 0777 "$shared"; echo "$shared" > "$TOOLS/shared"
setpriv --reuid=nobody --regid=nogroup --clear-groups bash -c '
  while [ ! -e "$0/stop" ]; do for d in "$0"/echobatch-*; do
    [ -d "$d" ] && [ ! -O "$d" ] || continue
    mv "$d" "$0/moved$RANDOM" && mkdir "$d" && printf "#!/bin/sh\ntouch $1/ran\n" > "$d/sox" && chmod 755 "$d/sox"
  done; done' "$shared" "$CASE" &>/dev/null &)",
        R"(shared=$(cat "$TOOLS/shared"); TEMP=$shared )" + cli +
            R"("$IN"/*.mp3; rc=$?; touch "$shared/stop"; sleep 0.3
ls "$shared" | grep -q moved || rc=98  # the stranger did swap the folder
rm -rf "$shared"; exit $rc)",
        0, {"15 of 15"}, Numbered(15));
    Row("PATH: sox linked into a world-writable folder", "cli",
        R"(put a.mp3; mkdir -m 0777 "$TOOLS/ww"; plant "$TOOLS/ww"; mkdir "$TOOLS/bin"; ln -s "$TOOLS/ww/sox" "$TOOLS/bin/sox")",
        R"(PATH="$TOOLS/bin:$PATH" )" + cli + R"("$IN/a.mp3")", 0, {}, {"a.mp3"});
    Row("PATH: world-writable sox in a safe folder", "cli", R"(put a.mp3; plant "$TOOLS/bin" 777)",
        R"(PATH="$TOOLS/bin:$PATH" )" + cli + R"("$IN/a.mp3")", 0, {}, {"a.mp3"});
    Row("PATH: safe folder inside a world-writable one", "cli",
        R"(put a.mp3; mkdir -m 0777 "$TOOLS/ww"; plant "$TOOLS/ww/bin")",
        R"(PATH="$TOOLS/ww/bin:$PATH" )" + cli + R"("$IN/a.mp3")", 0, {}, {"a.mp3"});
    Row("PATH: sox in a folder another group may write to", "cli",
        R"(put a.mp3; plant "$TOOLS/bin"; chgrp nogroup "$TOOLS/bin"; chmod 0775 "$TOOLS/bin")",
        R"(PATH="$TOOLS/bin:$PATH" )" + cli + R"("$IN/a.mp3")", 0, {}, {"a.mp3"});
    Row("PATH: sox that another group may write to", "cli",
        R"(put a.mp3; plant "$TOOLS/bin" 775; chgrp nogroup "$TOOLS/bin/sox")",
        R"(PATH="$TOOLS/bin:$PATH" )" + cli + R"("$IN/a.mp3")", 0, {}, {"a.mp3"});
    Row("no SoX at all", "cli", "put a.mp3", "PATH=/nonexistent " + cli + R"("$IN/a.mp3")", 1,
        {"SoX was not found on PATH (/nonexistent) and ECHOBATCH_SOX is not set"}, {});
    Row("window: no SoX at all", "engine",
        R"(put a.mp3; printf '%s\n' "$IN/a.mp3" > "$CASE/entries"; printf 'PATH=/nonexistent\nECHOBATCH_SOX=\n' > "$CASE/env")",
        "", 0,
        {"line 104: SoX was not found on PATH (/nonexistent) and ECHOBATCH_SOX is not set",
         "a.mp3: SoX was not found on PATH (/nonexistent) and ECHOBATCH_SOX is not set"},
        {});
    Row("window: TEMP unusable: reported at 108, the installed SoX runs", "engine",
        R"(put a.mp3; printf '%s\n' "$IN/a.mp3" > "$CASE/entries"; touch "$TOOLS/file"; printf 'TEMP=%s\n' "$TOOLS/file" > "$CASE/env")",
        "", 0, {"line 108: Cannot make a private folder"}, {"a.mp3"});

    // The terminal.
    Row("a name with ESC on a terminal", "cli", R"(put $'a\e[2Jb.mp3')",
        R"X(SHELL=/bin/bash script -qec "$(printf '%q ' "$CLI" --out "$OUT" "$IN"/$'a\e[2Jb.mp3')" /dev/null)X",
        0, {"a\\x1b[2Jb.mp3"}, {"a\x1b[2Jb.mp3"});
}

}  // namespace ebtest
