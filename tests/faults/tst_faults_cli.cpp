// echobatch-cli under faults: the built program as a child process, hit from outside while it
// works. Every case ends with the same inspection: no input or earlier result changed, no
// half-written file, no tool folder and no tool process left behind.
#include "faultscene.h"
#include "options/echooptions.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QtTest>

#include <csignal>
#include <optional>

using namespace ebtest;

namespace {

const char* const kOptions[] = {"--gain-in", "--gain-out", "--delay", "--decay"};

// The "  <file>: <text>" lines of the summary's block that `heading` ends ("failed:").
QMultiHash<QString, QString> NamedFiles(const QString& said, const QString& heading) {
    QMultiHash<QString, QString> named;
    bool inBlock = false;
    for (const QString& line : said.split(u'\n')) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (!line.startsWith(QStringLiteral("  ")))
            inBlock = line.endsWith(heading);
        else if (inBlock && colon > 2)
            named.insert(line.mid(2, colon - 2), line.mid(colon + 2));
    }
    return named;
}

}  // namespace

class TestFaultsCli : public QObject {
    Q_OBJECT
    Material material_;
    QTemporaryDir tools_;
    QString cli_;

    // Hits the running program where the fault calls for it; true once it has.
    bool act(Fault fault, const Scene& scene, QProcess& cli) {
        switch (fault) {
            case Fault::ToolKilled: {
                if (!ToolIsWriting(scene.out))
                    return false;
                QList<pid_t> tools = ProcessesMentioning({scene.out, QStringLiteral("echos")});
                tools.removeAll(static_cast<pid_t>(cli.processId()));
                for (pid_t pid : tools)
                    ::kill(pid, SIGKILL);
                return !tools.isEmpty();
            }
            case Fault::FrontEndStopped:
            case Fault::ToolHangs:
                if (!ToolIsWriting(scene.out))
                    return false;
                cli.terminate();
                return true;
            case Fault::OutputFolderRemoved:
                return QFile::exists(scene.outputOf(scene.entries[0])) &&
                       QDir(scene.out).removeRecursively();
            default:
                return true;
        }
    }

private slots:
    void initTestCase() {
        cli_ = cliProgram();
        QVERIFY(QFileInfo(cli_).isExecutable());
        QVERIFY(material_.make());
    }

    void faultLosesNothing_data() { AddFaultRows(true); }
    void faultLosesNothing() {
        FaultCase c(material_);
        EB_REQUIRE_ARRANGED(c);
        const Fault fault = c.fault;
        const Scene& scene = c.scene;

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("ECHOBATCH_SOX"));
        const QString log = tools_.filePath(QStringLiteral("arguments"));
        QFile::remove(log);
        const QString copytool = QStringLiteral(EB_COPYTOOL);
        if (fault == Fault::ManyEntries || fault == Fault::OutputFolderRemoved)
            env.insert(QStringLiteral("ECHOBATCH_SOX"), copytool);
        if (fault == Fault::OutputFolderRemoved)
            env.insert(QStringLiteral("COPYTOOL_DELAY_MS"), QStringLiteral("800"));
        if (fault == Fault::ToolHangs)
            env.insert(QStringLiteral("ECHOBATCH_SOX"),
                       writeScript(tools_.filePath(QStringLiteral("hang")),
                                   "printf partial > \"$out\"\nwhile :; do sleep 0.1; done"));
        if (fault == Fault::EchoText)
            env.insert(QStringLiteral("ECHOBATCH_SOX"),
                       RecordingTool(tools_.path(), material_.sox, log));

        QStringList args{QStringLiteral("--out"), scene.out};
        // One file after the other (the default is one per core), except for the long list.
        args << QStringLiteral("--jobs")
             << (fault == Fault::ManyEntries ? QStringLiteral("2") : QStringLiteral("1"));
        for (qsizetype k = 0; k < c.echo.size(); ++k)
            args << QString::fromLatin1(kOptions[k]) << c.echo[k];
        args += scene.entries;

        QProcess cli;
        cli.setProcessEnvironment(env);
        {
            std::optional<FileSizeCap> cap;
            if (fault == Fault::FileSizeLimit)
                cap.emplace(256 * 1024);  // inherited by the program and its tool
            cli.start(cli_, args);
            QVERIFY(cli.waitForStarted());
        }
        bool acted = false;
        QElapsedTimer clock;
        clock.start();
        while (!cli.waitForFinished(20)) {
            if (clock.elapsed() > 120000) {
                cli.kill();
                QFAIL("echobatch-cli did not end");
            }
            if (!acted)
                acted = act(fault, scene, cli);
        }
        acted = acted || act(fault, scene, cli);
        const int code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        const QString said = QString::fromLocal8Bit(cli.readAllStandardError());

        const Damage damage = scene.inspect();
        qInfo().noquote() << damage.line("cli", QTest::currentDataTag(), scene.entries.size());
        QVERIFY2(acted, "the fault never happened");
        QVERIFY2(damage.problems().isEmpty(), qPrintable(damage.problems()));

        if (scene.stops) {
            QCOMPARE(code, 130);
            QVERIFY2(said.contains(QStringLiteral("echobatch-cli: interrupted; 0 of ")),
                     qPrintable(said));
        } else if (scene.refused) {
            QCOMPARE(code, 2);
            QVERIFY2(said.contains(QLatin1String(scene.outOfRange
                                                     ? "Value out of range.\n  %1 '%2' (%3): "
                                                     : "Numeric value required.\n  %1 '%2' (%3)")
                                       .arg(QLatin1String(eb::kEchoFields[c.field].label),
                                            c.text.trimmed(), QLatin1String(kOptions[c.field]))),
                     qPrintable(said));
            QVERIFY(!QFile::exists(log));  // the tool never ran
        } else {
            QCOMPARE(code, scene.failures.isEmpty() ? 0 : 1);
            const QMultiHash<QString, QString> named = NamedFiles(said, "failed:");
            QCOMPARE(named.size(), scene.failures.size());
            const QMultiHash<QString, QString> warned =
                NamedFiles(said, "converted with a warning:");
            QMap<QString, QString> warnings;
            for (auto it = warned.cbegin(); it != warned.cend(); ++it)
                warnings.insert(it.key(), it.value());
            QCOMPARE(warnings, scene.warnings);
            for (auto it = scene.failures.cbegin(); it != scene.failures.cend(); ++it) {
                const QString reason = named.value(it.key());
                QVERIFY2(MatchesPattern(reason, it.value()),
                         qPrintable(it.key() + QStringLiteral(": ") + reason));
            }
        }
        if (fault == Fault::EchoText && !scene.refused) {
            QStringList given = c.echo;
            for (QString& text : given)
                text = text.trimmed();  // passed over by the command line
            QCOMPARE(RecordedEchoTexts(log), given);
        }
    }
};

QTEST_GUILESS_MAIN(TestFaultsCli)
#include "tst_faults_cli.moc"
