// What a converted file keeps of its input: the encoding class (CBR bitrate or VBR), the sample
// rate and the channels, judged by Python's mutagen on files made by the real SoX, LAME and
// ffmpeg; the music's place and length, sample for sample, judged by ffmpeg, or by mpg123 where
// ffmpeg reads a stream otherwise or not at all (musicreferee.py); and clipping told as a
// warning in the "Done." summary.
#include "engine/audio/encodingclass.h"
#include "engine/audio/gaplessoutput.h"
#include "engine/conversionjob.h"
#include "engine/loudness/loudnessfollower.h"
#include "engine/loudness/replaygain.h"
#include "engine/loudness/replaygainplaces.h"
#include "engine/loudness/replaygainstage.h"
#include "engine/tools/tagcopyrun.h"
#include "engine/tools/tooldeploy.h"
#include "shell/batch/conversionrun.h"
#include "support/faketool.h"
#include "support/scriptedbatchhost.h"
#include "support/testsupport.h"

#include <QtTest>

#include <fcntl.h>

#include <sys/stat.h>

using namespace eb;
using namespace ebtest;

namespace {

struct Mp3Info {
    bool vbr = false;
    int kbps = 0;
    int rate = 0;
    int channels = 0;
};

// The independent reading: mutagen's MPEG header, Xing/LAME tag and bitrate mode.
Mp3Info ReadWithMutagen(const QString& path) {
    QByteArray out, err;
    const int rc = run(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-c"),
                        QStringLiteral("import sys, mutagen.mp3\n"
                                       "i = mutagen.mp3.MP3(sys.argv[1]).info\n"
                                       "print(int(i.bitrate_mode == mutagen.mp3.BitrateMode.VBR),"
                                       " round(i.bitrate / 1000), i.sample_rate, i.channels)"),
                        path},
                       &out, &err);
    const QList<QByteArray> v = out.simplified().split(' ');
    if (rc != 0 || v.size() != 4)
        qWarning("mutagen could not read %s: %s", qPrintable(path), err.constData());
    if (v.size() != 4)
        return {};
    return {v[0] == "1", v[1].toInt(), v[2].toInt(), v[3].toInt()};
}

struct RecordingHost : ScriptedBatchHost {
    QString shown;
    void message(const QString& text, Icon, const QString&) override { shown = text; }
    void ReportUnexpectedError(const QString&, int line, const QString& d) override {
        QFAIL(qPrintable(QStringLiteral("report %1 %2").arg(line).arg(d)));
    }
};

}  // namespace

