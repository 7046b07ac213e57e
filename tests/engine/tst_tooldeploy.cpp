// The private tool folder: made fresh per batch, only the installed SoX copied into it,
// removed afterwards; a tool planted in the temporary folder is never run.
#include "core/steps.h"
#include "engine/conversionjob.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QtTest>

#include <sys/stat.h>

using namespace eb;
using namespace ebtest;

namespace {
struct Recorder : ErrorReporter {
    QList<int> lines;
    void ReportUnexpectedError(const QString&, int line, const QString&) override { lines << line; }
};

int ModeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Sets an environment variable for one test and puts the old value back.
struct EnvGuard {
    QByteArray name, old;
    bool had;
    EnvGuard(const char* n, const QByteArray& value)
        : name(n), old(qgetenv(n)), had(qEnvironmentVariableIsSet(n)) {
        qputenv(n, value);
    }
    ~EnvGuard() { had ? qputenv(name.constData(), old) : qunsetenv(name.constData()); }
};
}  // namespace

class TestToolDeploy : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void deployWritesAPrivateCopyAndRemovesIt() {
        Recorder rec;
        StepRunner steps(rec, QStringLiteral("PushButton2_Click"));
        ToolSet a = DeployTools(steps);
        ToolSet b = DeployTools(steps);
        QVERIFY(rec.lines.isEmpty());
        QVERIFY(a.folder.startsWith(TemporaryFolder() + QStringLiteral("/echobatch-")));
        QVERIFY(a.folder != b.folder);
        QCOMPARE(ModeOf(a.folder), 0700);
        QCOMPARE(ModeOf(a.deployed), 0700);
        QCOMPARE(a.deployed, a.folder + QStringLiteral("/sox"));
        QCOMPARE(checksum(a.deployed), checksum(InstalledSox()));
        QCOMPARE(a.program(), a.deployed);
        RemoveTools(steps, a);
        RemoveTools(steps, b);
        QVERIFY(rec.lines.isEmpty());
        QVERIFY(toolFolders(TemporaryFolder()).isEmpty());
        QCOMPARE(a.program(), InstalledSox());  // nothing points into the removed folder
    }

    void temporaryFolder_data() {
        QTest::addColumn<QByteArray>("temp");
        QTest::addColumn<QString>("folder");
        QTest::newRow("set") << QByteArray("/some/where") << QStringLiteral("/some/where");
        QTest::newRow("empty") << QByteArray() << QDir::tempPath();
    }
    void temporaryFolder() {
        QFETCH(QByteArray, temp);
        QFETCH(QString, folder);
        EnvGuard guard("TEMP", temp);
        QCOMPARE(TemporaryFolder(), folder);
    }

    void presentFileIsNotReplaced() {
        const QString path = dir_.filePath(QStringLiteral("present"));
        QVERIFY(writeFile(path, "old"));
        WriteBytesIfAbsent("new", path);
        QCOMPARE(readFile(path), QByteArray("old"));
        WriteBytesIfAbsent("new", path + QStringLiteral("2"));
        QCOMPARE(readFile(path + QStringLiteral("2")), QByteArray("new"));
    }

    void plantedToolIsNeverRun() {
        // Another user's `sox` in a temporary folder that everyone may write to, even first
        // on PATH, is neither copied nor run.
        const QString tone = dir_.filePath(QStringLiteral("tone.mp3"));
        QVERIFY(makeToneMp3(tone, 0.3));
        const QString temp = dir_.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(temp));
        ::chmod(QFile::encodeName(temp).constData(), 01777);
        const QString marker = dir_.filePath(QStringLiteral("planted-ran"));
        writeScript(temp + QStringLiteral("/sox"), "touch " + marker.toUtf8() + "; exit 0");
        EnvGuard tempGuard("TEMP", QFile::encodeName(temp));
        EnvGuard pathGuard("PATH", QFile::encodeName(temp) + ':' + qgetenv("PATH"));
        qunsetenv("ECHOBATCH_SOX");
        QVERIFY(!InstalledSox().isEmpty());
        QVERIFY(!InstalledSox().startsWith(temp + u'/'));

        Recorder rec;
        StepRunner steps(rec, QStringLiteral("PushButton2_Click"));
        ToolSet tools = DeployTools(steps);
        QVERIFY(tools.folder.startsWith(temp + QStringLiteral("/echobatch-")));
        AlbumLedger albums;
        ConversionJob job(tone, albums);
        QVERIFY(job.plan(temp, DefaultEchoTexts(), {}));
        ebtest::RunToEnd(job, tools);
        RemoveTools(steps, tools);
        QVERIFY2(job.result().converted, qPrintable(job.result().reason));
        QVERIFY(!QFile::exists(marker));
        QVERIFY(toolFolders(temp).isEmpty());
        QVERIFY(rec.lines.isEmpty());
    }

    void failedDeploymentIsReported_data() {
        QTest::addColumn<QByteArray>("sox");
        QTest::addColumn<QByteArray>("temp");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("deployed");
        const QByteArray file = QFile::encodeName(dir_.filePath(QStringLiteral("a-file")));
        QTest::newRow("no SoX") << QByteArray("/nonexistent/sox") << QByteArray() << 104 << false;
        QTest::newRow("temporary folder is a file") << QByteArray() << file << 108 << false;
        QTest::newRow("named fake") << QByteArray("fake") << QByteArray() << 0 << true;
    }
    void failedDeploymentIsReported() {
        QFETCH(QByteArray, sox);
        QFETCH(QByteArray, temp);
        QFETCH(int, line);
        QFETCH(bool, deployed);
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("a-file")), "x"));
        const QString fake = writeScript(dir_.filePath(QStringLiteral("fake")), "exit 0");
        EnvGuard soxGuard("ECHOBATCH_SOX", sox == "fake" ? QFile::encodeName(fake) : sox);
        if (sox.isEmpty())
            qunsetenv("ECHOBATCH_SOX");
        EnvGuard tempGuard("TEMP", temp.isEmpty() ? qgetenv("TEMP") : temp);
        Recorder rec;
        StepRunner steps(rec, QStringLiteral("PushButton2_Click"));
        ToolSet tools = DeployTools(steps);
        QCOMPARE(rec.lines, line ? QList<int>{line} : QList<int>{});
        QCOMPARE(!tools.deployed.isEmpty(), deployed);
        QCOMPARE(tools.program(), deployed ? tools.deployed : tools.installed);
        if (deployed)
            QCOMPARE(readFile(tools.deployed), readFile(fake));
        RemoveTools(steps, tools);
        QVERIFY(toolFolders(TemporaryFolder()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestToolDeploy)
#include "tst_tooldeploy.moc"
