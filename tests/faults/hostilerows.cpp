// The rows of the hostile-input suite: each sets up its case with a shell script and either runs
// echobatch-cli with another ("cli") or runs "Start Converting" in the test itself ("engine",
// on the entries and environment the set-up wrote). Variables the scripts see: CLI, SOX (the
// installed SoX), CASE, IN (inputs), OUT (output folder), TOOLS (scratch outside the checked
// tree), SHORT and LONG (MP3 files of 0.3 s and ten minutes); `put NAME` copies SHORT into IN.
#include "hostilerows.h"

#include <QtTest>

#include <tuple>

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
    // The album's other files are looked for beside an input with album ReplayGain.
    Row("crafted tag beside an album's file", "cli",
        R"(craft CHAP a.mp3; put b.mp3; /usr/bin/python3 -c 'import sys, mutagen.id3 as i
t = i.ID3(); t.add(i.TALB(text="A")); t.add(i.TXXX(desc="replaygain_album_gain", text="+1 dB"))
t.save(sys.argv[1])' "$IN/b.mp3")",
        cli + R"("$IN/b.mp3")", 0, {}, {"b.mp3"});
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
sox_writing() {  # SoX is handed its output as /dev/fd/3
  for p in /proc/[0-9]*; do case $(readlink "$p/fd/3" 2>/dev/null) in "$OUT"/.long.echobatch-*)
    grep -qa echos "$p/cmdline" 2>/dev/null && return 0;; esac; done; return 1; }
until ls -A "$OUT" | grep -q echobatch- && sox_writing; do
  kill -0 $pid || exit 97; sleep 0.05; done  # the front end and its SoX both run
kill -KILL $pid; wait $pid; sleep 0.5
sox_writing && exit 99
)X" + cli + R"("$IN/a.mp3")",
        0, {"removed 1 temporary file"}, {"a.mp3"});

    // What the user owns is never removed by its name: look-alikes of a temporary and of a
    // tool folder, an input named like a temporary; a killed run's leftovers go, in subfolders too.
    const QByteArray lookAlikes =
        R"(put a.mp3; echo hi > "$OUT/.my song.echobatch-backup.mp3"; echo t > "$OUT/.n.echobatch-2024q1.mp3"
cp "$SHORT" "$OUT/.p.echobatch-ABCDEF.mp3"; mkdir "$TEMP/echobatch-mywork"; echo s > "$TEMP/echobatch-mywork/sox"
echo r > "$TEMP/echobatch-mywork/input-1.raw"; chown nobody "$OUT/.n.echobatch-2024q1.mp3"
printf '%s\n' "$OUT/.p.echobatch-ABCDEF.mp3" "$IN/a.mp3" > "$CASE/entries")";
    Row("look-alikes of our files and an input named like one survive", "cli", lookAlikes,
        cli + R"("$OUT/.p.echobatch-ABCDEF.mp3" "$IN/a.mp3")", 1,
        {"p.echobatch-ABCDEF.mp3: skipped: the output would replace the input file itself"},
        {"a.mp3"});
    Row("window: look-alikes of our files and an input named like one survive", "engine",
        lookAlikes, "", 0, {"the output would replace the input file itself"}, {"a.mp3"});
    Row("--keep-tree: a killed run's temporary in a subfolder goes with the next batch", "cli",
        R"(mkdir "$IN/sub"; cp "$LONG" "$IN/sub/L.mp3"; put a.mp3)",
        cli + R"X(--jobs 1 --keep-tree "$IN" & pid=$!
until ls -A "$OUT/sub" 2>/dev/null | grep -q echobatch- && [ -e "$OUT/a.mp3" ]; do  # a.mp3 is done
  kill -0 $pid || exit 97; sleep 0.05; done
kill -KILL $pid; wait $pid; sleep 0.3
)X" + cli + R"("$IN/a.mp3" && rmdir "$OUT/sub")",
        0, {"removed 1 temporary file"}, {"a.mp3"});

    // A record names only what the program makes: a planted one naming a file and a folder of
    // the user's removes neither. A runtime folder that another user owns is passed over, also
    // while that user swaps the records folder for a link to records of theirs (ten runs).
    const QByteArray records = R"(put a.mp3; echo precious > "$CASE/precious.txt"
