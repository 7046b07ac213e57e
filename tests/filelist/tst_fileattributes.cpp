// Attribute values, the descend test and the presence test on real files, links and FIFOs.
#include "filelist/fileattributes.h"
#include "filelist/folderscan.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace eb;

namespace {

// The file system type of the mount at `mountPoint`, from the mount table ("" when absent).
QByteArray MountType(const QByteArray& mountPoint) {
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    QByteArray type;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() > 4 && dash > 0 && dash + 1 < fields.size() && fields[4] == mountPoint)
            type = fields[dash + 1];  // the last mount on a point is the visible one
    }
    return type;
}

}  // namespace

class TestFileAttributes : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString at(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(ebtest::writeFile(at(QStringLiteral("song.mp3")), "x"));
        QVERIFY(ebtest::writeFile(at(QStringLiteral(".hidden.mp3")), "x"));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder")));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral(".hiddenfolder")));
        QVERIFY(QFile::link(at(QStringLiteral("song.mp3")), at(QStringLiteral("filelink"))));
        QVERIFY(QFile::link(at(QStringLiteral("song.mp3")), at(QStringLiteral(".hiddenlink"))));
        QVERIFY(QFile::link(at(QStringLiteral("folder")), at(QStringLiteral("folderlink"))));
        QVERIFY(QFile::link(at(QStringLiteral("missing")), at(QStringLiteral("dangling"))));
        QCOMPARE(mkfifo(QFile::encodeName(at(QStringLiteral("fifo.mp3"))).constData(), 0644), 0);
    }

    void attributeValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("value");
        QTest::newRow("regular file") << "song.mp3" << 32;
        QTest::newRow("hidden regular file") << ".hidden.mp3" << 34;
        QTest::newRow("folder") << "folder" << 16;
        QTest::newRow("folder with final slash") << "folder/" << 16;
        QTest::newRow("hidden folder") << ".hiddenfolder" << 18;
        QTest::newRow("link to file") << "filelink" << 1056;
        QTest::newRow("hidden link to file") << ".hiddenlink" << 1058;
        QTest::newRow("link to folder") << "folderlink" << 1040;
        QTest::newRow("link to folder, final slash") << "folderlink/" << 1040;
        QTest::newRow("dangling link") << "dangling" << 1024;
        QTest::newRow("FIFO") << "fifo.mp3" << 0;
    }
    void attributeValues() {
        QFETCH(QString, name);
        QFETCH(int, value);
        QCOMPARE(FileAttributes(at(name)), std::optional<int>(value));
    }

    void attributesOfWhatIsNotThere() {
        QCOMPARE(FileAttributes(at(QStringLiteral("missing"))), std::nullopt);
        QCOMPARE(FileAttributes(QString()), std::nullopt);
        QCOMPARE(FileAttributes(QStringLiteral("a") + QChar(u'\0') + u'b'), std::nullopt);
        QCOMPARE(FileAttributes(at(QStringLiteral("song.mp3/x"))), std::nullopt);
    }

    void pseudoFileSystemsAreSystemFolders() {
        if (MountType("/proc") != "proc")
            QSKIP("no proc file system mounted at /proc");
        const std::optional<int> proc = FileAttributes(QStringLiteral("/proc"));
        QVERIFY(proc);
        QCOMPARE(*proc & ~kAttrReadOnly, 22);
        QVERIFY(!MayDescend(*proc, false));
        QVERIFY(!MayDescend(*FileAttributes(QStringLiteral("/proc/self/")), false));
        if (MountType("/sys") == "sysfs")
            QCOMPARE(*FileAttributes(QStringLiteral("/sys/kernel")) & kAttrSystem, kAttrSystem);
        if (MountType("/dev") == "devtmpfs")
            QCOMPARE(*FileAttributes(QStringLiteral("/dev")) & ~kAttrReadOnly, 22);
        // An ordinary folder and the root are no system folders.
        QCOMPARE(*FileAttributes(dir_.path()) & kAttrSystem, 0);
        QCOMPARE(*FileAttributes(QStringLiteral("/")) & (kAttrSystem | kAttrHidden), 0);
        // A link to /proc is an alias to a system folder: 1046, not descended.
        const QString link = at(QStringLiteral("proclink"));
        QVERIFY(QFile::link(QStringLiteral("/proc"), link));
        QCOMPARE(*FileAttributes(link) & ~kAttrReadOnly, 1046);
        QVERIFY(!MayDescend(*FileAttributes(link), false));
    }

    void descendTest_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("isRoot");
        QTest::addColumn<bool>("descends");
        QTest::newRow("folder") << 16 << false << true;
        QTest::newRow("hidden folder") << 18 << false << true;
        QTest::newRow("read-only folder") << 17 << false << true;
        QTest::newRow("link to folder") << 1040 << false << true;
        QTest::newRow("hidden system") << 22 << false << false;
        QTest::newRow("hidden system alias") << 1046 << false << false;
        QTest::newRow("read-only pseudo folder") << 23 << false << false;
        QTest::newRow("read-only pseudo alias") << 1047 << false << false;
        QTest::newRow("root even when hidden system") << 22 << true << true;
    }
    void descendTest() {
        QFETCH(int, value);
        QFETCH(bool, isRoot);
        QFETCH(bool, descends);
        QCOMPARE(MayDescend(value, isRoot), descends);
    }

    void rootFolderForms() {
        QVERIFY(IsRootFolder(QStringLiteral("/")));
        QVERIFY(IsRootFolder(QStringLiteral("//")));
        QVERIFY(!IsRootFolder(QStringLiteral("/tmp/")));
        QVERIFY(!IsRootFolder(QString()));
    }

    void presence_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("present");
        QTest::newRow("regular file") << "song.mp3" << true;
        QTest::newRow("hidden file") << ".hidden.mp3" << true;
        QTest::newRow("link to file") << "filelink" << true;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("link to folder") << "folderlink" << false;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("missing") << "missing.mp3" << false;
        QTest::newRow("file with final slash") << "song.mp3/" << false;
        QTest::newRow("in a missing folder") << "nofolder/song.mp3" << false;
        QTest::newRow("FIFO without writer") << "fifo.mp3" << false;
    }
    void presence() {
        QFETCH(QString, path);
        QFETCH(bool, present);
        QCOMPARE(FileIsPresent(at(path)), present);
    }

    void presenceOfMalformedAndSpecialPaths() {
        QVERIFY(!FileIsPresent(QString()));
        QVERIFY(!FileIsPresent(at(QStringLiteral("song.mp3")) + QChar(u'\0') + u'x'));
        QVERIFY(!FileIsPresent(QStringLiteral("/dev/null")));
        QVERIFY(!FileIsPresent(QStringLiteral("/")));
    }
};

QTEST_GUILESS_MAIN(TestFileAttributes)
#include "tst_fileattributes.moc"