class TestOutputQuality : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString out_;

    // A sound made by SoX at the given rate, channels and output options, or by "lame ..." or
    // "ffmpeg ..." from SoX's WAV. A last "+tlen" gives it a length tag of one second, "+tags"
    // APEv2 and ID3v1 tags at its end, "+48k" a second part at 48 kHz, "+stereo" a second part
    // in stereo, "+junk" 200 bytes of junk after its tenth frame, "+rg KIND" ReplayGain
    // values in TXXX, RVA2 or APEv2 ("album": TXXX with an album tag and album values), their
    // keys spelled in upper or lower case, as other taggers do.
    QString make(const QString& name, int rate, int channels, QStringList options,
                 const QString& synth = QStringLiteral("pinknoise"),
                 const QString& volume = QStringLiteral("0.5"),
                 const QString& seconds = QStringLiteral("1.5")) {
        const QString path = dir_.filePath(name);
        const QString step =
            options.value(options.size() - 1).startsWith(u'+') ? options.takeLast() : "";
        const QString encoder = options.value(0);
        const bool sox = encoder != "lame" && encoder != "ffmpeg";
        const QString wav = sox ? path : dir_.filePath("made.wav");
        int rc = run(
            QStringLiteral("sox"),
            QStringList{"-R", "-n", "-r", QString::number(rate), "-c", QString::number(channels)} +
                (sox ? options : QStringList()) + QStringList{wav, "synth", seconds} +
                synth.split(u' ') + QStringList{"vol", volume});
        if (encoder == "lame")
            rc |= run(encoder, options.mid(1) + QStringList{"--quiet", wav, path});
        if (encoder == "ffmpeg")
            rc |= run(encoder, QStringList{"-v", "error", "-y", "-i", wav} + options.mid(1) +
                                   QStringList{path});
        if (step == "+48k" || step == "+stereo")
            rc |= run("sh", {"-c",
                             "sox -n -r $2 -c 2 -C 128 \"$1\".2.mp3 synth 1 sine 440 && cat "
                             "\"$1\".2.mp3 >> \"$1\"",
                             "-", path, step == "+48k" ? "48000" : "44100"});
        if (step == "+junk")
            rc |= run("/usr/bin/python3",
                      {"-c",
                       "import sys\np = sys.argv[1]\nb = open(p, 'rb').read()\nat = 0\nfor _ in "
                       "range(10):\n    h = b[at:at + 4]\n    k = [0, 32, 40, 48, 56, 64, 80, 96, "
                       "112, 128, 160, 192, 224, 256, 320][h[2] >> 4]\n    at += 144000 * k // "
                       "[44100, 48000, 32000][(h[2] >> 2) & 3] + ((h[2] >> 1) & 1)\nopen(p, "
                       "'wb').write(b[:at] + bytes([0x12, 0xff, 0x00, 0x34]) * 50 + b[at:])",
                       path});
        if (step.startsWith("+rg"))
            rc |= run("/usr/bin/python3",
                      {"-c",
                       "import sys, mutagen.id3 as i, mutagen.apev2 as a\np, k = sys.argv[1:]\n"
                       "t = a.APEv2() if k == 'ape' else i.ID3()\nif k == 'ape': "
                       "t['replaygain_track_gain'] = '+1 dB'\nelif k == 'rva2': "
                       "t.add(i.RVA2(desc='track', channel=1, gain=1, peak=0.5))\nelse: "
                       "t.add(i.TXXX(desc='REPLAYGAIN_TRACK_GAIN', text='+1 dB'))\nif k == "
                       "'album': t.add(i.TALB(text='A')); "
                       "t.add(i.TXXX(desc='REPLAYGAIN_ALBUM_GAIN', text='+1 dB'))\nt.save(p)",
                       path, step.section(u' ', 1, 1)});
        if (step == "+tlen" || step == "+tags")
            rc |=
                run("/usr/bin/python3",
                    {"-c",
                     step == "+tlen" ? "import sys, mutagen.id3 as i\nt = "
                                       "i.ID3()\nt.add(i.TLEN(text='1000'))\nt.save(sys.argv[1])"
                                     : "import sys, mutagen.apev2 as a\nt = a.APEv2()\nt['Title'] "
                                       "= 'x'\nt.save(sys.argv[1])\nopen(sys.argv[1], "
                                       "'ab').write(b'TAG' + bytes(125))",
                     path});
        return rc == 0 ? path : QString();
    }

