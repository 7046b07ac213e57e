// "Start Converting" over a scripted window: the checks, the numbered steps, the progress
// display, the failure summary, re-entry and abort.
#include "core/prompter.h"
#include "core/steps.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "shell/batch/batchhost.h"
#include "shell/batch/conversionrun.h"
#include "support/faketool.h"
#include "support/scriptedbatchhost.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <functional>

using namespace eb;
using namespace ebtest;

namespace {
struct ScriptedHost : ScriptedBatchHost {
    QStringList events;  // everything the run showed, in order; wait counts after 1 left out

    void setProgressValue(double v) override { events << "value " + QString::number(v, 'f', 2); }
    void setBusy(bool busy) override { events << (busy ? "busy" : "idle"); }
    void setProgressText(const QString& text) override {
        if (!text.startsWith(QStringLiteral("Please wait.. ")) ||
            text.endsWith(QStringLiteral(".. 1")))
            events << "text " + text;
        ScriptedBatchHost::setProgressText(text);
    }
    void message(const QString& text, Icon icon, const QString&) override {
        events << (icon == Icon::Warning ? "warning " : "message ") + text;
    }
    void ReportUnexpectedError(const QString& label, int line, const QString& d) override {
        QCOMPARE(label, QStringLiteral("in Rendula2016/11/03.Form1.PushButton2_Click "));
        events << QStringLiteral("report %1 %2").arg(line).arg(d);
    }
};
}  // namespace