mkdir "$CASE/mine"; echo s > "$CASE/mine/sox")";
    Row("a planted run record naming files of the user's", "cli", records,
        R"(r="$TOOLS/run"; mkdir -m 700 "$r" "$r/echobatch"
printf '%s %s %s\0' $(stat -c '%d %i' "$CASE/precious.txt") "$CASE/precious.txt" > "$r/echobatch/temporaries-1-AAAAAA"
printf '%s %s %s\0' $(stat -c '%d %i' "$CASE/mine") "$CASE/mine" > "$r/echobatch/toolfolders-1-AAAAAA"
XDG_RUNTIME_DIR="$r" )" +
            cli + R"("$IN/a.mp3"; rc=$?; rm -rf "$r"; exit $rc)",
        0, {"1 of 1 file converted"}, {"a.mp3"});
    Row("window: a planted run record naming files of the user's", "engine", records + R"(
r="$XDG_RUNTIME_DIR/echobatch"; mkdir -p -m 700 "$r"; printf '%s\n' "$IN/a.mp3" > "$CASE/entries"
printf '%s %s %s\0' $(stat -c '%d %i' "$CASE/precious.txt") "$CASE/precious.txt" > "$r/temporaries-1-AAAAAA"
printf '%s %s %s\0' $(stat -c '%d %i' "$CASE/mine") "$CASE/mine" > "$r/toolfolders-1-AAAAAA")",
        "", 0, {}, {"a.mp3"});
    Row("a runtime folder of another user, records swapped in", "cli", records,
        R"X(r=$(mktemp -d /tmp/eb-run-XXXXXX); chmod 0777 "$r"; chown nobody "$r"; rc=0  # nobody reaches it
setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 -c '
import ctypes, os, sys, time
libc = ctypes.CDLL(None, use_errno=True); r = sys.argv[1]
os.mkdir(r + "/theirs")
for kind in ("temporaries", "toolfolders"):
    open(r + "/theirs/" + kind + "-1-AAAAAA", "wb").write(sys.argv[2].encode() + b"\0")
os.symlink("theirs", r + "/evil")
end = time.time() + 60
while not os.path.exists(r + "/stop") and time.time() < end:
    if not os.path.lexists(r + "/echobatch"): os.rename(r + "/evil", r + "/echobatch")
    libc.renameat2(-100, (r + "/echobatch").encode(), -100, (r + "/evil").encode(), 2)
' "$r" "$(stat -c '%d %i' "$CASE/precious.txt") $CASE/precious.txt" &
for i in $(seq 10); do
  XDG_RUNTIME_DIR="$r" XDG_STATE_HOME="$TOOLS/state" )X" +
            cli + R"X("$IN/a.mp3" 2>>"$TOOLS/said" || rc=$i; [ -e "$CASE/precious.txt" ] || rc=99