private slots:
    void initTestCase() {
        out_ = dir_.filePath(QStringLiteral("out"));
        for (const char* pass : {"", "1", "2", "3"})
            QVERIFY(QDir().mkpath(out_ + pass));
        QVERIFY(!InstalledSox().isEmpty());
        QVERIFY2(run(QStringLiteral("/usr/bin/python3"), {"-c", "import mutagen.mp3"}) == 0,
                 "the referee needs Debian's python3-mutagen");
    }

    void encodingClassIsKept_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("made");  // SoX's options for the input
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("fixed");  // the command line's --bitrate; 0: keep
        QTest::addColumn<int>(
            "kbps");  // the CBR bitrate expected; 0: VBR like the input; -1: refused
        for (int kbps : {32, 128, 192, 320})
            QTest::addRow("CBR %d kbps", kbps)
                << 44100 << 2 << QStringList{"-C", QString::number(kbps)} << "mp3" << 0 << kbps;
        QTest::newRow("CBR 96 kbps, 22.05 kHz mono")
            << 22050 << 1 << QStringList{"-C", "96"} << "mp3" << 0 << 96;
        QTest::newRow("CBR 24 kbps, 8 kHz mono")
            << 8000 << 1 << QStringList{"-C", "24"} << "mp3" << 0 << 24;
        QTest::newRow("VBR quality 2") << 44100 << 2 << QStringList{"-C", "-2"} << "mp3" << 0 << 0;
        QTest::newRow("VBR quality 6, 22.05 kHz mono")
            << 22050 << 1 << QStringList{"-C", "-6"} << "mp3" << 0 << 0;
        QTest::newRow("WAV: the highest bitrate")
            << 44100 << 2 << QStringList() << "wav" << 0 << 320;
        QTest::newRow("FLAC at 22.05 kHz: the highest at that rate")
            << 22050 << 1 << QStringList() << "flac" << 0 << 160;
        // Longer than the first bytes the property read looks at: the whole file's average.
        QTest::newRow("FLAC of 4 s: the highest")
            << 44100 << 2 << QStringList() << "flac" << 0 << 320;
        QTest::newRow("WAV of 4 s, fixed 144: the nearest above")
            << 44100 << 2 << QStringList() << "wav" << 144 << 160;
        QTest::newRow("fixed 96 over CBR 320")
            << 44100 << 2 << QStringList{"-C", "320"} << "mp3" << 96 << 96;
        QTest::newRow("fixed 128 over VBR")
            << 48000 << 2 << QStringList{"-C", "-4"} << "mp3" << 128 << 128;
        QTest::newRow("fixed 320 at 22.05 kHz: the nearest the rate allows")
            << 22050 << 2 << QStringList{"-C", "64"} << "mp3" << 320 << 160;
        for (const char* kbps : {"32", "128", "320"})
            QTest::addRow("LAME CBR %s, 3 passes", kbps)
                << 44100 << 2 << QStringList{"lame", "-b", kbps, "--resample", "44.1"} << "mp3" << 0
                << atoi(kbps);
        QTest::newRow("LAME CBR 192 at 48 kHz")
            << 48000 << 2 << QStringList{"lame", "-b", "192"} << "mp3" << 0 << 192;
        QTest::newRow("LAME CBR 128 without Info")
            << 44100 << 2 << QStringList{"lame", "-b", "128", "-t"} << "mp3" << 0 << 128;
        QTest::newRow("LAME VBR V0")
            << 44100 << 2 << QStringList{"lame", "-V", "0"} << "mp3" << 0 << 0;
        QTest::newRow("LAME VBR V2, 3 passes")
            << 44100 << 2 << QStringList{"lame", "-V", "2"} << "mp3" << 0 << 0;
        QTest::newRow("LAME VBR without header")
            << 44100 << 2 << QStringList{"lame", "-V", "4", "-t"} << "mp3" << 0 << 0;
        QTest::newRow("LAME ABR 96")
            << 44100 << 2 << QStringList{"lame", "--abr", "96", "--resample", "44.1"} << "mp3" << 0
            << 0;
        QTest::newRow("ffmpeg CBR 32")
            << 44100 << 2 << QStringList{"ffmpeg", "-b:a", "32k"} << "mp3" << 0 << 32;
        QTest::newRow("MPEG-2 at 22.05 kHz")
            << 22050 << 2 << QStringList{"lame", "-b", "64"} << "mp3" << 0 << 64;
        QTest::newRow("MPEG-2.5 at 11.025 kHz, 3 passes")
            << 11025 << 2 << QStringList{"lame", "-b", "32"} << "mp3" << 0 << 32;
        QTest::newRow("LAME mono")
            << 44100 << 1 << QStringList{"lame", "-b", "96"} << "mp3" << 0 << 96;
        QTest::newRow("a length tag of 1 s")
            << 44100 << 2 << QStringList{"lame", "-b", "192", "+tlen"} << "mp3" << 0 << 192;
        QTest::newRow("APEv2 and ID3v1 at the end")
            << 44100 << 2 << QStringList{"lame", "-V", "2", "+tags"} << "mp3" << 0 << 0;
        for (const char* kind : {"txxx", "rva2", "ape", "album", "album alone"})
            QTest::addRow("ReplayGain %s", kind)
                << 44100 << 2 << QStringList{"lame", "-b", "128", QStringLiteral("+rg ") + kind}
                << "mp3" << 0 << 128;
        QTest::newRow("ReplayGain txxx, VBR at 22.05 kHz mono")
            << 22050 << 1 << QStringList{"lame", "-V", "2", "+rg txxx"} << "mp3" << 0 << 0;
        QTest::newRow("LAME CBR 128 with CRC")
            << 44100 << 2 << QStringList{"lame", "-p", "-b", "128"} << "mp3" << 0 << 128;
        QTest::newRow("LAME VBR V2 with CRC")
            << 44100 << 2 << QStringList{"lame", "-p", "-V", "2"} << "mp3" << 0 << 0;
        QTest::newRow("LAME CBR 96 with CRC at 32 kHz")
            << 32000 << 2 << QStringList{"lame", "-p", "-b", "96"} << "mp3" << 0 << 96;
        QTest::newRow("free format 200: 224 (mpg123)")
            << 44100 << 2 << QStringList{"lame", "--freeformat", "-b", "200"} << "mp3" << 0 << 224;
        QTest::newRow("junk between frames (mpg123)")
            << 44100 << 2 << QStringList{"lame", "-b", "128", "+junk"} << "mp3" << 0 << 128;
        QTest::newRow("mono, then stereo (mpg123)")
            << 44100 << 1 << QStringList{"lame", "-b", "128", "+stereo"} << "mp3" << 0 << 128;
        // The private tool folder could not be made (TEMP a file, read-only, full, ...).
        QTest::newRow("LAME CBR 128 without a tool folder")
            << 44100 << 2 << QStringList{"lame", "-b", "128"} << "mp3" << 0 << 128;
        QTest::newRow("44.1 then 48 kHz")
            << 44100 << 2 << QStringList{"lame", "-b", "128", "+48k"} << "mp3" << 0 << -1;
    }
    void encodingClassIsKept() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, made);
        QFETCH(QString, suffix);
        QFETCH(int, fixed);
        QFETCH(int, kbps);
        // A track's ReplayGain input grows louder to its end, which a measurement cut short
        // would miss. An album's files stay even: the referee measures them joined, which
        // differs from the album's rule at the joins.
        const QString rg = made.value(made.size() - 1).section(u' ', 1, 1);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString input =
            make(QStringLiteral("input.") + suffix, rate, channels, made,
                 rg.isEmpty() || rg == "album" ? QStringLiteral("pinknoise")
                                               : QStringLiteral("pinknoise fade t 1.4"),
                 QStringLiteral("0.5"),
                 tag.contains("4 s") ? QStringLiteral("4") : QStringLiteral("1.5"));
        QVERIFY(!input.isEmpty());
        QTemporaryDir toolFolder;
        ToolSet tools{tag.contains("without a tool folder") ? QString() : toolFolder.path(),
                      {},
                      InstalledSox(),
                      false};
        // An album of two: the second file, the same but for its name, converted alone or not.
        const bool alone = made.value(made.size() - 1).endsWith("alone");
        const QString side = dir_.filePath("side.mp3");
        QFile::remove(side);
        QVERIFY(rg != "album" || QFile::copy(input, side));
        AlbumLedger ledger;
        ledger.setInputs({input, alone ? input : side});
        QString output = input;
        const int passes = tag.contains("3 passes") ? 3 : 1;
        for (int pass = 1; pass <= passes; ++pass) {
            ConversionJob job(output, ledger);
            job.setFixedBitrate(fixed);
            const bool planned = job.plan(out_ + QString::number(pass), DefaultEchoTexts(), {});
            if (kbps < 0)
                QCOMPARE(job.result().reason,
                         "the sample rate changes from 44100 to 48000 Hz at 0:01");
            if (kbps < 0)
                return;
            QVERIFY(planned);
            RunToEnd(job, tools);
            QVERIFY2(job.result().converted, qPrintable(job.result().reason));
            QCOMPARE(job.result().warning.startsWith("album"), alone);
            output = job.output();
        }
        QStringList album;
        if (rg == "album" && !alone) {
            ConversionJob job(side, ledger);
            QVERIFY(job.plan(out_ + "1", DefaultEchoTexts(), {}));
            RunToEnd(job, tools);
            album = QStringList{output, job.output()};
        }
        QVERIFY(QDir(toolFolder.path()).isEmpty());  // nothing of the run is left there
        const Mp3Info got = ReadWithMutagen(output);
        QCOMPARE(got.rate, rate);
        QCOMPARE(got.channels, made.endsWith("+stereo") ? 2 : channels);
        QCOMPARE(got.vbr, kbps == 0);
        if (kbps != 0)
            QCOMPARE(got.kbps, kbps);
        // Shift and length against the echo's model, mutagen's length less ffmpeg's, the encoder
        // delay, the average kbps of input and output, and the ReplayGain values.
        QByteArray said;
        const EchoTexts e = DefaultEchoTexts();
        run("/usr/bin/python3",
            QStringList{sourceDir() + "/tests/engine/musicreferee.py"} +
                (tag.contains("(mpg123)") ? QStringList{"--mpg123"} : QStringList()) +
                QStringList{input, output, e.gainIn, e.gainOut, e.delay, e.decay,
                            QString::number(passes)} +
                (rg.isEmpty() ? QStringList() : QStringList{rg} + album),
            &said);
        const QList<QByteArray> v = said.simplified().split(' ');
        QVERIFY2(v.size() == (rg.isEmpty() ? 6 : 7) && v.value(6, "ok") == "ok" &&
                     qAbs(v[0].toInt()) <= 1 && qAbs(v[1].toInt()) <= 1 &&
                     qAbs(v[2].toInt()) <= 1 && v[3] == "576",
                 said);
        QVERIFY2(kbps != 0 || qAbs(v[5].toInt() - v[4].toInt()) * 3 <= v[4].toInt(), said);
    }

    // The choice itself where no file of that kind can be made here: VBR without the
    // encoder's quality note, bitrates the rate does not allow.
    void compressionRule_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("vbr");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("compression");
        QTest::newRow("VBR about 190 kbps") << 44100 << true << 188 << -1 << "-2";
        QTest::newRow("VBR about 60 kbps at 22.05 kHz") << 22050 << true << 60 << -1 << "-6";
        QTest::newRow("VBR with its quality noted") << 44100 << true << 100 << 3 << "-3";
        QTest::newRow("CBR 8 at 44.1 kHz") << 44100 << false << 8 << -1 << "32";
        QTest::newRow("CBR 144 at 48 kHz") << 48000 << false << 144 << -1 << "160";
        QTest::newRow("CBR 320 at 24 kHz") << 24000 << false << 320 << -1 << "160";
        QTest::newRow("CBR 128 at 11.025 kHz") << 11025 << false << 128 << -1 << "64";
    }
    void compressionRule() {
        QFETCH(int, rate);
        QFETCH(bool, vbr);
        QFETCH(int, kbps);
        QFETCH(int, quality);
        QFETCH(QString, compression);
        QCOMPARE(CompressionFor({true, true, vbr, kbps, rate, quality}), compression);
    }

    // An album of three converted by the command line in the shapes a library has: a file
    // listed twice, the folder reached through a link, a member that fails (a FIFO at its
    // output name). Judged by ffmpeg on the outputs joined (musicreferee.py).
    void albumShapes_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("says");
        QTest::newRow("a file listed twice")
            << QStringList{"album/a", "album/a", "album/b", "album/c"} << "4 of 4 files converted";
        QTest::newRow("two spellings of the folder")
            << QStringList{"album/a", "link/b", "album/c"} << "3 of 3 files converted";
        QTest::newRow("a member fails") << QStringList{"album/a", "album/b", "album/c"}
                                        << "a.mp3: album ReplayGain removed: b.mp3 failed";
        // The whole album converted before, then one song changed (last: it changes the album).
        QTest::newRow("--update with one song changed")
            << QStringList{"--update", "album/a", "album/b", "album/c"}
            << "2 up to date (album ReplayGain updated in 2 files)";
        // The same, and an up-to-date output replaced meanwhile by an MP3 without tags.
        QTest::newRow("--update, an output replaced by an untagged MP3")
            << QStringList{"--update", "album/a", "album/b", "album/c"}
            << "/c.mp3: it keeps no ReplayGain values";
    }
    void albumShapes() {
        QFETCH(QStringList, files);
        QFETCH(QString, says);
        QVERIFY(QDir(dir_.path()).mkpath("album") && QDir(dir_.path()).mkpath("shapes"));
        QFile::link(dir_.filePath("album"), dir_.filePath("link"));
        const QString out = dir_.filePath("shapes/" + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(out));
        QStringList args{"--jobs", "1", "--out", out};
        for (const char* name : {"a", "b", "c"}) {
            const QString song = QStringLiteral("album/%1.mp3").arg(QLatin1String(name));
            QVERIFY(QFile::exists(dir_.filePath(song)) ||
                    !make(song, 44100, 2, {"lame", "-b", "128", "+rg album"}, "pinknoise",
                          name[0] == 'a' ? "0.3" : "0.6", "4")
                         .isEmpty());
        }
        for (const QString& file : files)
            args << (file.startsWith(u'-') ? file : dir_.filePath(file + ".mp3"));
        if (files.first() == "--update") {
            QCOMPARE(run(cliProgram(), QStringList(args).mid(0, 4) + args.mid(5)), 0);
            QTest::qWait(10);  // the song made anew is newer than its output
            QVERIFY(!make("album/b.mp3", 44100, 2, {"lame", "-b", "128", "+rg album"}, "pinknoise",
                          "0.8", "4")
                         .isEmpty());
        }
        const bool fails = says.contains("failed"), foreign = says.contains("keeps no ReplayGain");
        QVERIFY(!fails || ::mkfifo(QFile::encodeName(out + "/b.mp3").constData(), 0600) == 0);
        const QString untagged =
            foreign ? make("untagged.mp3", 44100, 2, {"lame", "-b", "128"}) : "";
        QVERIFY(!foreign ||
                (QFile::remove(out + "/c.mp3") && QFile::copy(untagged, out + "/c.mp3")));
        QByteArray said;
        run(cliProgram(), args, nullptr, &said);
        QVERIFY2(said.contains(says.toUtf8()), said);
        // Said only of an output that took the album's new values; the album is all or none.
        QVERIFY2(!said.contains("album ReplayGain updated") || says.contains("updated"), said);
        QStringList outputs{out + "/a.mp3", out + "/b.mp3", out + "/c.mp3"};
        if (fails || foreign)
            outputs.removeAt(fails ? 1 : 2);
        for (const QString& output : outputs) {
            const EchoTexts e = DefaultEchoTexts();
            QByteArray verdict;
            run("/usr/bin/python3",
                QStringList{sourceDir() + "/tests/engine/musicreferee.py",
                            dir_.filePath("album/a.mp3"), output, e.gainIn, e.gainOut, e.delay,
                            e.decay, "1", "album"} +
                    (fails || foreign ? QStringList() : outputs),
                &verdict);
            QVERIFY2(verdict.simplified().endsWith(" ok"), output.toUtf8() + ": " + verdict);
        }
    }

    // The parts of ReplayGain on their own: the follower measures what a later decode of the
    // finished file measures, and gives up on a file shorter than its music; the values go
    // where the file keeps them, spelled as it spells them, album values written or removed.
    // Read back by mutagen.
    // Through the job's stage ("killed", "0.3", "silence"): the stage's note, and mutagen reads
    // nothing left of the input's values. An album of 600 ("600", "600 killed"): how its warning
    // ends.
    void replayGainParts_data() {
        QTest::addColumn<QString>("kind");    // "follow", "short", the "+rg" kind, or as above
        QTest::addColumn<bool>("album");      // album values given to the write
        QTest::addColumn<QString>("expect");  // what mutagen reads, sorted
        QTest::newRow("followed whole") << "follow" << false << "";
        QTest::newRow("shorter than its music") << "short" << false << "";
        QTest::newRow("TXXX, upper case, album added")
            << "txxx" << true
            << "REPLAYGAIN_ALBUM_GAIN=-2.00 dB REPLAYGAIN_ALBUM_PEAK=0.500000 "
               "REPLAYGAIN_TRACK_GAIN=-3.50 dB REPLAYGAIN_TRACK_PEAK=0.250000";
        QTest::newRow("TXXX with album values removed")
            << "album" << false << "REPLAYGAIN_TRACK_GAIN=-3.50 dB REPLAYGAIN_TRACK_PEAK=0.250000";
        QTest::newRow("APEv2, lower case")
            << "ape" << false
            << "APE:replaygain_track_gain=-3.50 dB APE:replaygain_track_peak=0.250000";
        QTest::newRow("RVA2") << "rva2" << false << "RVA2:track=-3.50";
        // The file's tags are parsed in the helper: its crash fails the write, nothing more.
        QTest::newRow("the helper crashes")
            << "txxx" << false << "the tag copy was ended by signal 11 (Segmentation fault)";
        QTest::newRow("the helper killed: the input's values go")
            << "killed" << false
            << "ReplayGain not measured: the tag copy was ended by signal 9 (Killed)";
        QTest::newRow("0.3 s, less than one gating block")
            << "0.3" << false << "ReplayGain not written: the output is shorter than 0.4 s";
        QTest::newRow("silence") << "silence" << false
                                 << "ReplayGain not written: the output is silent";
        QTest::newRow("an album of 600 below a folder of 3,500 characters") << "600" << true << "";
        QTest::newRow("an album of 600, the helper killed")
            << "600 killed" << true << " and 597 more";
    }
    void replayGainParts() {
        QFETCH(QString, kind);
        QFETCH(bool, album);
        QFETCH(QString, expect);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
        if (kind == "follow" || kind == "short") {
            const QString path = make(name + ".mp3", 44100, 2, {"-C", "128"});
            const posix::UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDWR));
            LoudnessFollower follower(fd.get(), kind == "short" ? 10 * 66150 : 66150);
            const std::shared_ptr<Loudness> followed = follower.finish();
            // Measured as the job measures a finished output: with its Info frame written.
            QVERIFY(FinishOutput(fd.get(), {66150, 66150}).ok());
            const std::shared_ptr<Loudness> measured = Loudness::measure(path);
            QVERIFY(measured);
            QCOMPARE(bool(followed), kind == "follow");
            if (followed)
                QVERIFY2(std::abs(followed->lufs() - measured->lufs()) < 0.01,
                         qPrintable(QString::number(followed->lufs() - measured->lufs())));
            return;
        }
        if (kind.startsWith("600"))
            return albumOfMany(kind.endsWith("killed"), expect);
        if (kind == "killed" || kind == "0.3" || kind == "silence") {
            QString path =
                make(name + ".mp3", 44100, 2, {"lame", "-b", "128", "+rg txxx"}, "pinknoise",
                     kind == "silence" ? "0" : "0.5", kind == "0.3" ? "0.3" : "1.5");
            if (kind == "killed")
                SetTagCopyProgram(writeScript(dir_.filePath("killed"), "kill -KILL $$"));
            AlbumLedger ledger;
            const Said said = ReplayGainStage(path, ledger).measure(path);
            SetTagCopyProgram(binDir() + "/echobatch-tagcopy");
            QCOMPARE(said.text, expect);
            QCOMPARE(replayGainRead(path), QString());
            return;
        }
        const QString path = make(name + ".mp3", 44100, 2, {"lame", "-b", "128", "+rg " + kind});
        const bool crash = expect.startsWith("the tag copy");
        if (crash)
            SetTagCopyProgram(writeScript(dir_.filePath("crashing"), "kill -SEGV $$"));
        const Result<> written = WriteReplayGain(
            path, {-3.5, 0.25}, album ? std::optional<GainValues>({-2.0, 0.5}) : std::nullopt);
        SetTagCopyProgram(binDir() + "/echobatch-tagcopy");
        if (crash) {
            QCOMPARE(written.ok() ? QString() : written.error(), expect);
            return;
        }
        QVERIFY2(written.ok(), qPrintable(written.ok() ? QString() : written.error()));
        QCOMPARE(replayGainRead(path), expect);
    }

    // What mutagen reads of a file's ReplayGain values (TXXX, RVA2, APEv2), sorted.
    QString replayGainRead(const QString& path) {
        QByteArray read;
        run("/usr/bin/python3",
            {"-c",
             "import sys, mutagen.id3 as i, mutagen.apev2 as a\no = []\ntry:\n t = "
             "i.ID3(sys.argv[1])"
             "\n o += ['%s=%s' % (f.desc, f.text[0]) for f in t.getall('TXXX') if "
             "f.desc.lower().startswith('replaygain')]\n o += ['RVA2:%s=%.2f'"
             " % (f.desc, f.gain) for f in t.getall('RVA2')]\nexcept Exception: pass\ntry:\n o += "
             "['APE:%s=%s' % kv for kv in a.APEv2(sys.argv[1]).items()]\nexcept Exception: pass\n"
             "print(' '.join(sorted(o)))",
             path},
            &read);
        return QString::fromUtf8(read).trimmed();
    }

    // An album of 600 tiny files whose outputs lie below a folder of 3,500 characters: its values
    // reach the helper whatever the number and the length of the paths (more than the argument
    // list holds), and a helper that fails leaves no output with album values and is told in a
    // warning that names a few.
    void albumOfMany(bool killed, const QString& warningEnd) {
        const QString song =
            make("many.mp3", 8000, 1, {"lame", "-b", "16", "+rg album"}, "pinknoise", "0.5", "0.5");
        QString deep = dir_.filePath("many-out");
        while (deep.size() < 3500)
            deep += u'/' + QString(100, u'd');
        QVERIFY(QDir().mkpath(deep) && QDir().mkpath(dir_.filePath("many")));
        QStringList inputs, outputs;
        for (int k = 0; k < 600; ++k) {
            inputs << dir_.filePath(QStringLiteral("many/%1.mp3").arg(k));
            outputs << deep + QStringLiteral("/%1.mp3").arg(k);
            QFile::remove(outputs.last());
            QVERIFY((QFile::exists(inputs.last()) || QFile::copy(song, inputs.last())) &&
                    QFile::copy(song, outputs.last()));
        }
        if (killed)
            SetTagCopyProgram(writeScript(dir_.filePath("killed"), "kill -KILL $$"));
        AlbumLedger ledger;
        ledger.setInputs(inputs);
        QString warning;
        for (int k = 0; k < 600; ++k)
            warning = ledger.converted(inputs[k], outputs[k], ReadReplayGainPlaces(outputs[k]),
                                       Loudness::measure(outputs[k]));
        SetTagCopyProgram(binDir() + "/echobatch-tagcopy");
        QVERIFY2((warningEnd.isEmpty() ? warning.isEmpty() : warning.endsWith(warningEnd)) &&
                     warning.size() < 4 * 3600,
                 qPrintable(warning.left(300)));
        QByteArray gains;
        run("/usr/bin/python3",
            {"-c",
             "import os, sys, mutagen.id3 as i\nd = sys.argv[1]\nprint(len(os.listdir(d)), "
             "sorted({f.text[0] for n in os.listdir(d) for f in i.ID3(os.path.join(d, "
             "n)).getall('TXXX') if f.desc.lower() == 'replaygain_album_gain'}))",
             deep},
            &gains);
        QVERIFY2(gains.startsWith("600 ") && gains.count(" dB") == (killed ? 0 : 1), gains);
    }

    void clippingIsAWarning_data() {
        QTest::addColumn<QString>("synth");
        QTest::addColumn<QString>("volume");
        QTest::addColumn<bool>("clips");
        QTest::newRow("a loud square wave") << "square"
                                            << "1" << true;
        QTest::newRow("a quiet sine") << "sine"
                                      << "0.3" << false;
    }
    void clippingIsAWarning() {
        QFETCH(QString, synth);
        QFETCH(QString, volume);
        QFETCH(bool, clips);
        const QString input = make(QStringLiteral("wave.wav"), 44100, 2, {}, synth, volume);
        QVERIFY(!input.isEmpty());
        // What SoX itself says for the same conversion.
        QByteArray said;
        run(QStringLiteral("sox"),
            {input, "-C", "128", dir_.filePath("direct.mp3"), "echos", "1", "1", "63", "0.9"},
            nullptr, &said);
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("echos clipped (\\d+) samples")).match(said);
        QCOMPARE(m.hasMatch(), clips);

        RecordingHost host;
        host.entries << input;
        host.folder = out_;
        host.echo = {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("63"),
                     QStringLiteral("0.9")};
        ConversionRun().run(host);
        QCOMPARE(host.shown, clips ? QStringLiteral("Done.\n\n1 of 1 files converted with a "
                                                    "warning:\nwave.wav: %1 samples clipped; "
                                                    "lower Gain-Out or Decay")
                                         .arg(m.captured(1))
                                   : QStringLiteral("Done."));
        QVERIFY(decodeSamples(out_ + QStringLiteral("/wave.mp3")).size() > 8000);
    }
};

QTEST_GUILESS_MAIN(TestOutputQuality)
#include "tst_outputquality.moc"
