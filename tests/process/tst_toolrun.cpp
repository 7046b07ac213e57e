// The process runner and RunAndWait on real child processes.
#include "core/steps.h"
#include "engine/conversionjob.h"
#include "process/runandwait.h"
#include "process/toolrun.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

using namespace eb;
using ebtest::RecordingDisplay;
using ebtest::writeScript;

class TestToolRun : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString script(const char* name, const QByteArray& body) {
        return writeScript(dir_.filePath(QString::fromLatin1(name)), body);
    }

private slots:
    void startFailureGivesTheRealErrno_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << dir_.filePath(QStringLiteral("nothing-here")) << ENOENT;
        QFile plain(dir_.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        QTest::newRow("not executable") << plain.fileName() << EACCES;
        QTest::newRow("a folder") << dir_.path() << EACCES;
    }
    void startFailureGivesTheRealErrno() {
        QFETCH(QString, program);
        QFETCH(int, error);
        ToolRun run;
        QVERIFY(!run.start(program, {}));
        QCOMPARE(run.outcome().startErrno, error);
        RecordingDisplay display;
        const WaitResult waited = RunAndWait(display, program, {}, 0);
        QCOMPARE(waited.code, error + kStartFailureBase);
        QCOMPARE(RunAndWait(display, program, {}).code, error + ebtest::kStartFailureCode);
        QVERIFY(display.texts.isEmpty());
        QVERIFY(!waited.outcome.started);
    }

    void endingIsReported_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QByteArray>("stderrText");
        QTest::newRow("exit 0") << QByteArray("exit 0") << 0 << 0 << QByteArray();
        QTest::newRow("exit 3") << QByteArray("echo oops >&2; exit 3") << 3 << 0
                                << QByteArray("oops\n");
        QTest::newRow("crash") << QByteArray("echo x; kill -SEGV $$") << 128 + SIGSEGV
                               << int(SIGSEGV) << QByteArray();
        QTest::newRow("much output")
            << QByteArray("head -c 3000000 /dev/zero; exit 4") << 4 << 0 << QByteArray();
    }
    void endingIsReported() {
        QFETCH(QByteArray, body);
        QFETCH(int, result);
        QFETCH(int, signal);
        QFETCH(QByteArray, stderrText);
        RecordingDisplay display;
        const WaitResult waited = RunAndWait(display, script("end", body), {}, 7);
        const ToolRun::Outcome& outcome = waited.outcome;
        QCOMPARE(waited.code, result);
        QVERIFY(outcome.started);
        QCOMPARE(outcome.crashed, signal != 0);
        QCOMPARE(outcome.signal, signal);
        QVERIFY(!outcome.cancelled);
        QCOMPARE(outcome.stderrTail, stderrText);
        QCOMPARE(display.texts.first(), QStringLiteral("Please wait.. 1"));
        QCOMPARE(display.texts.last(), QStringLiteral("Progress Bar"));
    }

    void immediateExitCountsOnce() {
        RecordingDisplay display;
        QCOMPARE(RunAndWait(display, QStringLiteral("true"), {}).code, 0);
        QCOMPARE(display.texts,
                 QStringList({QStringLiteral("Please wait.. 1"), QStringLiteral("Progress Bar")}));
    }

    void oneSecondChildCountsToAboutTen() {
        RecordingDisplay display;
        QCOMPARE(RunAndWait(display, QStringLiteral("sleep"), {QStringLiteral("1")}).code, 0);
        QCOMPARE(display.texts.last(), QStringLiteral("Progress Bar"));
        for (int k = 0; k + 1 < display.texts.size(); ++k)
            QCOMPARE(display.texts[k], QStringLiteral("Please wait.. %1").arg(k + 1));
        const qsizetype passes = display.texts.size() - 1;
        QVERIFY2(passes >= 8 && passes <= 13, qPrintable(QString::number(passes)));
    }

    void standardErrorKeepsItsTail() {
        ToolRun run;
        QSignalSpy ended(&run, &ToolRun::finished);
        QVERIFY(run.start(script("loud", "head -c 200000 /dev/zero | tr '\\0' x >&2; echo END >&2"),
                          {}));
        QVERIFY(ended.wait(ebtest::kLongWaitMs));
        QCOMPARE(run.outcome().stderrTail.size(), ToolRun::kStderrLimit);
        QVERIFY(run.outcome().stderrTail.endsWith("xxxxEND\n"));
    }

    // A second start while the child runs changes nothing of the first child's outcome; a
    // child that somebody else reaped is a failure that names no made-up signal.
    void secondStartAndLostEnd() {
        ToolRun run;
        QSignalSpy ended(&run, &ToolRun::finished);
        QVERIFY(run.start(script("talker", "echo first >&2; sleep 1"), {}));
        QTRY_VERIFY(run.outcome().stderrTail.contains("first"));
        QVERIFY(!run.start(script("second", "exit 0"), {}));
        QVERIFY(run.outcome().stderrTail.contains("first"));
        QVERIFY(ended.wait(ebtest::kShortWaitMs));

        QVERIFY(run.outcome().stderrTail.contains("first"));

        ToolRun::Outcome lost;  // as the runner records a child reaped elsewhere
        lost.started = true;
        lost.crashed = true;
        QCOMPARE(ToolFailure(lost, QStringLiteral("sox")),
                 QStringLiteral("the tool ended, but how it ended could not be learnt"));
    }

    void stopIsTrackedNotReadFromTheExitCode() {
        // The script ends with 0 on SIGTERM, as the tool does; its own child must go too.
        const QString pidFile = dir_.filePath(QStringLiteral("grandchild"));
        ToolRun run;
        QSignalSpy ended(&run, &ToolRun::finished);
        QVERIFY(run.start(script("polite", "trap 'exit 0' TERM; sleep 30 & echo $! > \"$1\"; wait"),
                          {pidFile}));
        QTRY_VERIFY(QFileInfo(pidFile).size() > 0);
        run.cancel();
        QVERIFY(ended.wait(ebtest::kShortWaitMs));
        QVERIFY(run.outcome().cancelled);
        QCOMPARE(run.outcome().exitCode, 0);
        QVERIFY(ended.first().first().value<ToolRun::Outcome>().cancelled);
        const pid_t grandchild = ebtest::readFile(pidFile).trimmed().toInt();
        QTRY_VERIFY(::kill(grandchild, 0) != 0);
    }

    void terminateNowEndsAStubbornChild() {
        ToolRun run;
        QSignalSpy ended(&run, &ToolRun::finished);
        QVERIFY(run.start(script("stubborn", "trap '' TERM; while :; do sleep 0.05; done"), {}));
        QTest::qWait(100);
        run.terminateNow(200);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!run.isRunning());
        QVERIFY(run.outcome().cancelled);
        QCOMPARE(run.outcome().signal, int(SIGKILL));
    }

    void displayFailureArrivesAfterTheChild() {
        struct Failing : ProgressDisplay {
            void setProgressText(const QString&) override {
                throw StepError(QStringLiteral("bar"));
            }
        } display;
        ToolRun run;
        QVERIFY_THROWS_EXCEPTION(
            StepError, RunAndWait(display, run, QStringLiteral("sh"),
                                  {QStringLiteral("-c"), QStringLiteral("sleep 0.3; exit 5")}));
        QVERIFY(run.outcome().started);
        QCOMPARE(run.outcome().exitCode, 5);
    }

    // The open file is what runs, whatever its path leads to by then; a file that may not be
    // executed still gives the real errno.
    void openFileRunsWhateverThePathBecomes() {
        const QString path = script("swapped", "exit 7");
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QVERIFY(QFile::remove(path));
        script("swapped", "exit 9");
        ToolRun run;
        run.setExecutable(fd);
        RecordingDisplay display;
        QCOMPARE(RunAndWait(display, run, path, {}).code, 7);
        QVERIFY(::fchmod(fd, 0600) == 0);
        QVERIFY(!run.start(path, {}));
        QCOMPARE(run.outcome().startErrno, EACCES);
        ::close(fd);
    }

    // Signals this process ignores (SIGPIPE) are the child's to take again.
    void childGetsDefaultSignals() {
        struct sigaction ignore {};
        struct sigaction before {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &before);
        RecordingDisplay display;
        const int result = RunAndWait(display, script("pipe", "kill -PIPE $$; exit 0"), {}).code;
        ::sigaction(SIGPIPE, &before, nullptr);
        QCOMPARE(result, 128 + SIGPIPE);
    }
};

QTEST_GUILESS_MAIN(TestToolRun)
#include "tst_toolrun.moc"
