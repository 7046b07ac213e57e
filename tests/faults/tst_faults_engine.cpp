// "Start Converting" under faults: ConversionRun::run over a scripted window, hit from its own
// progress display while the tool works. Every case ends with the same inspection: no input
// or earlier result changed, no half-written file, no tool folder and no tool process left.
#include "core/prompter.h"
#include "core/steps.h"
#include "faultscene.h"
#include "paths/pathhelpers.h"
#include "shell/batch/batchhost.h"
#include "shell/batch/conversionrun.h"
#include "support/scriptedbatchhost.h"
#include "support/testsupport.h"

#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>

using namespace eb;
using namespace ebtest;

namespace {

constexpr qsizetype kListedFailures = 5;  // the summary box names this many

struct FaultHost : ScriptedBatchHost {
    QStringList boxes;
    QStringList reports;

    void message(const QString& text, Icon icon, const QString&) override {
        boxes << (icon == Icon::Warning ? QStringLiteral("warning ") : QString()) + text;
    }
    void ReportUnexpectedError(const QString&, int line, const QString& d) override {
        reports << QStringLiteral("line %1: %2").arg(line).arg(d);
    }
};

}  // namespace

class TestFaultsEngine : public QObject {
    Q_OBJECT
    Material material_;
    QTemporaryDir tools_;

private slots:
    void initTestCase() { QVERIFY(material_.make()); }
    void cleanup() { qunsetenv("ECHOBATCH_SOX"); }

    void faultLosesNothing_data() { AddFaultRows(false); }
    void faultLosesNothing() {
        FaultCase c(material_);
        EB_REQUIRE_ARRANGED(c);
        const Fault fault = c.fault;
        Scene& scene = c.scene;
        FaultHost host;
        const QString log = tools_.filePath(QStringLiteral("arguments"));
        QFile::remove(log);
        if (fault == Fault::EchoText) {
            host.echo = {c.echo[0], c.echo[1], c.echo[2], c.echo[3]};
            qputenv("ECHOBATCH_SOX",
                    QFile::encodeName(RecordingTool(tools_.path(), material_.sox, log)));
        }
        if (fault == Fault::ManyEntries)
            qputenv("ECHOBATCH_SOX", EB_COPYTOOL);
        host.entries = scene.entries;
        host.folder = scene.out;

        // The faults that come from outside strike from the progress display, which the run
        // serves between files and about ten times a second while the tool works.
        bool acted = fault != Fault::ToolKilled && fault != Fault::OutputFolderRemoved;
        host.onText = [&](const QString& shown) {
            if (acted)
                return;
            if (fault == Fault::ToolKilled && shown.startsWith(QStringLiteral("Please wait.. ")) &&
                ToolIsWriting(scene.out)) {
                const QList<pid_t> tools =
                    ProcessesMentioning({scene.out, QStringLiteral("echos")});
                for (pid_t pid : tools)
                    ::kill(pid, SIGKILL);
                acted = !tools.isEmpty();
            }
            if (fault == Fault::OutputFolderRemoved &&
                shown == QStringLiteral("Processing: ") + FileNameOf(scene.entries[1]))
                acted = QDir(scene.out).removeRecursively();
        };
        {
            std::optional<FileSizeCap> cap;
            if (fault == Fault::FileSizeLimit)
                cap.emplace(256 * 1024);  // inherited by the tool
            ConversionRun().run(host);
        }

        const Damage damage = scene.inspect();
        qInfo().noquote() << damage.line("engine", QTest::currentDataTag(), scene.entries.size());
        QVERIFY2(acted, "the fault never happened");
        QVERIFY2(damage.problems().isEmpty(), qPrintable(damage.problems()));
        QVERIFY2(host.reports.isEmpty(), qPrintable(host.reports.join(u'\n')));

        if (scene.refused) {
            QCOMPARE(host.boxes.size(), 1);
            QVERIFY2(host.boxes[0].startsWith(
                         QLatin1String(scene.outOfRange ? "warning Value out of range.\n%1 %2 ("
                                                        : "warning Numeric value required.\n%1 %2")
                             .arg(QLatin1String(kEchoFields[c.field].label), c.text)),
                     qPrintable(host.boxes[0]));
            QVERIFY(!QFile::exists(log));  // the tool never ran
            return;
        }
        QCOMPARE(host.boxes.size(), 1);
        QStringList lines = host.boxes[0].split(u'\n');
        // The files converted with a warning come last.
        QStringList warned;
        for (auto it = scene.warnings.cbegin(); it != scene.warnings.cend(); ++it)
            warned << FileNameOf(it.key()) + QStringLiteral(": ") + it.value();
        if (!warned.isEmpty()) {
            QCOMPARE(lines.mid(lines.size() - warned.size() - 2),
                     QStringList({QString(), QStringLiteral("%1 of %2 files converted with a "
                                                            "warning:")
                                                 .arg(warned.size())
                                                 .arg(scene.entries.size())}) +
                         warned);
            lines.resize(lines.size() - warned.size() - 2);
        }
        QCOMPARE(lines[0], QStringLiteral("Done."));
        QStringList failing;
        for (const QString& entry : scene.entries) {
            if (scene.failures.contains(entry))
                failing << entry;
        }
        if (failing.isEmpty()) {
            QCOMPARE(lines.size(), 1);
        } else {
            QCOMPARE(lines.mid(1, 2),
                     QStringList({QString(), QStringLiteral("%1 of %2 files failed:")
                                                 .arg(failing.size())
                                                 .arg(scene.entries.size())}));
            const qsizetype listed = std::min(failing.size(), kListedFailures);
            QCOMPARE(lines.size(), 3 + listed);
            for (qsizetype k = 0; k < listed; ++k) {
                const QString name = FileNameOf(failing[k]) + QStringLiteral(": ");
                QVERIFY2(lines[3 + k].startsWith(name) &&
                             MatchesPattern(lines[3 + k].mid(name.size()),
                                            scene.failures.value(failing[k])),
                         qPrintable(lines[3 + k]));
            }
        }
        if (fault == Fault::EchoText)
            QCOMPARE(RecordedEchoTexts(log), c.echo);
    }
};

QTEST_GUILESS_MAIN(TestFaultsEngine)
#include "tst_faults_engine.moc"
