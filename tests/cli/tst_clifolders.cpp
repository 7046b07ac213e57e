// Folder arguments of echobatch-cli: the same files as "Add All MP3 File(s) In Folder" takes,
// both from the expansion itself and through the built program's dry run.
#include "cli/clipaths.h"
#include "support/testsupport.h"

#include <QtTest>

#include <sys/stat.h>

using namespace eb;
using namespace ebtest;

class TestCliFolders : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString music_, empty_;

private slots:
    void initTestCase() {
        music_ = dir_.filePath("music");
        empty_ = dir_.filePath("empty");
        QVERIFY(makeTree(music_, {"a.mp3", "B.MP3", "c.wav", "~lock.mp3", ".hidden.mp3",
                                  "track10.mp3", "track2.mp3", "sub/x.mp3", "sub/deep/z.mp3",
                                  ".hid/w.mp3", "other/y.Mp3", "other/notes.txt"}));
        QVERIFY(QDir().mkpath(empty_ + "/inner"));
        QVERIFY(writeFile(empty_ + "/inner/readme.txt", "text"));
        QCOMPARE(mkfifo(QFile::encodeName(music_ + "/pipe.mp3").constData(), 0644), 0);
    }

    void argumentsExpand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("errors");
        const QStringList tree =
            under(music_, {"a.mp3", "B.MP3", "track2.mp3", "track10.mp3", ".hid/w.mp3",
                           "other/y.Mp3", "sub/x.mp3", "sub/deep/z.mp3"});
        QTest::newRow("a folder") << QStringList{music_} << tree << QStringList();
        QTest::newRow("a folder with a final separator")
            << QStringList{music_ + "/"} << tree << QStringList();
        QTest::newRow("files as given, whatever their names")
            << QStringList{music_ + "/c.wav", music_ + "/~lock.mp3", music_ + "/missing.mp3"}
            << QStringList{music_ + "/c.wav", music_ + "/~lock.mp3", music_ + "/missing.mp3"}
            << QStringList();
        QTest::newRow("a folder and a file in it, in the order given")
            << QStringList{music_ + "/sub/x.mp3", music_ + "/sub"}
            << under(music_, {"sub/x.mp3", "sub/x.mp3", "sub/deep/z.mp3"}) << QStringList();
        QTest::newRow("a folder without MP3 files beside one with some")
            << QStringList{empty_, music_ + "/other"} << under(music_, {"other/y.Mp3"})
            << QStringList();
        QTest::newRow("only folders without MP3 files")
            << QStringList{empty_} << QStringList()
            << QStringList{"no MP3 files found in the folders given"};
    }
    void argumentsExpand() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QStringList, errors);
        const CliPaths paths = ExpandCliPaths(arguments);
        QCOMPARE(paths.files, files);
        QCOMPARE(paths.errors, errors);
    }

    // 40 folders named alike: every file in exactly one part, no part above 1.5 times the mean.
    void shardsSpreadFoldersNamedAlike_data() {
        QTest::addColumn<QString>("pattern");  // %1: 1 to 40, `width` digits with leading zeros
        QTest::addColumn<int>("width");
        QTest::newRow("Artist 7 - Album 7") << "Artist %1 - Album %1" << 1;
        QTest::newRow("Album 07") << "Album %1" << 2;
        QTest::newRow("Artist 7/Album 7") << "Artist %1/Album %1" << 1;
    }
    void shardsSpreadFoldersNamedAlike() {
        QFETCH(QString, pattern);
        QFETCH(int, width);
        CliPaths all;
        for (int k = 1; k <= 40; ++k)
            all.subfolders << pattern.arg(k, width, 10, QLatin1Char('0'));
        all.files = all.subfolders;  // one file in each, named as its folder
        for (int n = 2; n <= 8; ++n) {
            QStringList kept;
            for (int k = 1; k <= n; ++k) {
                CliPaths part = all;
                KeepShard(part, k, n);
                QVERIFY2(part.files.size() * n <= 60,
                         qPrintable(QStringLiteral("%1/%2").arg(k).arg(n)));
                kept += part.files;
            }
            QCOMPARE(kept.size(), 40);
            QCOMPARE(QSet<QString>(kept.cbegin(), kept.cend()).size(), 40);
        }
    }

    // A folder that vanishes while its tree is collected is an error naming the folder: the
    // batch does not run on part of it.
    void scanThatStopsShortIsAnError() {
        QTemporaryDir tmp;
        const QString a = tmp.filePath("A");
        QVERIFY(makeTree(a, {"a.mp3", "C/c.mp3", "C/E/e.mp3"}));
        DeleteAfterListing vanish(a + "/C", a + "/C/E");
        const CliPaths paths =
            ExpandCliPaths({tmp.filePath("A/a.mp3"), a}, ScanYield{std::ref(vanish), 0});
        QVERIFY(vanish.deleted);
        QCOMPARE(paths.errors,
                 QStringList{a + ": the folder could not be scanned completely: Path not found"});
    }

    // The built program: one command per file of the folder, in the scan's order; nothing is
    // converted, and a folder without MP3 files alone is a usage error.
    void dryRunOfAFolder() {
        const QString cli = binDir() + "/echobatch-cli";
        const QString out = dir_.filePath("out");
        QVERIFY(QDir().mkpath(out));
        for (const char* name : {"other/y.Mp3", "sub/x.mp3", "sub/deep/z.mp3"})
            QVERIFY(makeToneMp3(music_ + u'/' + QLatin1String(name), 0.2));
        QByteArray stdoutBytes, stderrBytes;
        QCOMPARE(run(cli, {"--dry-run", "--out", out, music_ + "/other", music_ + "/sub"},
                     &stdoutBytes, &stderrBytes),
                 0);
        const QStringList lines = QString::fromUtf8(stdoutBytes).split(u'\n', Qt::SkipEmptyParts);
        QStringList inputs;
        for (const QString& line : lines.filter(QStringLiteral(" | ")))
            inputs << line.section(QStringLiteral(" -- "), 1, 1).section(" | ", 0, 0);
        QCOMPARE(inputs, under(music_, {"other/y.Mp3", "sub/x.mp3", "sub/deep/z.mp3"}));
        QVERIFY(QDir(out).isEmpty());

        QCOMPARE(run(cli, {"--dry-run", "--out", out, empty_}, &stdoutBytes, &stderrBytes), 2);
        QVERIFY2(stderrBytes.contains("no MP3 files found in the folders given"),
                 stderrBytes.constData());
        QVERIFY(stdoutBytes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliFolders)
#include "tst_clifolders.moc"
