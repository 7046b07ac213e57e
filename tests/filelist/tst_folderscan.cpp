// The folder scan on real trees: order, loops, bind mounts, hidden and unsafe names, the
// admission of "Add All", pseudo file systems, a folder that vanishes mid-scan, event serving.
#include "core/steps.h"
#include "filelist/folderscan.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace eb;
using ebtest::DeleteAfterListing;
using ebtest::makeTree;

namespace {

// The entries with `root` + "/" cut off their front, for short comparisons.
QStringList Relative(const QStringList& paths, const QString& root) {
    QStringList relative;
    for (const QString& path : paths)
        relative << (path.startsWith(root + u'/') ? path.mid(root.size() + 1) : path);
    return relative;
}

QStringList Collect(const QString& root, bool recurse = true) {
    FolderSet set{root + u'/'};
    CollectSubfolders(set, recurse);
    return Relative(set, root);
}

// A bind mount that is undone when the test ends.
struct BindMount {
    QByteArray target;
    bool mounted = false;
    BindMount(const QString& source, const QString& where) : target(QFile::encodeName(where)) {
        mounted = mount(QFile::encodeName(source).constData(), target.constData(), nullptr, MS_BIND,
                        nullptr) == 0;
    }
    ~BindMount() {
        if (mounted)
            umount2(target.constData(), MNT_DETACH);
    }
};

}  // namespace

