// What a converted file keeps of its input: the encoding class (CBR bitrate or VBR), the sample
// rate and the channels, judged by Python's mutagen on files made by the real SoX; and clipping
// told as a warning in the "Done." summary.
#include "engine/conversionjob.h"
#include "engine/conversionrun.h"
#include "engine/encodingclass.h"
#include "engine/tooldeploy.h"
#include "support/faketool.h"
#include "support/scriptedbatchhost.h"
#include "support/testsupport.h"

#include <QtTest>

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

    // A sound made by SoX at the given rate, channels and output options.
    QString make(const QString& name, int rate, int channels, const QStringList& options,
                 const QString& synth = QStringLiteral("pinknoise"),
                 const QString& volume = QStringLiteral("0.5"),
                 const QString& seconds = QStringLiteral("1.5")) {
        const QString path = dir_.filePath(name);
        const int rc = run(
            QStringLiteral("sox"),
            QStringList{"-R", "-n", "-r", QString::number(rate), "-c", QString::number(channels)} +
                options + QStringList{path, "synth", seconds, synth, "vol", volume});
        return rc == 0 ? path : QString();
    }

private slots:
    void initTestCase() {
        out_ = dir_.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out_));
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
        QTest::addColumn<int>("kbps");   // the CBR bitrate expected; 0: VBR like the input
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
    }
    void encodingClassIsKept() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, made);
        QFETCH(QString, suffix);
        QFETCH(int, fixed);
        QFETCH(int, kbps);
        const QString input = make(QStringLiteral("input.") + suffix, rate, channels, made,
                                   QStringLiteral("pinknoise"), QStringLiteral("0.5"),
                                   QString::fromLatin1(QTest::currentDataTag()).contains("4 s")
                                       ? QStringLiteral("4")
                                       : QStringLiteral("1.5"));
        QVERIFY(!input.isEmpty());
        ConversionJob job(input);
        job.setFixedBitrate(fixed);
        QVERIFY(job.plan(out_, DefaultEchoTexts(), {}));
        ToolSet tools = InstalledTool();
        RecordingDisplay display;
        job.runAndWait(display, tools);
        QVERIFY2(job.result().converted, qPrintable(job.result().reason));
        const Mp3Info got = ReadWithMutagen(job.output());
        QCOMPARE(got.rate, rate);
        QCOMPARE(got.channels, channels);
        QCOMPARE(got.vbr, kbps == 0);
        if (kbps != 0) {
            QCOMPARE(got.kbps, kbps);
        } else {
            const Mp3Info in = ReadWithMutagen(input);
            QVERIFY(in.vbr);
            QVERIFY2(qAbs(got.kbps - in.kbps) * 3 <= in.kbps,
                     qPrintable(QStringLiteral("%1 kbps from %2").arg(got.kbps).arg(in.kbps)));
        }
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
        const QString input =
            make(QStringLiteral("wave.mp3"), 44100, 2, {"-C", "128"}, synth, volume);
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
                                                    "warning:\nwave.mp3: %1 samples clipped; "
                                                    "lower Gain-Out or Decay")
                                         .arg(m.captured(1))
                                   : QStringLiteral("Done."));
        QVERIFY(decodeSamples(out_ + QStringLiteral("/wave.mp3")).size() > 8000);
    }
};

QTEST_GUILESS_MAIN(TestOutputQuality)
#include "tst_outputquality.moc"
