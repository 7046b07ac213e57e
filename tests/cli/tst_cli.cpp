// echobatch-cli as a user runs it: the built program as a child process.
#include "core/settingsstore.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "support/testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <numeric>

using namespace ebtest;

namespace {
struct Ran {
    int code = -1;
    QByteArray out, err;
};

QStringList hidden(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*echobatch-*")}, QDir::Files | QDir::Hidden);
}
}  // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString cli_, out_;
    QString file(const char* name) { return dir_.filePath(QString::fromUtf8(name)); }

    Ran cli(const QStringList& args, const QByteArray& fakeTool = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!fakeTool.isEmpty())
            env.insert(QStringLiteral("ECHOBATCH_SOX"), QString::fromUtf8(fakeTool));
        p.setProcessEnvironment(env);
        p.start(cli_, args);
        Ran r;
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
            r.code = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    void emptyFolder(const QString& folder) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    QMap<QString, QByteArray> contents(const QString& folder) {
        QMap<QString, QByteArray> sums;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            sums.insert(name, checksum(folder + u'/' + name));
        return sums;
    }

private slots:
    void initTestCase() {
        cli_ = cliProgram();
        QVERIFY(QFileInfo(cli_).isExecutable());
        out_ = file("out");
        QVERIFY(QDir().mkpath(out_) && QDir().mkpath(file("sub")));
        QVERIFY(makeToneMp3(file("good.mp3"), 0.4));
        QVERIFY(makeToneMp3(file("a b.mp3"), 0.4, 660));
        QVERIFY(writeFile(file("corrupt.mp3"), QByteArray(4000, 'q')));
        QCOMPARE(run("sox", {"-n", file("loud.mp3"), "synth", "0.5", "square", "vol", "1"}), 0);
        QFile::remove(eb::SettingsStore::fileName());
    }

    void exitCodes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        const QString good = file("good.mp3");
        QTest::newRow("no files") << QStringList{"--out", out_} << 2 << "no files given";
        QTest::newRow("unknown option")
            << QStringList{"--frob", good} << 2 << "unknown option 'frob'";
        QTest::newRow("a value missing")
            << QStringList{good, "--out"} << 2 << "the option 'out' needs a value";
        QTest::newRow("a value given to a switch") << QStringList{"--json=yes", "--out", out_, good}
                                                   << 2 << "the option 'json' takes no value";
        QTest::newRow("a missing folder is made, with its parent")
            << QStringList{"--out", out_ + "/new/night", good} << 0
            << "made the output folder " + out_ + "/new/night\n";
        QTest::newRow("a folder that cannot be made")
            << QStringList{"--out", file("good.mp3/night"), good} << 2
            << "cannot make the output folder " + file("good.mp3/night") + ": Not a directory";
        QTest::newRow("--shard without --keep-tree")
            << QStringList{"--out", out_, "--shard", "1/2", good} << 2
            << "--shard needs --keep-tree";
        QTest::newRow("blanks around numbers")
            << QStringList{"--out", out_, "--bitrate", " 128", "--delay", " 63 ", good} << 0
            << "1 of 1 file converted";
        QTest::newRow("no folder anywhere") << QStringList{good} << 2 << "no output folder";
        QTest::newRow("not numeric")
            << QStringList{"--out", out_, "--gain-in", "abc", "--decay", "0,,3", good} << 2
            << "Numeric value required.\n  Gain-In: 'abc' (--gain-in)\n  Decay: '0,,3' (--decay)";
        QTest::newRow("out of range")
            << QStringList{"--out", out_, "--delay", "0", "--decay", "-0.5", good} << 2
            << "Value out of range.\n  Delay: '0' (--delay): from 0.125 to 53333\n"
               "  Decay: '-0.5' (--decay): from 0 to 1";
        QTest::newRow("out of range, dry run")
            << QStringList{"--dry-run", "--out", out_, "--delay", "1e308", good} << 2
            << "Delay: '1e308' (--delay): from 0.125 to 53333";
        QTest::newRow("a missing input alone: nothing made")
            << QStringList{"--out", out_ + "/never", file("missing")} << 1
            << file("missing") + ": no such file";
        QTest::newRow("bad jobs") << QStringList{"--out", out_, "--jobs", "-1", good} << 2
                                  << "--jobs";
        QTest::newRow("a folder without MP3 files beside a file")
            << QStringList{"--out", out_, good, file("sub")} << 0 << "1 of 1 file converted";
        QTest::newRow("converted")
            << QStringList{"--out", out_, good} << 0 << "1 of 1 file converted";
        QTest::newRow("one fails")
            << QStringList{"--out", out_, "--jobs", "2", file("corrupt.mp3"), good} << 1
            << "1 of 2 files failed:\n  " + file("corrupt.mp3") + ": no MPEG audio frame found";
        QTest::newRow("quiet") << QStringList{"--quiet", "--out", out_, good} << 0 << "";
        QTest::newRow("bad bitrate") << QStringList{"--out", out_, "--bitrate", "100", good} << 2
                                     << "--bitrate needs 'keep' or one of 8, 16,";
        QTest::newRow("clipping told, also when quiet")
            << QStringList{"--quiet",    "--out", out_,      "--gain-in", "1",
                           "--gain-out", "1",     "--decay", "0.9",       file("loud.mp3")}
            << 0
            << "echobatch-cli: 1 of 1 file converted with a warning:\n  " + file("loud.mp3") + ": ";
    }
    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, said);
        emptyFolder(out_);
        const Ran r = cli(args);
        QCOMPARE(r.code, code);
        QVERIFY2(QString::fromUtf8(r.err).contains(said), r.err.constData());
        if (said.isEmpty())
            QCOMPARE(r.err, QByteArray());
        if (said.endsWith(": "))  // a warning
            QVERIFY(r.err.endsWith(" samples clipped; lower Gain-Out or Decay\n"));
        int written = 0;
        for (QDirIterator it(out_, QDir::Files, QDirIterator::Subdirectories); it.hasNext();
             it.next())
            ++written;
        QCOMPARE(written,
                 code == 2 || QByteArray(QTest::currentDataTag()).endsWith("nothing made") ? 0 : 1);
        QVERIFY(!QFileInfo::exists(out_ + "/never"));
        QVERIFY(hidden(out_).isEmpty());
        QVERIFY(!QFile::exists(eb::SettingsStore::fileName()));
    }

    void dryRunPrintsOneLinePerFile() {
        emptyFolder(out_);
        const Ran r =
            cli({"--dry-run", "--out", out_, "--delay", "250", file("good.mp3"), file("a b.mp3")});
        QCOMPARE(r.code, 0);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        // The tool reads the audio decoded by the program, on its standard input; a comment
        // before it names what the program does itself afterwards.
        QCOMPARE(lines[2], QStringLiteral("# then, in the program: check the output's length "
                                          "against the input's, write its gapless header"));
        QCOMPARE(lines[3], QStringLiteral("mpg123 -q -e f32 --mono -w - -- '%1' | %2 "
                                          "--ignore-length -twav - -C 64 --no-glob '%3/a b.mp3' "
                                          "echos 0.8 0.7 250 0.3")
                               .arg(file("a b.mp3"), eb::InstalledSox(), out_));
        const Ran fixed = cli({"--dry-run", "--out", out_, "--bitrate", "192", file("good.mp3")});
        QVERIFY2(fixed.out.contains(" -C 192 --no-glob "), fixed.out.constData());
        const Ran made = cli({"--dry-run", "--out", out_ + "/new", file("good.mp3")});
        QVERIFY(made.err.startsWith("echobatch-cli: would make the output folder " +
                                    QFile::encodeName(out_) + "/new\n"));
        QVERIFY(made.out.contains("\nmkdir -p -- " + QFile::encodeName(out_) + "/new && mpg123 "));
        QVERIFY(QDir(out_).isEmpty());
    }

    // Two folders holding the same names: the later file is skipped and named, the earlier
    // result stays, whatever the number of jobs; --keep-tree writes the tree instead.
    void collisionsAreNamed_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("outputs");
        const QString a = file("music/a"), b = file("music/b");
        const QStringList flat{"deep.mp3", "intro.mp3", "outro.mp3"};
        QTest::newRow("in list order") << QStringList{"--jobs", "1", a, b} << 1 << flat;
        QTest::newRow("two jobs") << QStringList{"--jobs", "2", a, b} << 1 << flat;
        QTest::newRow("dry run") << QStringList{"--dry-run", a, b} << 1 << QStringList();
        QTest::newRow("a folder given twice: each file converted twice")
            << QStringList{"--jobs", "2", a, a} << 0 << QStringList{"deep.mp3", "intro.mp3"};
        QTest::newRow("tree kept")
            << QStringList{"--keep-tree", "--jobs", "2", file("music")} << 0
            << QStringList{"a/intro.mp3", "a/x/y/deep.mp3", "b/intro.mp3", "b/outro.mp3"};
        QTest::newRow("tree kept, two roots with the same names")
            << QStringList{"--keep-tree", a, b} << 1
            << QStringList{"intro.mp3", "outro.mp3", "x/y/deep.mp3"};
        const QString ai = file("music/a/intro.mp3"), bi = file("music/b/intro.mp3");
        for (const char* jobs : {"1", "2"})
            QTest::addRow("entries behind a skipped one, %s job(s)", jobs)
                << QStringList{"--json", "--jobs", jobs, ai, bi, ai, ai} << 1
                << QStringList{"intro.mp3"};
        // An older intro.mp3 and an up-to-date outro.mp3 in the output folder first.
        QTest::newRow("--update, one file three times, then one up to date")
            << QStringList{"--json", "--update", "--jobs", "1",
                           ai,       ai,         ai,       file("music/b/outro.mp3")}
            << 0 << QStringList{"intro.mp3", "outro.mp3"};
    }
    void collisionsAreNamed() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QStringList, outputs);
        QVERIFY(makeToneMp3(file("music/a/intro.mp3"), 0.3, 300));
        QVERIFY(makeToneMp3(file("music/b/intro.mp3"), 1.2, 900));
        QVERIFY(makeToneMp3(file("music/a/x/y/deep.mp3"), 0.3));
        QVERIFY(makeToneMp3(file("music/b/outro.mp3"), 0.3));
        emptyFolder(out_);
        if (args.contains("--update")) {
            QVERIFY(QFile::copy(file("music/b/outro.mp3"), out_ + "/outro.mp3"));
            QVERIFY(QFile::copy(file("music/b/outro.mp3"), out_ + "/intro.mp3"));
            QFile older(out_ + "/intro.mp3");
            QVERIFY(older.open(QIODevice::ReadWrite) &&
                    older.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                      QFileDevice::FileModificationTime));
        }
        const Ran r = cli(QStringList{"--out", out_} + args);
        QCOMPARE(r.code, code);
        // Every entry told once, in list order with one job; every JSON record with a reason.
        QList<int> told;
        const QRegularExpression line(QStringLiteral("^\\[(\\d+)/(\\d+)\\] (?!WARNING)"));
        for (const QByteArray& said : r.err.split('\n')) {
            if (const auto m = line.match(QString::fromUtf8(said)); m.hasMatch())
                told << m.captured(1).toInt() - 1;
        }
        QList<int> all(told.size());
        std::iota(all.begin(), all.end(), 0);
        if (!args.contains("--jobs") || args[args.indexOf("--jobs") + 1] != "1")
            std::sort(told.begin(), told.end());
        QVERIFY2(args.contains("--dry-run") || (!told.isEmpty() && told == all), r.err);
        const QList<QByteArray> records = args.contains("--json")
                                              ? r.out.split('\n').mid(0, r.out.count('\n'))
                                              : QList<QByteArray>();
        QVERIFY(!args.contains("--json") || records.size() == told.size());
        for (const QByteArray& record : records) {
            const QJsonObject o = QJsonDocument::fromJson(record).object();
            QVERIFY2(o["status"] == "converted" || o["status"] == "up-to-date" ||
                         !o["reason"].toString().isEmpty(),
                     record);
        }
        QStringList written;
        QDirIterator it(out_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            written << QDir(out_).relativeFilePath(it.next());
        written.sort();
        QCOMPARE(written, outputs);
        if (code == 1)
            QVERIFY2(r.err.contains(file("music/b/intro.mp3").toUtf8() +
                                    ": skipped: its output would replace the output of " +
                                    file("music/a/intro.mp3").toUtf8() + "\n"),
                     r.err.constData());
        // The earlier file's result stayed: the short one.
        if (outputs.contains("intro.mp3"))
            QVERIFY(decodeSamples(out_ + "/intro.mp3").size() < 6400);
    }

    void settingsAreReadButNeverWritten() {
        emptyFolder(out_);
        QVERIFY(
            eb::SettingsStore::write(QString::fromLatin1(eb::keys::kOutputFolder), out_ + u'/'));
        QVERIFY(eb::SettingsStore::write(QString::fromLatin1(eb::keys::kText4),
                                         QStringLiteral("120,5")));
        QVERIFY(eb::SettingsStore::write(QString::fromLatin1(eb::keys::kText5),
                                         QStringLiteral("0,25")));  // as a German window stores it
        const QString ini = eb::SettingsStore::fileName();
        const QByteArray before = checksum(ini);
        const QDateTime changed = QFileInfo(ini).lastModified();
        const Ran dry = cli({"--dry-run", "--gain-out", "0.5", file("good.mp3")});
        QCOMPARE(dry.code, 0);
        QVERIFY2(dry.out.endsWith(" --no-glob " + QFile::encodeName(out_) +
                                  "/good.mp3 echos 0.8 0.5 120.5 0.25\n"),
                 dry.out.constData());
        QCOMPARE(cli({file("good.mp3")}).code, 0);
        QVERIFY(QFile::exists(out_ + QStringLiteral("/good.mp3")));
        QCOMPARE(checksum(ini), before);
        QCOMPARE(QFileInfo(ini).lastModified(), changed);
        QFile::remove(ini);
    }

    void twoJobsGiveTheSameResultsAsOne() {
        QStringList files;
        for (int k = 0; k < 5; ++k) {
            files << file("tone%1.mp3").arg(k);
            QVERIFY(makeToneMp3(files.last(), 0.3, 300 + 100 * k));
        }
        // Two inputs with one output name: the earlier one's result stays, the later is named.
        QVERIFY(makeToneMp3(file("x/dup.mp3"), 0.3, 200));
        QVERIFY(makeToneMp3(file("y/dup.mp3"), 0.3, 900));
        files << file("x/dup.mp3") << file("corrupt.mp3") << file("y/dup.mp3");
        QMap<QString, QByteArray> results[2];
        QByteArray summaries[2];
        // SoX itself, each run's start and end logged: no more run at once than --jobs says,
        // also while ended files are still being finished.
        const QString log = file("sox.log");
        QVERIFY(writeFile(file("logged-sox"), "#!/bin/sh\necho + >> '" + log.toUtf8() +
                                                  "'\nsox \"$@\"\nrc=$?\necho - >> '" +
                                                  log.toUtf8() + "'\nexit $rc\n"));
        QFile::setPermissions(file("logged-sox"), QFile::ReadOwner | QFile::ExeOwner);
        for (int jobs : {1, 2}) {
            const QString out = file("jobs%1").arg(jobs);
            QVERIFY(QDir().mkpath(out));
            QFile::remove(log);
            const Ran r = cli(QStringList{"--out", out, "--jobs", QString::number(jobs)} + files,
                              file("logged-sox").toUtf8());
            QCOMPARE(r.code, 1);
            int atOnce = 0, most = 0;
            for (const char c : readFile(log))
                most = std::max(most, atOnce += c == '+' ? 1 : c == '-' ? -1 : 0);
            QVERIFY2(most >= 1 && most <= jobs, qPrintable(QString::number(most)));
            results[jobs - 1] = contents(out);
            summaries[jobs - 1] = r.err.mid(r.err.indexOf("echobatch-cli: 2 of 8 files failed:"));
        }
        QCOMPARE(results[0].size(), 6);
        QCOMPARE(results[1], results[0]);
        QCOMPARE(summaries[1], summaries[0]);
        QVERIFY(!summaries[0].isEmpty());
    }

    void interruptLeavesNothingBehind() {
        emptyFolder(out_);
        const QString hang = file("hang");
        QVERIFY(writeFile(
            hang,
            "#!/bin/sh\neval \"out=\\${$(($# - 5))}\"\necho partial > \"$out\"\nexec sleep 60\n"));
        QFile::setPermissions(hang, QFile::ReadOwner | QFile::ExeOwner);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ECHOBATCH_SOX"), hang);
        p.setProcessEnvironment(env);
        p.start(cli_, {"--out", out_, "--jobs", "2", file("good.mp3"), file("a b.mp3")});
        QTRY_COMPARE_WITH_TIMEOUT(hidden(out_).size(), 2, 10000);
        p.terminate();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(p.readAllStandardError().contains("interrupted; 0 of 2 files converted"));
        QVERIFY(QDir(out_).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(QDir(eb::TemporaryFolder()).entryList({"echobatch-*"}, QDir::Dirs), QStringList());
    }

    void noexecTemporaryFolderRunsTheInstalledTool() {
        // A private mount namespace: the noexec mount vanishes with the command.
        const QString temp = file("noexec");
        QVERIFY(QDir().mkpath(temp));
        if (run(QStringLiteral("unshare"),
                {"-m", "mount", "-t", "tmpfs", "-o", "noexec", "tmpfs", temp}) != 0)
            QSKIP("no permission to mount a noexec folder here");
        emptyFolder(out_);
        QByteArray err;
        const int code = run(
            QStringLiteral("unshare"),
            {"-m", "sh", "-c",
             "mount -t tmpfs -o noexec tmpfs \"$1\" && TEMP=\"$1\" exec \"$2\" --out \"$3\" \"$4\"",
             "sh", temp, cli_, out_, file("good.mp3")},
            nullptr, &err);
        QVERIFY2(code == 0, err.constData());
        QVERIFY(decodeSamples(out_ + QStringLiteral("/good.mp3")).size() > 2000);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