class TestFolderScan : public QObject {
    Q_OBJECT
private slots:
    void breadthFirstByLevel() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(makeTree(a, {QStringLiteral("B/D/"), QStringLiteral("C/"), QStringLiteral("a.mp3"),
                             QStringLiteral("B/D/d.mp3")}));
        QCOMPARE(Collect(a), QStringList({QString(), QStringLiteral("B/"), QStringLiteral("C/"),
                                          QStringLiteral("B/D/")}));
        QCOMPARE(Collect(a, false),
                 QStringList({QString(), QStringLiteral("B/"), QStringLiteral("C/")}));
        // Within a parent, as a file manager sorts: case ignored, numbers by value.
        QVERIFY(makeTree(a, {QStringLiteral("C/x10/"), QStringLiteral("C/x2/"),
                             QStringLiteral("C/X1/"), QStringLiteral("B/D/E/")}));
        QCOMPARE(Collect(a), QStringList({QString(), QStringLiteral("B/"), QStringLiteral("C/"),
                                          QStringLiteral("B/D/"), QStringLiteral("C/X1/"),
                                          QStringLiteral("C/x2/"), QStringLiteral("C/x10/"),
                                          QStringLiteral("B/D/E/")}));
    }

    void linkLoopsEndAndEnterEachFolderOnce() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(makeTree(a, {QStringLiteral("B/"), QStringLiteral("C/"), QStringLiteral("a.mp3"),
                             QStringLiteral("C/c.mp3")}));
        QVERIFY(QFile::link(a, a + QStringLiteral("/B/loop")));  // back to the top
        QVERIFY(QFile::link(a + QStringLiteral("/C"), a + QStringLiteral("/link")));  // sideways
        QVERIFY(QFile::link(QStringLiteral("."), a + QStringLiteral("/C/self")));
        QCOMPARE(Collect(a), QStringList({QString(), QStringLiteral("B/"), QStringLiteral("C/")}));
        const FolderScan scan = ScanFolderFiles(a, QStringLiteral("*.mp3"));
        QVERIFY(scan.failure.isEmpty());
        QCOMPARE(Relative(scan.files, a),
                 QStringList({QStringLiteral("a.mp3"), QStringLiteral("C/c.mp3")}));
    }

    void bindMountIsEnteredOnce() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(makeTree(a, {QStringLiteral("B/bound/"), QStringLiteral("a.mp3")}));
        BindMount bind(a, a + QStringLiteral("/B/bound"));
        if (!bind.mounted)
            QSKIP("bind mounts are not permitted here (needs root with CAP_SYS_ADMIN)");
        QCOMPARE(Collect(a), QStringList({QString(), QStringLiteral("B/")}));
        QCOMPARE(Relative(ScanFolderFiles(a, QStringLiteral("*.mp3")).files, a),
                 QStringList{QStringLiteral("a.mp3")});
    }

    void pseudoFileSystemsAreNotEntered() {
        if (!QFileInfo(QStringLiteral("/proc/self")).exists())
            QSKIP("no /proc here");
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(makeTree(a, {QStringLiteral("sub/"), QStringLiteral("procbind/")}));
        QVERIFY(QFile::link(QStringLiteral("/proc"), a + QStringLiteral("/proclink")));
        BindMount bind(QStringLiteral("/proc"), a + QStringLiteral("/procbind"));
        const QStringList expected =
            bind.mounted
                ? QStringList{QString(), QStringLiteral("sub/")}
                : QStringList{QString(), QStringLiteral("procbind/"), QStringLiteral("sub/")};
        QCOMPARE(Collect(a), expected);
        // Started at a pseudo file system, the folder stays but nothing below it is collected.
        FolderSet set{QStringLiteral("/proc/")};
        CollectSubfolders(set, true);
        QCOMPARE(set, QStringList{QStringLiteral("/proc/")});
        // From the root (given as "/" and "/", as a picker's "/" becomes): the root is entered,
        // the paths keep the doubled separator, and /proc is passed over.
        set = {QStringLiteral("//")};
        CollectSubfolders(set, false);
        QCOMPARE(set.first(), QStringLiteral("//"));
        QVERIFY(set.contains(QStringLiteral("//usr/")));
        QVERIFY(!set.contains(QStringLiteral("//proc/")));
        for (const QString& folder : std::as_const(set))
            QVERIFY2(folder.startsWith(QStringLiteral("//")), qPrintable(folder));
    }

    void addAllAdmission() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(
            makeTree(a, {QStringLiteral("a.mp3"), QStringLiteral("B.MP3"), QStringLiteral("c.wav"),
                         QStringLiteral("readme"), QStringLiteral("~lock.mp3"),
                         QStringLiteral(".hidden.mp3"), QStringLiteral("folder.mp3/"),
                         QStringLiteral(".hid/x.mp3"), QStringLiteral("~dir/y.mp3"),
                         QStringLiteral("sub/Track10.mp3"), QStringLiteral("sub/track2.mp3")}));
        QVERIFY(QFile::link(a + QStringLiteral("/a.mp3"), a + QStringLiteral("/link.mp3")));
        QVERIFY(QFile::link(a + QStringLiteral("/a.mp3"), a + QStringLiteral("/.hlink.mp3")));
        QVERIFY(QFile::link(a + QStringLiteral("/gone"), a + QStringLiteral("/dangling.mp3")));
        QCOMPARE(mkfifo(QFile::encodeName(a + QStringLiteral("/fifo.mp3")).constData(), 0644), 0);

        // The listing keeps "~" and hidden names and drops what is no present file.
        QCOMPARE(ListFolderFiles(a + u'/', QStringLiteral("*.MP3")),
                 QStringList({QStringLiteral(".hidden.mp3"), QStringLiteral(".hlink.mp3"),
                              QStringLiteral("a.mp3"), QStringLiteral("B.MP3"),
                              QStringLiteral("link.mp3"), QStringLiteral("~lock.mp3")}));
        // "Add All": no "~" names, no hidden regular file (34); a hidden link (1058) passes.
        const FolderScan mp3 = ScanFolderFiles(a, QStringLiteral("*.mp3"));
        QVERIFY(mp3.failure.isEmpty());
        QCOMPARE(Relative(mp3.files, a),
                 QStringList({QStringLiteral(".hlink.mp3"), QStringLiteral("a.mp3"),
                              QStringLiteral("B.MP3"), QStringLiteral("link.mp3"),
                              QStringLiteral(".hid/x.mp3"), QStringLiteral("sub/track2.mp3"),
                              QStringLiteral("sub/Track10.mp3"), QStringLiteral("~dir/y.mp3")}));
        // A dropped folder takes every file.
        QCOMPARE(Relative(ScanFolderFiles(a, QStringLiteral("*.*")).files, a).mid(0, 6),
                 QStringList({QStringLiteral(".hlink.mp3"), QStringLiteral("a.mp3"),
                              QStringLiteral("B.MP3"), QStringLiteral("c.wav"),
                              QStringLiteral("link.mp3"), QStringLiteral("readme")}));
        // Listing a collected set on its own gives the same files.
        FolderSet set{a + u'/'};
        CollectSubfolders(set, true);
        QCOMPARE(AdmittedFolderFiles(set, QStringLiteral("*.mp3")), mp3.files);
        // A folder given with its final "/" still gives single separators.
        QCOMPARE(ScanFolderFiles(a + u'/', QStringLiteral("*.mp3")).files, mp3.files);
    }

    void unsafeFolderNamesAreNotEntered() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(
            makeTree(a, {QStringLiteral("ok/fine.mp3"), QStringLiteral("why?/x.mp3"),
                         QStringLiteral("tab\there/x.mp3"), QStringLiteral("ctl\x01/deep/x.mp3"),
                         QString::fromUtf8("caf\xc3\xa9/x.mp3")}));
        // Names Qt cannot spell are made with the raw calls, and removed the same way.
        const QByteArray raw = QFile::encodeName(a);
        const QList<QByteArray> rawFolders = {raw + "/bad\xff", raw + "/C1\xc2\x85"};
        const QList<QByteArray> rawFiles = {raw + "/bad\xff/x.mp3", raw + "/ok/latin\xe9.mp3"};
        for (const QByteArray& folder : rawFolders)
            QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        for (const QByteArray& file : rawFiles) {
            const int fd = ::open(file.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        const QStringList collected = Collect(a);
        const QStringList listed = ListFolderFiles(a + QStringLiteral("/ok"), QStringLiteral("*"));
        for (const QByteArray& file : rawFiles)
            ::unlink(file.constData());
        for (const QByteArray& folder : rawFolders)
            ::rmdir(folder.constData());
        QCOMPARE(collected, QStringList({QString(), QString::fromUtf8("caf\xc3\xa9/"),
                                         QStringLiteral("ok/")}));
        // A file whose name is not valid UTF-8 is not listed: no path could name it.
        QCOMPARE(listed, QStringList{QStringLiteral("fine.mp3")});
    }

    void manyMatchingFilesInNaturalOrder() {
        QTemporaryDir dir;
        QStringList expected;
        for (int i = 1; i <= 151; ++i) {
            expected << QStringLiteral("track%1.mp3").arg(i);
            QVERIFY(ebtest::writeFile(dir.filePath(expected.last()), "x"));
        }
        QVERIFY(ebtest::writeFile(dir.filePath(QStringLiteral("track0.wav")), "x"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("track999.mp3")));
        const QStringList names = ListFolderFiles(dir.path(), QStringLiteral("*.mp3"));
        QCOMPARE(names.size(), 151);
        QCOMPARE(names, expected);
        QVERIFY(ListFolderFiles(dir.path(), QStringLiteral("*.ogg")).isEmpty());
        QVERIFY(ListFolderFiles(dir.filePath(QStringLiteral("missing")), QStringLiteral("*"))
                    .isEmpty());
    }

    void filesComeFolderByFolderInTheSetsOrder() {
        // Folders are listed on several threads; the result must not depend on their timing.
        QTemporaryDir dir;
        QStringList entries;
        for (int i = 0; i < 12; ++i) {
            for (int j = 0; j < 4; ++j) {
                for (int k = 0; k < 6; ++k)
                    entries << QStringLiteral("f%1/g%2/t%3.mp3").arg(i).arg(j).arg(k);
            }
            entries << QStringLiteral("f%1/top.mp3").arg(i);
        }
        QVERIFY(makeTree(dir.path(), entries));
        FolderSet set{dir.path() + u'/'};
        CollectSubfolders(set, true);
        QCOMPARE(set.size(), 1 + 12 + 48);
        QStringList expected;
        for (const QString& folder : std::as_const(set)) {
            for (const QString& name : ListFolderFiles(folder, QStringLiteral("*.mp3")))
                expected << folder + name;
        }
        QCOMPARE(expected.size(), entries.size());
        for (int round = 0; round < 3; ++round)
            QCOMPARE(ScanFolderFiles(dir.path(), QStringLiteral("*.mp3")).files, expected);
    }

    void folderVanishingMidScanIsPassedOn() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("A"));
        QVERIFY(makeTree(
            a, {QStringLiteral("a.mp3"), QStringLiteral("B/b.mp3"), QStringLiteral("B/D/d.mp3"),
                QStringLiteral("C/c.mp3"), QStringLiteral("C/E/e.mp3")}));
        {
            DeleteAfterListing vanish(a + QStringLiteral("/C"), a + QStringLiteral("/C/E"));
            FolderSet set{a + u'/'};
            QVERIFY_THROWS_EXCEPTION(StepError,
                                     CollectSubfolders(set, true, {std::ref(vanish), 0}));
            QVERIFY(vanish.deleted);
            QCOMPARE(Relative(set, a), QStringList({QString(), QStringLiteral("B/"),
                                                    QStringLiteral("C/"), QStringLiteral("B/D/")}));
        }
        QVERIFY(makeTree(a, {QStringLiteral("C/E/e.mp3")}));
        DeleteAfterListing vanish(a + QStringLiteral("/C"), a + QStringLiteral("/C/E"));
        const FolderScan scan = ScanFolderFiles(a, QStringLiteral("*.mp3"), {std::ref(vanish), 0});
        QCOMPARE(scan.failure, QStringLiteral("Path not found"));
        QCOMPARE(Relative(scan.files, a),
                 QStringList({QStringLiteral("a.mp3"), QStringLiteral("B/b.mp3"),
                              QStringLiteral("C/c.mp3"), QStringLiteral("B/D/d.mp3")}));

        const FolderScan missing =
            ScanFolderFiles(dir.filePath(QStringLiteral("nope")), QStringLiteral("*.mp3"));
        QCOMPARE(missing.failure, QStringLiteral("Path not found"));
        QVERIFY(missing.files.isEmpty());
        const FolderScan empty = ScanFolderFiles(QString(), QStringLiteral("*.mp3"));
        QCOMPARE(empty.failure, QStringLiteral("Path not found"));
        QVERIFY(empty.files.isEmpty());
    }

    void scanServesTheEventQueue() {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {QStringLiteral("B/D/"), QStringLiteral("C/")}));
        bool served = false;
        QTimer::singleShot(0, this, [&served] { served = true; });
        FolderSet set{dir.path() + u'/'};
        CollectSubfolders(set, true);  // the default yield: processEvents
        QVERIFY(served);

        int calls = 0;
        set = {dir.path() + u'/'};
        CollectSubfolders(set, true, {[&calls] { ++calls; }, 0});
        QVERIFY2(calls >= 4, qPrintable(QString::number(calls)));  // at least once per folder
        calls = 0;
        set = {dir.path() + u'/'};
        CollectSubfolders(set, true, {[&calls] { ++calls; }, 3600000});
        QCOMPARE(calls, 1);  // paced: only the first opportunity within the interval
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