done; touch "$r/stop"; wait; [ -L "$r/echobatch" ] || [ -L "$r/evil" ] || rc=98  # it did swap
sort -u "$TOOLS/said"; rm -rf "$r" "$TOOLS/state" "$TOOLS/said"; exit $rc)X",
        0, {"is passed over (it belongs to another user); run records are kept in"}, {"a.mp3"});
    Row("a full records file system: nothing made unrecorded", "cli", "put a.mp3",
        R"(mkdir "$TOOLS/run"; unshare -m bash -c 'mount -t tmpfs -o size=64k,mode=0700 tmpfs "$TOOLS/run" &&
{ yes > "$TOOLS/run/fill" 2>/dev/null; XDG_RUNTIME_DIR="$TOOLS/run" )" +
            cli + R"("$IN/a.mp3"; }'; rc=$?; rmdir "$TOOLS/run"; exit $rc)",
        1, {"a.mp3: cannot keep a record of the temporary file: No space left on device"}, {});
    Row("the output folder renamed away while a file converts", "cli",
        R"(cp "$LONG" "$IN/long.mp3")", cli + R"("$IN/long.mp3" & pid=$!
until ls -A "$OUT" | grep -q echobatch-; do kill -0 $pid || exit 97; sleep 0.05; done
mv "$OUT" "$CASE/moved"; wait $pid; rc=$?; mv "$CASE/moved" "$OUT"; exit $rc)",
        1, {"long.mp3: the output folder ", "/out is gone"}, {});

    // Files named by paths that others can swap: the tool writes through descriptors only, a
    // renamed-aside temporary is removed where it went, a swapped folder takes no output, and
    // an input is one file from start to end.
    Row("--out others may write: each temporary renamed aside, a link to our file in its place",
        "cli", R"(for i in 1 2 3 4 5 6; do put t$i.mp3; done; echo mine > "$CASE/mine"; chmod 600 "$CASE/mine")",
        R"X(shared=$(mktemp -d /tmp/eb-out-XXXXXX); chmod 0777 "$shared"; rc=0
setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 -c '
import os, sys, time
d, mine, n, end = sys.argv[1], sys.argv[2], 0, time.time() + 60
while not os.path.exists(d + "/stop") and time.time() < end:
    for name in os.listdir(d):
        p = d + "/" + name
        if ".echobatch-" in name and not os.path.islink(p):
            try: os.rename(p, d + "/aside%d" % n); os.symlink(mine, p); n += 1
            except OSError: pass
' "$shared" "$CASE/mine" &
"$CLI" --jobs 2 --out "$shared" "$IN"/*.mp3; touch "$shared/stop"; wait
find "$shared" -type l | grep -q . || rc=98                  # the stranger did swap
find "$shared" -name 'aside*' -type f | grep . && rc=97      # nothing of ours left aside
rm -rf "$shared"; exit $rc)X",
        0, {"the temporary output was replaced by another file meanwhile"}, {});
    Row("--keep-tree: an output subfolder swapped with a link to another folder, in a loop", "cli",
        R"(mkdir "$IN/a" "$CASE/other"; for i in 1 2 3 4 5 6 7 8; do put a/t$i.mp3; done)",
        R"X(mkdir "$OUT/a"; rc=0
while [ ! -e "$TOOLS/stop" ]; do
  mv "$OUT/a" "$OUT/a.real" && ln -s "$CASE/other" "$OUT/a"; sleep 0.02
  rm "$OUT/a"; mv "$OUT/a.real" "$OUT/a"; sleep 0.02; done &
)X" + cli + R"X(--jobs 2 --keep-tree "$IN"; touch "$TOOLS/stop"; wait; rm "$TOOLS/stop"
find "$OUT" -name '.*echobatch-*' | grep . && rc=97          # no temporary left anywhere
rm -rf "$OUT"/*; exit $rc)X",
        0, {}, {});
    const QByteArray sine = R"("$SOX" -n -r 44100 -c 2 -C 128 "$CASE/$1" synth "$2" sine 440; )";
    Row("an input rewritten in a loop while the batch and the dry run read it", "cli",
        "long() { " + sine + R"(}; long long.mp3 60; mkdir "$IN/x"; cp "$CASE/long.mp3" "$IN/x/")",
        R"X(rc=0
while [ ! -e "$TOOLS/stop" ]; do cp "$SHORT" "$IN/x/long.mp3"; cp "$CASE/long.mp3" "$IN/x/long.mp3"; done &
for i in $(seq 20); do "$CLI" --dry-run --out "$OUT" "$IN/x/long.mp3" >/dev/null 2>&1; [ $? -lt 128 ] || rc=$i; done
)X" + cli + R"X("$IN/x/long.mp3"; [ $? -lt 128 ] || rc=99; touch "$TOOLS/stop"; wait; rm "$TOOLS/stop"
cp "$CASE/long.mp3" "$IN/x/long.mp3"; rm -f "$OUT/long.mp3"; exit $rc)X",
        0, {"long.mp3: "}, {});
    Row("an input renamed over while it converts: the first file's audio and tags", "cli",
        "long() { " + sine + R"(/usr/bin/python3 -c 'import sys; from mutagen.easyid3 import EasyID3 as E
t = E(); t["title"] = sys.argv[2]; t.save(sys.argv[1])' "$CASE/$1" "$3"; }
long first.mp3 60 First; long second.mp3 2 Second; cp "$CASE/first.mp3" "$IN/a.mp3")",
        cli + R"X("$IN/a.mp3" & pid=$!
until ls -A "$OUT" | grep -q echobatch-; do kill -0 $pid || exit 97; sleep 0.01; done
cp "$CASE/second.mp3" "$TOOLS/s.mp3"; mv "$TOOLS/s.mp3" "$IN/a.mp3"; wait $pid; rc=$?
/usr/bin/python3 -c 'import sys; from mutagen.mp3 import MP3; m = MP3(sys.argv[1])
print(m["TIT2"], round(m.info.length))' "$OUT/a.mp3"; cp "$CASE/first.mp3" "$IN/a.mp3"; exit $rc)X",
        0, {"First 60"}, {"a.mp3"});

    // Outputs compared as the files they are; the scan passes over the output folder.
    Row("--keep-tree: a link in the output tree makes two outputs one", "cli",
        R"(mkdir "$IN/a" "$IN/b"; put a/x.mp3; put b/x.mp3; ln -s a "$OUT/b")",
        cli + R"(--jobs 1 --keep-tree "$IN")", 1,
        {"b/x.mp3: skipped: its output would replace the output of"}, {"a/x.mp3"});
    // No output through a link below the output folder, wherever it leads: into the output
    // tree, or out of it to a file of the user's at one or two levels.
    const QList<std::pair<const char*, const char*>> links{
        {"into the output tree", R"(mkdir "$IN/b" "$OUT/a"; put b/x.mp3; ln -s a "$OUT/b")"},
        {"out of it", R"(mkdir "$IN/b" "$CASE/lib"; put b/x.mp3; echo mine > "$CASE/lib/x.mp3"
ln -s ../lib "$OUT/b")"},
        {"out of it, two levels down",
         R"(mkdir -p "$IN/a/b" "$OUT/a" "$CASE/lib"; put a/b/x.mp3; echo mine > "$CASE/lib/x.mp3"
ln -s "$CASE/lib" "$OUT/a/b")"}};
    for (const auto& [where, make] : links) {
        Row(qPrintable(QStringLiteral("--keep-tree: no output through a link %1")
                           .arg(QLatin1String(where))),
            "cli", make, cli + R"(--keep-tree "$IN")", 1,
            {"/b is a link; outputs are never written through links below the output folder"}, {});
    }
    Row("--keep-tree: a bind mount in the output tree makes two outputs one", "cli",
        R"(mkdir "$IN/a" "$IN/b" "$OUT/a" "$OUT/b"; put a/x.mp3; put b/x.mp3)",
        R"(unshare -m bash -c 'mount --bind "$OUT/a" "$OUT/b" && )" + cli +
            R"(--jobs 1 --keep-tree "$IN"')",
        1, {"b/x.mp3: skipped: its output would replace the output of"}, {"a/x.mp3"});
    Row("--keep-tree: a read-only output folder says why", "cli",
        R"(mkdir "$IN/sub"; put sub/q.mp3; put t.mp3)",
        R"(unshare -m bash -c 'mount -t tmpfs -o ro,size=1m tmpfs "$OUT" && )" + cli +
            R"(--keep-tree "$IN"')",
        1,
        {"t.mp3: cannot write into the output folder: Read-only file system",
         "q.mp3: cannot make the output folder", "/sub: Read-only file system"},
        {});
    Row("the output folder inside a folder argument is passed over", "cli", "put a.mp3",
        cli + R"("$CASE" && )" + cli + R"("$CASE")", 0,
        {"out: passed over: it is the output folder", "1 of 1 file converted, 1 replaced"},
        {"a.mp3"});

    // Every failure named; lists as other programs write them.
    Row("--json into a full device", "cli", "put a.mp3", cli + R"(--json "$IN/a.mp3" >/dev/full)",
        1, {"echobatch-cli: write error: No space left on device"}, {"a.mp3"});
    Row("--dry-run into a full device", "cli", "put a.mp3",
        cli + R"(--dry-run "$IN/a.mp3" >/dev/full)", 1,
        {"echobatch-cli: write error: No space left on device"}, {});
    Row("a list with NUL bytes read without -0", "cli", "put a.mp3",
        R"(printf '%s\0' "$IN/a.mp3" | )" + cli + "--from -", 2, {"give -0 (--null)"}, {});
    Row("a CRLF list with empty lines", "cli", "put a.mp3; put b.mp3",
        R"(printf '%s\r\n\r\n' "$IN/a.mp3" "$IN/b.mp3" | )" + cli + "--from -", 0,
        {"2 of 2 files converted"}, {"a.mp3", "b.mp3"});
    // AddressSanitizer reserves terabytes of address space: under it only the list's own bound
    // is tried.
    Row("an endless list under a memory limit", "cli", "put a.mp3",
        R"(cd "$IN" && lim="prlimit --as=3000000000"; ldd "$CLI" | grep -q libasan && lim=
yes a.mp3 | $lim )" +
            cli + "--from -",
        2, {"more than 10000000 entries"}, {});
    for (const char* sig : {"TERM", "HUP"}) {
        Row(qPrintable(QStringLiteral("SIG%1 while the list is read").arg(QLatin1String(sig))),
            "cli", R"(mkfifo "$TOOLS/list")",
            cli + R"(--from "$TOOLS/list" & pid=$!
exec 3>"$TOOLS/list"; sleep 0.3; kill -)" +
                QByteArray(sig) + R"( $pid; wait $pid)",
            130, {"echobatch-cli: interrupted\n"}, {});
    }
    Row("SIGTERM while a folder is scanned", "cli",
        R"(for i in {1..30}; do mkdir -p "$IN/$i"/{1..30}/{1..30}; done)",
        cli + R"("$IN" & pid=$! ; sleep 0.2; kill -TERM $pid; wait $pid)", 130,
        {"echobatch-cli: interrupted\n"}, {});

    // --update passes over what is up to date; a replaced output is named.
    Row("--update", "cli",
        R"(put a.mp3; put b.mp3; touch -d 2001-01-01 "$IN/a.mp3"; cp "$SHORT" "$OUT/a.mp3")",
        cli + R"(--update "$IN/a.mp3" "$IN/b.mp3")", 0,
        {"[1/2] up to date", "1 of 2 files converted, 1 up to date"}, {"b.mp3"});
    // Only a real MP3 output stands for its input: anything else at the output name is
    // replaced (a file, or a link itself and never its target) or refused by name.
    const QByteArray old =
        R"(put a.mp3; touch -d 2001-01-01 "$IN/a.mp3"; echo text > "$TOOLS/t.txt")";
    const QList<std::tuple<const char*, QByteArray, QByteArray, int, QString>> others{
        {"a folder", R"(mkdir "$OUT/a.mp3")", "", 1, "not a regular file: a folder"},
        {"a FIFO", R"(mkfifo "$OUT/a.mp3")", "", 1, "not a regular file: a FIFO"},
        {"a link to a text file", "", R"(ln -s ../tools/t.txt "$OUT/a.mp3"; )", 0, "1 replaced"},
        {"a text file", "", R"(echo text > "$OUT/a.mp3"; )", 0, "1 replaced"}};
    for (const auto& [what, made, before, code, says] : others) {
        Row(qPrintable(
                QStringLiteral("--update over %1 at the output name").arg(QLatin1String(what))),
            "cli", old + "; " + made, before + cli + R"(--update "$IN/a.mp3")", code, {says},
            code == 0 ? QStringList{QStringLiteral("a.mp3")} : QStringList{});
    }
    Row("window: a FIFO at the output name", "engine",
        R"(put a.mp3; mkfifo "$OUT/a.mp3"; printf '%s\n' "$IN/a.mp3" > "$CASE/entries")", "", 0,
        {"a.mp3: skipped: the output is not a regular file: a FIFO"}, {});
    Row("an existing output replaced is named", "cli", "put a.mp3",
        R"(cp "$SHORT" "$OUT/a.mp3"; )" + cli + R"(--json "$IN/a.mp3")", 0,
        {R"("note":"replaced an existing file")", "1 replaced an existing file"}, {"a.mp3"});

    // No process of ours outlives the window, started without a session bus and killed.
    Row("window without a session bus, killed: nothing of it left", "cli", "",
        R"X(h=$(mktemp -d); xvfb-run -a env -u DBUS_SESSION_BUS_ADDRESS HOME="$h" ECHOBATCH_UI_LOG="$h/log" \
  EB_MARK="$CASE" bash -c '"$WINDOW" & pid=$!; sleep 3; kill -0 $pid || exit 97; kill -KILL $pid'
rc=$?; sleep 0.5; rm -rf "$h"; left=$(grep -lsa "EB_MARK=$CASE" /proc/[0-9]*/environ); echo "left: $left"
[ $rc -eq 0 ] && [ -z "$left" ])X",
        0, {"left: \n"}, {});

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

    // The window's settings store ("store": one read and one write through the store's code)
    // linked to what is not a file of the user's own: never opened, never replaced, both named.
    const QByteArray store =
        R"(store() { mkdir -p "$CASE/config/Quenforth"; ln -s "$1" "$CASE/config/Quenforth/Quenforth.ini"; stat -Lc '%F %i' "$1" > "$TOOLS/was"; }
)";
    const QByteArray same = R"X([ "$(stat -Lc '%F %i' "$TOOLS/it")" = "$(cat "$TOOLS/was")" ])X";
    const QList<std::tuple<const char*, const char*, QStringList>> stores{
        {"FIFO",
         R"(mkfifo "$TOOLS/it")",
         {"ini: not a regular file: a FIFO", "ini: not a regular file: a link to a FIFO"}},
        {"character device",
         R"(mknod "$TOOLS/it" c 1 5)",
         {"ini: not a regular file: a character device", "a link to a character device"}},
        {"folder",
         R"(mkdir "$TOOLS/it")",
         {"cannot be read from", "ini: not a regular file: a folder", "cannot be written to",
          "ini: not a regular file: a link to a folder"}},
        {"file in another user's folder",
         R"(mkdir "$TOOLS/f"; echo x > "$TOOLS/f/it"; chown nobody "$TOOLS/f"; ln -s f/it "$TOOLS/it")",
         {"read: ok", "ini: not a regular file: a link into a folder of another user"}}};
    for (const auto& [what, make, says] : stores) {
        Row(qPrintable(QStringLiteral("settings store linked to a %1").arg(QLatin1String(what))),
            "store", store + make + R"(; store "$TOOLS/it")", same, 0, says, {});
    }
    Row("settings store linked to the user's own file: written through, link kept", "store",
        store +
            R"(printf '[x]\ny=1\n' > "$TOOLS/own"; cp "$TOOLS/own" "$TOOLS/copy"; store "$TOOLS/own")",
        R"([ -L "$CASE/config/Quenforth/Quenforth.ini" ] && grep -q '^y=1' "$TOOLS/own" && grep -q 'Folder=/srv/out/' "$TOOLS/own" && cp "$TOOLS/copy" "$TOOLS/own")",
        0, {"read: ok", "written: ok"}, {});
    Row("settings store linked to a FIFO, read by the command line", "cli",
        store + R"(put a.mp3; mkfifo "$TOOLS/it"; store "$TOOLS/it")",
        R"(XDG_CONFIG_HOME="$CASE/config" )" + cli + R"("$IN/a.mp3" && )" + same, 0,
        {"/Quenforth.ini: not a regular file: a FIFO; its values are not used"}, {"a.mp3"});
    Row("settings store over 1 MB, read by the command line", "cli",
        R"(put a.mp3; mkdir -p "$CASE/config/Quenforth"; yes Text4=1 | head -c 1100000 > "$CASE/config/Quenforth/Quenforth.ini")",
        R"(XDG_CONFIG_HOME="$CASE/config" )" + cli + R"("$IN/a.mp3")", 0,
        {"larger than 1 MB (1100000 bytes)"}, {"a.mp3"});

    // The terminal.
    Row("a name with ESC on a terminal", "cli", R"(put $'a\e[2Jb.mp3')",
        R"X(SHELL=/bin/bash script -qec "$(printf '%q ' "$CLI" --out "$OUT" "$IN"/$'a\e[2Jb.mp3')" /dev/null)X",
        0, {"a\\x1b[2Jb.mp3"}, {"a\x1b[2Jb.mp3"});
}

}  // namespace ebtest
