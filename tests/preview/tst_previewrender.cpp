// The preview's render with the real SoX: an impulse comes back at the set delay and decay, the
// private folder is the only place written and goes with the render, a newer render stops the
// older one, a file SoX cannot read is named in the program's words, and what is no regular
// file is refused. An MP3's echo starts on the batch output's first sample.
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "preview/previewrender.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace eb;

namespace {
constexpr double kImpulseAt = 0.5;
constexpr qint16 kAmplitude = 20000;

// Frames whose left or right sample exceeds `threshold`, with their left sample.
QList<std::pair<qsizetype, int>> Peaks(const PreviewAudio& audio, int threshold = 200) {
    QList<std::pair<qsizetype, int>> peaks;
    for (qsizetype f = 0; f < audio.frames(); ++f) {
        const qint16* s = audio.samples() + f * PreviewAudio::kChannels;
        if (std::abs(s[0]) > threshold || std::abs(s[1]) > threshold)
            peaks.append({f, s[0]});
    }
    return peaks;
}

// Noise at $1 Hz encoded by LAME into $2, converted by the batch with the gains the test renders
// with, delay $3 and decay $4, and its output decoded gaplessly by ffmpeg to 16-bit mono at
// 44.1 kHz into $2.raw.
const char kBatchOfNoise[] = R"(sox -n -r $1 -c 2 -t wav - synth 4 pinknoise vol 0.5 |
lame --quiet -b 192 - "$2" && "$0" --quiet --out "$2.out" --gain-in 0.8 --gain-out 0.7 \
--delay $3 --decay $4 "$2" &&
ffmpeg -v error -i "$2.out/${2##*/}" -ac 1 -ar 44100 -f s16le "$2.raw")";
// numpy's correlation of $1.pcm (the preview's samples, both channels mixed) with $1.raw.
const char kCorrelation[] = R"(import numpy as n, sys
a = n.fromfile(sys.argv[1] + ".pcm", "<i2").reshape(-1, 2).sum(1, dtype=float)
b = n.fromfile(sys.argv[1] + ".raw", "<i2")[:len(a)]
print(n.corrcoef(a[:len(b)], b)[0, 1]))";

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}
}  // namespace

class TestPreviewRender : public QObject {
    Q_OBJECT
    QTemporaryDir scratch_;
    QString impulse_;

private slots:
    void initTestCase() {
        QVERIFY2(!InstalledSox().isEmpty(),
                 "SoX is required (Debian packages sox, libsox-fmt-mp3)");
        QVERIFY(scratch_.isValid());
        impulse_ = scratch_.filePath(QStringLiteral("in/impulse.wav"));
        QVERIFY(ebtest::makeImpulseWav(impulse_, 2.0, kImpulseAt, kAmplitude));
    }