class TestConversionRun : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    ConversionRun run_;  // one window's batch
    QString out_;
    QString file(const char* name) { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() {
        out_ = file("out");
        QVERIFY(QDir().mkpath(out_));
        for (const char* n : {"a.mp3", "b.mp3", "c.mp3"})
            QVERIFY(makeToneMp3(file(n), 0.3));
        QVERIFY(writeFile(file("corrupt.mp3"), QByteArray(5000, 'z')));
        QVERIFY(writeFile(file("noext"), "x"));
    }
    void cleanup() {
        QVERIFY(!run_.isRunning());
        QVERIFY(toolFolders(TemporaryFolder()).isEmpty());
        QVERIFY(leftovers(out_).isEmpty());
    }

    void checksComeFirst_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("gainIn");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty list") << 0 << true << "0.8"
                                    << "message No files added.";
        QTest::newRow("empty list, no folder") << 0 << false << "0.8"
                                               << "message No files added.";
        QTest::newRow("no folder")
            << 1 << false << "abc"
            << "message Folder does not exist. Please select another folder.";
        QTest::newRow("not numeric") << 1 << true << "0,8"
                                     << "warning Numeric value required.\nGain-In: 0,8";
        QTest::newRow("out of range") << 1 << true << "1.5"
                                      << "warning Value out of range.\nGain-In: 1.5 (from 0 to 1)";
    }
    void checksComeFirst() {
        QFETCH(int, files);
        QFETCH(bool, folderExists);
        QFETCH(QString, gainIn);
        QFETCH(QString, shown);
        ScriptedHost host;
        if (files)
            host.entries << file("a.mp3");
        host.folder = folderExists ? out_ : file("missing");
        host.echo.gainIn = gainIn;
        run_.run(host);
        QCOMPARE(host.events, QStringList{shown});
        QVERIFY(QDir(out_).isEmpty());
    }

    void threeFilesShowTheirProgress() {
        ScriptedHost host;
        host.entries << file("a.mp3") << file("b.mp3") << file("c.mp3");
        host.folder = out_;
        run_.run(host);
        QStringList expected;
        for (const char* name : {"a", "b", "c"}) {
            const int i = static_cast<int>(expected.size() / 5) + 1;
            expected << "busy"
                     << "value " + QString::number(i * 100.0 / 3, 'f', 2)
                     << QStringLiteral("text Processing: %1.mp3").arg(QLatin1String(name))
                     << "text Please wait.. 1"
                     << "text Progress Bar";
        }
        expected << "idle"
                 << "value 0.00"
                 << "text Progress Bar"
                 << "message Done.";
        QCOMPARE(host.events, expected);
        for (const char* name : {"a", "b", "c"})
            QVERIFY(
                decodeSamples(out_ + QStringLiteral("/%1.mp3").arg(QLatin1String(name))).size() >
                2000);
        QDir(out_).removeRecursively();
        QDir().mkpath(out_);
    }

    void failuresAreReportedAndSkipped() {
        ScriptedHost host;
        const QString inside = out_ + QStringLiteral("/inside.mp3");
        QVERIFY(QFile::copy(file("a.mp3"), inside));
        host.entries << file("corrupt.mp3") << file("noext") << inside;
        for (const char* broken : {"broken 1.mp3", "broken 2.mp3", "broken 3.mp3"}) {
            QVERIFY(writeFile(file(broken), QByteArray(5000, 'z')));
            host.entries << file(broken);
        }
        host.entries << file("b.mp3") << file("c.mp3") << file("gone.mp3");
        host.folder = out_;
        // The texts are read for each file anew: a change during the batch reaches later files.
        host.onText = [&](const QString& text) {
            if (text == QStringLiteral("Processing: b.mp3"))
                host.echo.delay = QStringLiteral("abc");
        };
        run_.run(host);
        QVERIFY(host.events.contains(
            "report 150 No output name can be formed: the file name has no \".\""));
        const QStringList done = host.events.last().split(u'\n');
        const QString skipped =
            inside + ": skipped: the output would replace the input file itself";
        QCOMPARE(done,
                 QStringList({"message Done.", "",
                              "9 of 9 files failed:", "corrupt.mp3: no MPEG audio frame found",
                              "noext: No output name can be formed: the file name has no \".\"",
                              skipped, "broken 1.mp3: no MPEG audio frame found",
                              "broken 2.mp3: no MPEG audio frame found"}));
        // Behind "Show Details...": every entry by its full path.
        const QString frames = QStringLiteral("no MPEG audio frame found");
        const QString delay = QStringLiteral("Numeric value required. Delay: abc");
        const QStringList reasons{
            frames, done[4].section(": ", 1, -1),  {}, frames, frames, frames, delay,
            delay,  QStringLiteral("no such file")};
        QStringList details;
        for (const QString& entry : std::as_const(host.entries))
            details << (entry == inside ? skipped : entry + ": failed: " + reasons[details.size()]);
        QCOMPARE(host.details.last().split(u'\n'), details);
        QCOMPARE(host.results,
                 QStringList({"1 3", "2 3", "3 4", "4 3", "5 3", "6 3", "7 3", "8 3", "9 3"}));
        QCOMPARE(checksum(inside), checksum(file("a.mp3")));
        QCOMPARE(QDir(out_).entryList(QDir::Files), QStringList{"inside.mp3"});
        QFile::remove(inside);
    }

    // Entries whose output would replace the result of an earlier entry: one question, then
    // either kept below folders named after their albums, or skipped and named, also when the
    // output folder is spelled another way meanwhile (through a link).
    void sameOutputIsNamed_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("addedFrom");
        QTest::addColumn<int>("choice");  // 0: keep the folders, 1: skip them, -1: not asked
        QTest::addColumn<bool>("respell");
        QTest::addColumn<QStringList>("outputs");
        const QStringList xby{"x/a.mp3", "b.mp3", "y/a.mp3"};
        const QString here = QFileInfo(dir_.path()).fileName();
        QTest::newRow("two folders with the same names, skipped")
            << xby << QStringList() << 1 << false << QStringList{"a.mp3", "b.mp3"};
        QTest::newRow("the output folder respelled through a link")
            << xby << QStringList() << 1 << true << QStringList{"a.mp3", "b.mp3"};
        QTest::newRow("picked files kept below their own folders")
            << xby << QStringList() << 0 << true
            << QStringList{here + "/b.mp3", "x/a.mp3", "y/a.mp3"};
        QTest::newRow("one file listed twice asks nothing")
            << QStringList{"b.mp3", "b.mp3"} << QStringList() << -1 << false
            << QStringList{"b.mp3"};
        QTest::newRow("two added folders of one name take more of the path")
            << QStringList{"p/x/a.mp3", "q/x/a.mp3", "q/x/cd2/b.mp3"}
            << QStringList{"p/x", "q/x", "q/x"} << 0 << false
            << QStringList{"p/x/a.mp3", "q/x/a.mp3", "x/cd2/b.mp3"};
    }
    void sameOutputIsNamed() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, addedFrom);
        QFETCH(int, choice);
        QFETCH(bool, respell);
        QFETCH(QStringList, outputs);
        const QString link = file("outlink");
        QVERIFY(QFile::link(out_, link) || QFileInfo(link).isSymLink());
        ScriptedHost host;
        for (const QString& entry : entries) {
            const int seconds = host.entries.isEmpty() ? 1 : 3;  // the first one is short
            if (!QFileInfo::exists(file(qPrintable(entry))))
                QVERIFY(makeToneMp3(file(qPrintable(entry)), 0.4 * seconds, 300 * seconds));
            host.entries << file(qPrintable(entry));
        }
        for (const QString& folder : addedFrom)
            host.addedFrom << file(qPrintable(folder));
        host.choices << choice;
        host.folder = out_;
        host.onText = [&](const QString& text) {
            if (respell && text == QStringLiteral("Processing: b.mp3"))
                host.folder = link + u'/';
        };
        run_.run(host);
        QCOMPARE(host.texts(), choice < 0
                                   ? QStringList()
                                   : QStringList{"2 files share their name with another file "
                                                 "of the list. Keep the album folders below "
                                                 "the output folder?"});
        QCOMPARE(host.events.last(),
                 choice != 1
                     ? QStringLiteral("message Done.")
                     : "message Done.\n\n1 of 3 files failed:\n" + file("y/a.mp3") +
                           ": skipped: its output would replace the output of " + file("x/a.mp3"));
        QStringList written;
        for (QDirIterator it(out_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
             it.hasNext();)
            written << it.next().mid(out_.size() + 1);
        written.sort();
        QCOMPARE(written, outputs);
        QVERIFY(decodeSamples(out_ + u'/' + outputs.last()).size() > 2000);
        QVERIFY(decodeSamples(out_ + u'/' + outputs.first()).size() < 6400);  // the short one
        QDir(out_).removeRecursively();
        QDir().mkpath(out_);
    }

    void vanishedEntriesAreReportedAndSkipped() {
        ScriptedHost host;
        host.entries << file("a.mp3") << file("b.mp3") << file("c.mp3");
        host.folder = out_;
        host.onText = [&](const QString& text) {
            if (text == QStringLiteral("Processing: a.mp3"))
                host.entries.clear();
        };
        run_.run(host);
        // One report for the cleared list, not one box per gone entry.
        QCOMPARE(host.events.filter("report"), QStringList({"report 144 Index out of bounds"}));
        QCOMPARE(host.events.last(),
                 "message Done.\n\n2 of 3 files failed:\nentry 2: no longer in the "
                 "list\nentry 3: no longer in the list");
        QVERIFY(QFile::remove(out_ + QStringLiteral("/a.mp3")));
    }

    // A second press answered Stop, or the window closing, ends the batch: the running tool
    // stopped, nothing half-written or deployed left, what was converted kept. A batch that ends
    // while the question is open closes it. The bar's tooltip tells the time left.
    void stopEndsTheBatch_data() {
        QTest::addColumn<int>("how");  // 0: Stop, 1: the window closes, 2: no answer
        QTest::addColumn<QStringList>("outputs");
        QTest::addColumn<QString>("done");
        QTest::newRow("Stop") << 0 << QStringList{"a.mp3"}
                              << "message Done.\n\nStopped: 2 of 3 files were not converted.";
        QTest::newRow("the window closes") << 1 << QStringList{"a.mp3"} << QString();
        QTest::newRow("the question left open")
            << 2 << QStringList{"a.mp3", "b.mp3", "c.mp3"} << "message Done.";
    }
    void stopEndsTheBatch() {
        QFETCH(int, how);
        QFETCH(QStringList, outputs);
        QFETCH(QString, done);
        // The first file converts at once, each later one a second later.
        const QString marker = file("slow.marker");
        QFile::remove(marker);
        const QString slow = writeScript(
            file("slow"), ("[ -e '" + marker + "' ] && sleep 1; touch '" + marker + "'; exec '" +
                           QStandardPaths::findExecutable("sox") + "' \"$@\"")
                              .toUtf8());
        qputenv("ECHOBATCH_SOX", QFile::encodeName(slow));
        ScriptedHost host;
        host.entries << file("a.mp3") << file("b.mp3") << file("c.mp3");
        host.folder = out_;
        if (how == 0)
            host.choices << 0;
        bool second = false;
        QStringList leftAfterStop;
        host.onText = [&](const QString& text) {
            second = second || text == QStringLiteral("Processing: b.mp3");
            if (!second || text != QStringLiteral("Please wait.. 3") || !leftAfterStop.isEmpty())
                return;
            how == 1 ? run_.abort() : run_.run(host);
            leftAfterStop = leftovers(out_) + toolFolders(TemporaryFolder()) << "asked";
        };
        run_.run(host);
        qunsetenv("ECHOBATCH_SOX");
        if (how != 2)  // at once: no half-written output, no tools
            QCOMPARE(leftAfterStop, QStringList{"asked"});
        QCOMPARE(QDir(out_).entryList(QDir::Files | QDir::Hidden), outputs);
        QCOMPARE(host.events.filter("message").value(0), done);
        QCOMPARE(host.texts(),
                 how == 1 ? QStringList()
                          : QStringList{"Stop converting? The files converted so far are kept."});
        QCOMPARE(host.closedQuestions, how == 2 ? 1 : 0);
        QCOMPARE(host.toolTips.value(0), QStringLiteral("file 1 of 3"));
        QVERIFY2(QRegularExpression("file 2 of 3, about \\d+ s left")
                     .match(host.toolTips.value(1))
                     .hasMatch(),
                 qPrintable(host.toolTips.value(1)));
        if (how == 0)
            QCOMPARE(host.details.last().split(u'\n'),
                     QStringList({file("a.mp3") + ": converted",
                                  file("b.mp3") + ": not converted: the batch was stopped",
                                  file("c.mp3") + ": not converted: the batch was stopped"}));
        QDir(out_).removeRecursively();
        QDir().mkpath(out_);
    }
};

QTEST_GUILESS_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
