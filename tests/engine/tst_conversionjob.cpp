// The conversion of one file: output names, the safety checks, the tool's arguments and
// verdict, with the real SoX on generated MP3 files and with scripts for the faults.
#include "core/steps.h"
#include "engine/conversionjob.h"
#include "engine/tools/tooldeploy.h"
#include "support/faketool.h"
#include "support/id3bytes.h"
#include "support/testsupport.h"

#include <QtTest>

#include <unistd.h>

using namespace eb;
using namespace ebtest;

class TestConversionJob : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString tone_;
    QString in_, out_;

    ToolSet fake(const QByteArray& body) {
        return ToolSet{{}, {}, writeScript(dir_.filePath(QStringLiteral("fake")), body), false};
    }

private slots:
    void initTestCase() {
        in_ = dir_.filePath(QStringLiteral("in"));
        out_ = dir_.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(in_) && QDir().mkpath(out_));
        tone_ = dir_.filePath(QStringLiteral("tone.mp3"));
        QVERIFY(makeToneMp3(tone_, 0.5));
        QVERIFY(!InstalledSox().isEmpty());
    }
    void init() {
        QDir(out_).removeRecursively();
        QDir().mkpath(out_);
    }

    void outputPathRule_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("several dots") << "/o"
                                      << "/m/Live.Set.mp3"
                                      << "/o/Live.Set.mp3";
        QTest::newRow("final slash") << "/o/"
                                     << "/m/Live.Set.mp3"
                                     << "/o/Live.Set.mp3";
        QTest::newRow("other type") << "/o"
                                    << "/m/track.wav"
                                    << "/o/track.mp3";
        QTest::newRow("only extension") << "/o"
                                        << "/m/.mp3"
                                        << "/o/.mp3";
        QTest::newRow("root folder") << "/"
                                     << "/m/a.b.flac"
                                     << "/a.b.mp3";
        QTest::newRow("relative") << "o"
                                  << "x.flac"
                                  << "o/x.mp3";
    }
    void outputPathRule() {
        QFETCH(QString, folder);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QCOMPARE(OutputPathFor(folder, input), output);
    }
    void nameWithoutDotHasNoOutput() {
        QVERIFY_THROWS_EXCEPTION(StepError, OutputPathFor(out_, QStringLiteral("/m.d/noext")));
    }

    void awkwardNamesConvert_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("decoy");  // a file the tool's wildcards would have hit
        for (const char* n :
             {"with blank.mp3", "quote's \"double\".mp3", "dollar $HOME `x`.mp3",
              "Ünïcödé – 日本.mp3", "a.b.c.mp3", "-leading dash.mp3", "|leading pipe.mp3"})
            QTest::newRow(n) << QString::fromUtf8(n) << QString();
        QTest::newRow("brackets") << QStringLiteral("c[1].mp3") << QStringLiteral("c1.mp3");
        QTest::newRow("star") << QStringLiteral("s*.mp3") << QStringLiteral("sx.mp3");
    }
    void awkwardNamesConvert() {
        QFETCH(QString, name);
        QFETCH(QString, decoy);
        QVERIFY(QFile::copy(tone_, in_ + u'/' + name) || QFile::exists(in_ + u'/' + name));
        if (!decoy.isEmpty()) {
            QVERIFY(writeFile(in_ + u'/' + decoy, "decoy in"));
            QVERIFY(writeFile(out_ + u'/' + decoy, "decoy out"));
        }
        // Given relative to the working folder, as a leading "-" or "|" would reach the tool.
        const QString before = QDir::currentPath();
        QDir::setCurrent(in_);
        const ConversionResult r = ConvertNow(name, out_);
        QDir::setCurrent(before);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.output, out_ + u'/' + name);
        QVERIFY(decodeSamples(r.output).size() > 3000);
        QVERIFY(leftovers(out_).isEmpty());
        if (!decoy.isEmpty()) {
            QCOMPARE(readFile(in_ + u'/' + decoy), QByteArray("decoy in"));
            QCOMPARE(readFile(out_ + u'/' + decoy), QByteArray("decoy out"));
        }
    }

    void echoAppearsAtItsDelay_data() {
        QTest::addColumn<int>("delay");
        QTest::newRow("63 ms") << 63;
        QTest::newRow("250 ms") << 250;
    }
    void echoAppearsAtItsDelay() {
        QFETCH(int, delay);
        const QString click = in_ + QStringLiteral("/click.mp3");
        QVERIFY(makeImpulseMp3(click, 1.0, 0.3));
        EchoTexts echo = DefaultEchoTexts();
        echo.delay = QString::number(delay);
        echo.decay = QStringLiteral("0.5");
        const ConversionResult r = ConvertNow(click, out_, InstalledTool(), echo);
        QVERIFY2(r.converted, qPrintable(r.reason));
        // Positions shift by the encoder's delay; the distance between click and echo does not.
        auto loudest = [](const QVector<qint16>& s, qsizetype from) {
            qsizetype at = from;
            for (qsizetype k = from; k < s.size(); ++k)
                if (qAbs(s[k]) > qAbs(s[at]))
                    at = k;
            return at;
        };
        const QVector<qint16> original = decodeSamples(click), echoed = decodeSamples(r.output);
        const qsizetype c0 = loudest(original, 0), c1 = loudest(echoed, 0);
        const qsizetype quiet = loudest(original, c0 + 160), e1 = loudest(echoed, c1 + 160);
        QVERIFY(qAbs(original[quiet]) < qAbs(original[c0]) / 10);  // no echo before
        QVERIFY(qAbs(echoed[e1]) > qAbs(echoed[c1]) / 3);
        const double distanceMs = static_cast<double>(e1 - c1) / 8.0;
        QVERIFY2(qAbs(distanceMs - delay) <= 3.0, qPrintable(QString::number(distanceMs)));
    }

    void badInputIsANamedFailure_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unwritableFolder");
        QTest::addColumn<QString>("reason");
        const QString noFrame = QStringLiteral("no MPEG audio frame found");
        QTest::newRow("corrupt") << QByteArray(20000, '\x5a') << false << noFrame;
        QTest::newRow("zero bytes") << QByteArray() << false << noFrame;
        QTest::newRow("unwritable folder")
            << readFile(tone_) << true << QStringLiteral("cannot write into the output folder");
        // LAME's header counts the frames of 2 s; a third of the bytes is left.
        const QString wav = dir_.filePath(QStringLiteral("long.wav"));
        const QString lame = dir_.filePath(QStringLiteral("lame.mp3"));
        QVERIFY(run("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "2", "sine", "330"}) ==
                    0 &&
                run("lame", {"--quiet", "-b", "128", wav, lame}) == 0);
        const QByteArray whole = readFile(lame);
        QTest::newRow("cut short")
            << whole.left(whole.size() / 3) << false << QStringLiteral("the audio ends after 0.6");
        // One frame of audio (384 bytes at 128 kbit/s and 48 kHz, without LAME's header): too
        // short for the decoder to give a sample, also behind a tag.
        const QString frames = dir_.filePath(QStringLiteral("frames.mp3"));
        QVERIFY(run("lame", {"--quiet", "-t", "--resample", "48", "-b", "128", wav, frames}) == 0);
        const QByteArray frame = readFile(frames).left(384);
        const QString noAudio = QStringLiteral("no audio: the file is too short to hold any");
        QTest::newRow("one frame") << frame << false << noAudio;
        QTest::newRow("one frame behind a tag")
            << id3b::Tag(3, id3b::Frame(3, "TIT2", id3b::Text("x"))) + frame << false << noAudio;
    }
    void badInputIsANamedFailure() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unwritableFolder);
        QFETCH(QString, reason);
        const QString input = in_ + QStringLiteral("/bad.mp3");
        QVERIFY(writeFile(input, bytes));
        QVERIFY(writeFile(out_ + QStringLiteral("/bad.mp3"), "earlier result"));
        const QString keep = out_;
        if (unwritableFolder) {
            QFile::setPermissions(out_, QFile::ReadOwner | QFile::ExeOwner);
            if (::geteuid() == 0)
                out_ = QStringLiteral("/sys");  // the superuser may write anywhere else
        }
        const ConversionResult r = ConvertNow(input, out_);
        QFile::setPermissions(keep, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        out_ = keep;
        QVERIFY(!r.converted);
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        QCOMPARE(readFile(out_ + QStringLiteral("/bad.mp3")), QByteArray("earlier result"));
        QVERIFY(leftovers(out_).isEmpty());
    }

    void outputOverAListFileIsSkipped_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reason");
        QTest::newRow("itself") << QStringLiteral("x.mp3") << QStringLiteral("input file itself");
        QTest::newRow("itself through a link")
            << QStringLiteral("link/x.mp3") << QStringLiteral("input file itself");
        QTest::newRow("another list file")
            << QStringLiteral("elsewhere/x.wav") << QStringLiteral("another file of the list");
    }
    void outputOverAListFileIsSkipped() {
        QFETCH(QString, input);
        QFETCH(QString, reason);
        const QString listed = out_ + QStringLiteral("/x.mp3");
        QVERIFY(QFile::copy(tone_, listed));
        QVERIFY(QFile::link(out_, dir_.filePath(QStringLiteral("link"))) ||
                QFileInfo(dir_.filePath(QStringLiteral("link"))).isSymLink());
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("elsewhere/x.wav")), readFile(tone_)));
        const QByteArray sum = checksum(listed);
        const QString path = input == QStringLiteral("x.mp3") ? listed : dir_.filePath(input);
        const ConversionResult r =
            ConvertNow(path, out_, InstalledTool(), DefaultEchoTexts(), {*IdentityOf(listed)});
        QVERIFY(!r.converted);
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        QCOMPARE(checksum(listed), sum);
    }

    // One output a batch: a later entry of another file whose output is an earlier entry's,
    // however spelled, is refused and told the earlier entry; the same file again is not.
    void outputsAreClaimedOnce_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("taken");
        QTest::newRow("same name from another folder") << "out/x.mp3"
                                                       << "b/x.mp3" << true;
        QTest::newRow("the same file listed again") << "out/x.mp3"
                                                    << "a/x.mp3" << false;
        QTest::newRow("through a link to the folder") << "link/x.mp3"
                                                      << "b/x.mp3" << true;
        QTest::newRow("through .. and .") << "out/new/.././x.mp3"
                                          << "b/x.mp3" << true;
        QTest::newRow("another name") << "out/y.mp3"
                                      << "b/x.mp3" << false;
    }
    void outputsAreClaimedOnce() {
        QFETCH(QString, second);
        QFETCH(QString, entry);
        QFETCH(bool, taken);
        QFile::link(out_, dir_.filePath(QStringLiteral("link")));
        OutputClaims claims;
        QVERIFY(claims.claim(dir_.filePath(QStringLiteral("out/x.mp3")), "a/x.mp3").isEmpty());
        QCOMPARE(claims.claim(dir_.filePath(second), entry), taken ? "a/x.mp3" : QString());
    }

    void toolGetsTheExactArguments() {
        const QString log = dir_.filePath(QStringLiteral("args"));
        EchoTexts echo{QStringLiteral("+0.8"), QStringLiteral(".7"), QStringLiteral("1e2"),
                       QStringLiteral("0.30")};
        QDir::setCurrent(in_);
        QVERIFY(writeFile(in_ + QStringLiteral("/-a b.wav"), "x"));
        const ConversionResult r = ConvertNow(
            QStringLiteral("-a b.wav"), out_,
            fake("for a; do echo \"$a\"; done > " + log.toUtf8() + "; echo made > \"$out\""), echo);
        QVERIFY2(r.converted, qPrintable(r.reason));
        const QStringList args = QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        // An input that is no audio file gets the highest bitrate its rate allows; both files
        // are handed over open, never by name.
        QCOMPARE(args, QStringList({"--no-glob", "/dev/fd/4", "-C", "320", "-t", "mp3", "--no-glob",
                                    "/dev/fd/3", "echos", "+0.8", ".7", "1e2", "0.30"}));
        QCOMPARE(readFile(out_ + QStringLiteral("/-a b.mp3")), QByteArray("made\n"));
    }

    void verdictOfTheTool_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");  // empty: converted
        QTest::newRow("exit 3") << QByteArray("echo out > \"$out\"; exit 3") << "exit code 3";
        QTest::newRow("exit 2 with a reason")
            << QByteArray("echo 'sox WARN x' >&2; echo ' bad header ' >&2; exit 2") << "bad header";
        QTest::newRow("FAIL line, exit 0")
            << QByteArray("echo out > \"$out\"; echo 'sox FAIL mp3: disk full' >&2")
            << "SoX failed: mp3: disk full";
        QTest::newRow("no output") << QByteArray("exit 0") << "wrote no output";
        QTest::newRow("signal") << QByteArray("echo out > \"$out\"; kill -TERM $$") << "signal 15";
        QTest::newRow("FAIL only in a name")  // the input's frames: not shorter than the input
            << "cat > /dev/null; cat '" + tone_.toUtf8() +
                   "' > \"$out\"; echo 'sox WARN FAIL.mp3: clipped' >&2"
            << QString();
        // 3 s of samples, more than the pipe holds: the decoder's writes fail (EPIPE, no
        // SIGPIPE for this process) and the output the tool made is too short.
        QTest::newRow("input left unread")
            << "exec 0<&-; sleep 0.2; cat '" + tone_.toUtf8() + "' > \"$out\""
            << "shorter than the input";
    }
    void verdictOfTheTool() {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        QString input = tone_;
        if (QByteArray(QTest::currentDataTag()).contains("unread"))
            QVERIFY(makeToneMp3(input = dir_.filePath(QStringLiteral("long/tone.mp3")), 3));
        QVERIFY(writeFile(out_ + QStringLiteral("/tone.mp3"), "earlier result"));
        const ConversionResult r = ConvertNow(input, out_, fake(body));
        QCOMPARE(r.converted, reason.isEmpty());
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        QCOMPARE(readFile(out_ + QStringLiteral("/tone.mp3")) == "earlier result",
                 !reason.isEmpty());
        QVERIFY(leftovers(out_).isEmpty());
    }

    void hangingToolIsStoppedWithoutPartialFile() {
        ToolSet tools = fake("echo partial > \"$out\"; exec sleep 60");
        AlbumLedger albums;
        ConversionJob job(tone_, albums);
        QVERIFY(job.plan(out_, DefaultEchoTexts(), {}));
        QSignalSpy done(&job, &ConversionJob::finished);
        job.start(tools);
        QTRY_COMPARE(leftovers(out_).size(), 1);
        job.cancel();
        QVERIFY(done.wait(ebtest::kShortWaitMs));
        QCOMPARE(job.result().reason, StoppedReason());
        QVERIFY(QDir(out_).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void copyThatCannotStartFallsBackToTheInstalledTool() {
        const QString copy = writeScript(dir_.filePath(QStringLiteral("copy")), "exit 9");
        QFile::setPermissions(copy, QFile::ReadOwner);
        ToolSet tools{dir_.path(), copy, InstalledSox(), false};
        const ConversionResult r = ConvertNow(tone_, out_, std::move(tools));
        QVERIFY2(r.converted, qPrintable(r.reason));
        ToolSet async{dir_.path(), copy, InstalledSox(), false};
        AlbumLedger albums;
        ConversionJob job(tone_, albums);
        QVERIFY(job.plan(out_, DefaultEchoTexts(), {}));
        QSignalSpy done(&job, &ConversionJob::finished);
        job.start(async);
        QVERIFY(done.wait(ebtest::kLongWaitMs));
        QVERIFY2(job.result().converted, qPrintable(job.result().reason));
        QVERIFY(async.runInstalled);
    }
};

QTEST_GUILESS_MAIN(TestConversionJob)
#include "tst_conversionjob.moc"