    void echoComesAtTheDelayWithTheDecay_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<double>("decay");
        QTest::addColumn<int>("mp3Rate");  // 0: the impulse; else kBatchOfNoise at the rate
        QTest::newRow("100 ms, 0.5") << 100 << 0.5 << 0;
        QTest::newRow("250 ms, 0.3") << 250 << 0.3 << 0;
        QTest::newRow("LAME 44.1 kHz as the batch") << 63 << 0.3 << 44100;
        QTest::newRow("LAME 48 kHz as the batch") << 63 << 0.3 << 48000;
    }
    void echoComesAtTheDelayWithTheDecay() {
        QFETCH(int, delayMs);
        QFETCH(double, decay);
        QFETCH(int, mp3Rate);
        const double gainIn = 0.8, gainOut = 0.7;
        const QString mp3 = scratch_.filePath(QStringLiteral("lame%1.mp3").arg(mp3Rate));
        if (mp3Rate != 0)
            QCOMPARE(ebtest::run(
                         "sh", {"-c", kBatchOfNoise, ebtest::cliProgram(), QString::number(mp3Rate),
                                mp3, QString::number(delayMs), QString::number(decay)}),
                     0);
        PreviewRender render;
        QSignalSpy input(&render, &PreviewRender::inputReady);
        QSignalSpy echo(&render, &PreviewRender::echoReady);
        render.render(mp3Rate != 0 ? mp3 : impulse_,
                      {QString::number(gainIn), QString::number(gainOut), QString::number(delayMs),
                       QString::number(decay)});
        QVERIFY(echo.wait(ebtest::kLongWaitMs));
        QCOMPARE(input.size(), 1);
        if (mp3Rate != 0) {  // only the encoder's loss may tell them apart
            QVERIFY(
                ebtest::writeFile(mp3 + ".pcm", echo.first().first().value<PreviewAudio>().pcm));
            QByteArray r;
            QCOMPARE(ebtest::run("/usr/bin/python3", {"-c", kCorrelation, mp3}, &r), 0);
            QVERIFY2(r.toDouble() > 0.99, r.constData());
            return;
        }

        const qsizetype at = std::llround(kImpulseAt * PreviewAudio::kRate);
        const auto inputPeaks = Peaks(input.first().first().value<PreviewAudio>());
        QCOMPARE(inputPeaks, (QList<std::pair<qsizetype, int>>{{at, kAmplitude}}));

        // The repeat is the input scaled by decay and the output gain; the direct sound by
        // both gains.
        const auto peaks = Peaks(echo.first().first().value<PreviewAudio>());
        QCOMPARE(peaks.size(), 2);
        QCOMPARE(peaks[0].first, at);
        QCOMPARE(peaks[1].first, at + delayMs * PreviewAudio::kRate / 1000);
        QVERIFY(std::abs(peaks[0].second - kAmplitude * gainIn * gainOut) <= 2);
        const double measuredDecay = peaks[1].second / (kAmplitude * gainOut);
        QVERIFY2(std::abs(measuredDecay - decay) < 0.001,
                 qPrintable(QString::number(measuredDecay)));
    }

    // The render runs its own copy of the tool and writes only inside its private folder
    // (mode 0700) in the temporary folder, never beside the input; nothing of it is left once
    // it is gone.
    void itsFilesGoWithIt() {
        const QString log = scratch_.filePath(QStringLiteral("runs"));
        const QString wrapper = ebtest::writeScript(
            scratch_.filePath(QStringLiteral("sox")),
            "echo \"$0\" >> '" + log.toUtf8() + "'\nexec '" + InstalledSox().toUtf8() + "' \"$@\"");
        qputenv("ECHOBATCH_SOX", wrapper.toUtf8());
        const QString temp = TemporaryFolder();
        const QStringList tempBefore = Entries(temp);
        const QStringList inputBefore = Entries(QFileInfo(impulse_).path());
        QString folder;
        {
            PreviewRender render;
            QSignalSpy echo(&render, &PreviewRender::echoReady);
            render.render(impulse_, DefaultEchoTexts());
            QVERIFY(echo.wait(ebtest::kLongWaitMs));
            folder = render.folder();
            QCOMPARE(QFileInfo(folder).path(), QDir(temp).absolutePath());
            QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());
            // Both runs (decode, echo) started the copy from its open file, not the wrapper.
            const QList<QByteArray> runs = ebtest::readFile(log).trimmed().split('\n');
            QCOMPARE(runs.size(), 2);
            for (const QByteArray& run : runs)
                QVERIFY2(run != wrapper.toUtf8(), run.constData());
            QCOMPARE(Entries(temp).size(), tempBefore.size() + 1);
            QCOMPARE(Entries(QFileInfo(impulse_).path()), inputBefore);
        }
        qunsetenv("ECHOBATCH_SOX");
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(Entries(temp), tempBefore);
    }

    // A run that was killed leaves its private folder; the next render, once nobody holds that
    // folder, removes it. A folder of someone else's that only looks like one stays.
    void aKilledRunsFolderGoesWithTheNextRenderALookAlikeStays() {
        const QString temp = TemporaryFolder();
        const QString lookAlike = temp + QStringLiteral("/echobatch-Kil1ed");
        QVERIFY(QDir().mkpath(lookAlike));
        for (const char* name : {"sox", "input-4.raw", "echo-12.raw"})
            QVERIFY(ebtest::writeFile(lookAlike + u'/' + QLatin1String(name), "x"));
        QTemporaryDir out;
        const QStringList before = Entries(temp);
        QProcess killed;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ECHOBATCH_SOX"),
                   ebtest::writeScript(scratch_.filePath(QStringLiteral("hang")), "exec sleep 60"));
        killed.setProcessEnvironment(env);
        killed.start(ebtest::cliProgram(), {QStringLiteral("--out"), out.path(), impulse_});
        QTRY_VERIFY(!QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished());
        {
            PreviewRender render;
            QSignalSpy echo(&render, &PreviewRender::echoReady);
            render.render(impulse_, DefaultEchoTexts());
            QVERIFY(echo.wait(ebtest::kLongWaitMs));
        }
        QCOMPARE(Entries(temp), before);
        QCOMPARE(Entries(lookAlike).size(), 3);
    }

    // A stand-in tool that never ends: the second render ends the first one's process, and the
    // first reports nothing.
    void aNewerRenderStopsTheOlder() {
        const QString log = scratch_.filePath(QStringLiteral("pids"));
        const QString tool =
            ebtest::writeScript(scratch_.filePath(QStringLiteral("hang")),
                                "echo $$ >> '" + log.toUtf8() + "'\nexec sleep 60");
        qputenv("ECHOBATCH_SOX", tool.toUtf8());
        auto pids = [&] { return ebtest::readFile(log).split('\n').size() - 1; };
        {
            PreviewRender render;
            QSignalSpy failed(&render, &PreviewRender::inputFailed);
            QSignalSpy ready(&render, &PreviewRender::inputReady);
            render.render(impulse_, DefaultEchoTexts());
            QTRY_COMPARE(pids(), 1);
            const pid_t first = ebtest::readFile(log).split('\n')[0].toInt();
            QVERIFY(render.isRunning());
            render.render(impulse_, DefaultEchoTexts());
            QTRY_COMPARE(pids(), 2);
            QCOMPARE(::kill(first, 0), -1);  // ended and reaped
            QVERIFY(render.isRunning());
            QCOMPARE(failed.size() + ready.size(), 0);
        }
        qunsetenv("ECHOBATCH_SOX");
        const pid_t second = ebtest::readFile(log).split('\n')[1].toInt();
        QCOMPARE(::kill(second, 0), -1);
    }

    // What SoX cannot read is named in the program's words; what is no regular file is refused
    // before SoX could wait on it for ever (a FIFO) or read it without end (a device).
    void anUnreadableFileGivesTheToolsReason_data() {
        QTest::addColumn<int>("kind");  // of the node made in the test's folder: as /dev/zero
        QTest::addColumn<QString>("reason");
        QTest::newRow("text") << 0 << "no decoder reads this file's format";
        QTest::newRow("FIFO") << int{S_IFIFO} << "not a regular file: a FIFO";
        QTest::newRow("device") << int{S_IFCHR} << "not a regular file: a character device";
    }
    void anUnreadableFileGivesTheToolsReason() {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        const QString bad = scratch_.filePath(QStringLiteral("in/not audio.mp3"));
        QFile::remove(bad);
        if (kind == 0)
            QVERIFY(ebtest::writeFile(bad, "this is text, not audio\n"));
        else if (::mknod(QFile::encodeName(bad).constData(), kind | 0600, makedev(1, 5)) != 0)
            QSKIP("no such node can be made in the test's folder");
        PreviewRender render;
        QSignalSpy failed(&render, &PreviewRender::inputFailed);
        QSignalSpy echo(&render, &PreviewRender::echoReady);
        render.render(bad, DefaultEchoTexts());
        QVERIFY(failed.size() == 1 || failed.wait(ebtest::kLongWaitMs));
        QCOMPARE(failed.first().first().toString(), reason);
        QCOMPARE(echo.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPreviewRender)
#include "tst_previewrender.moc"
