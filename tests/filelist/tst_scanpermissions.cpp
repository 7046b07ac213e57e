// The folder scan as an unprivileged user (root is not stopped by permissions): files that
// cannot be opened, folders that cannot be listed or searched, read-only hidden files.
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestScanPermissions : public QObject {
    Q_OBJECT
private:
    QString setpriv_;
    uid_t nobody_ = 0;
    gid_t nogroup_ = 0;

    // Runs the scan probe as nobody and returns its output lines with `root` cut off.
    QStringList probe(const QStringList& args, const QString& root) {
        QByteArray out;
        const int code = ebtest::run(
            setpriv_,
            QStringList{QStringLiteral("--reuid=%1").arg(nobody_),
                        QStringLiteral("--regid=%1").arg(nogroup_),
                        QStringLiteral("--clear-groups"),
                        QCoreApplication::applicationDirPath() + QStringLiteral("/scanprobe")} +
                args,
            &out);
        if (code != 0)
            return {QStringLiteral("exit %1").arg(code)};
        QStringList lines = QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
        return lines.replaceInStrings(root + u'/', QString());
    }

private slots:
    void initTestCase() {
        if (geteuid() != 0)
            QSKIP("needs root: files of two owners are made, then the scan runs as nobody");
        setpriv_ = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        const passwd* user = getpwnam("nobody");
        if (setpriv_.isEmpty() || !user)
            QSKIP("setpriv or the user nobody is missing");
        nobody_ = user->pw_uid;
        nogroup_ = user->pw_gid;
    }

    void unprivilegedScan() {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString u = dir.filePath(QStringLiteral("U"));
        if (probe({QStringLiteral("collect"), dir.path()}, dir.path()) != QStringList{QString()})
            QSKIP("the scratch folder is not reachable for nobody");
        const QStringList files = {QStringLiteral("open.mp3"),      QStringLiteral("locked.mp3"),
                                   QStringLiteral(".mine.mp3"),     QStringLiteral(".theirs.mp3"),
                                   QStringLiteral("private/p.mp3"), QStringLiteral("noexec/n.mp3"),
                                   QStringLiteral("open/o.mp3")};
        for (const QString& file : files)
            QVERIFY(ebtest::writeFile(u + u'/' + file, "x"));
        const auto mode = [&u](const char* name, mode_t m) {
            return ::chmod(QFile::encodeName(u + u'/' + QLatin1String(name)).constData(), m) == 0;
        };
        QVERIFY(mode("locked.mp3", 0));      // cannot be opened
        QVERIFY(mode("private", 0700));      // cannot be listed
        QVERIFY(mode("noexec", 0744));       // can be read but not searched
        QVERIFY(mode(".theirs.mp3", 0644));  // hidden and read-only for nobody: 35
        QCOMPARE(::chown(QFile::encodeName(u + QStringLiteral("/.mine.mp3")).constData(), nobody_,
                         nogroup_),
                 0);  // hidden and writable for nobody: 34

        QCOMPARE(probe({QStringLiteral("collect"), u}, u),
                 QStringList({QString(), QStringLiteral("open/")}));
        // A file nobody may not read is still there: "Add All", a dropped folder and the
        // samples' listing take it (its conversion then fails with the reason).
        const QStringList taken = {QStringLiteral(".theirs.mp3"), QStringLiteral("locked.mp3"),
                                   QStringLiteral("open.mp3"), QStringLiteral("open/o.mp3")};
        QCOMPARE(probe({QStringLiteral("scan"), u, QStringLiteral("*.mp3")}, u), taken);
        QCOMPARE(probe({QStringLiteral("scan"), u, QStringLiteral("*")}, u), taken);
        QCOMPARE(probe({QStringLiteral("list"), u, QStringLiteral("*")}, u),
                 QStringList({QStringLiteral(".mine.mp3"), QStringLiteral(".theirs.mp3"),
                              QStringLiteral("locked.mp3"), QStringLiteral("open.mp3")}));
    }

    // The batch as nobody over a folder with a file nobody may not read: the readable one is
    // converted, the other fails with the reason and is named in the summary.
    void unreadableFileFailsInTheBatch() {
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        if (probe({QStringLiteral("collect"), dir.path()}, dir.path()) != QStringList{QString()})
            QSKIP("the scratch folder is not reachable for nobody");
        const QString in = dir.filePath(QStringLiteral("in"));
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
        QVERIFY(::chmod(QFile::encodeName(out).constData(), 0777) == 0);
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/a.mp3")));
        QVERIFY(ebtest::makeToneMp3(in + QStringLiteral("/b.mp3")));
        QVERIFY(::chmod(QFile::encodeName(in + QStringLiteral("/b.mp3")).constData(), 0) == 0);
        QByteArray err;
        const int code = ebtest::run(
            setpriv_,
            {QStringLiteral("--reuid=%1").arg(nobody_), QStringLiteral("--regid=%1").arg(nogroup_),
             QStringLiteral("--clear-groups"), QStringLiteral("env"), QStringLiteral("TEMP=") + out,
             QStringLiteral("HOME=") + out, QStringLiteral("XDG_CONFIG_HOME=") + out,
             ebtest::cliProgram(), QStringLiteral("--quiet"), QStringLiteral("--out"), out, in},
            nullptr, &err);
        const QString text = QString::fromLocal8Bit(err);
        QVERIFY2(code == 1, qPrintable(text));
        QVERIFY(QFileInfo(out + QStringLiteral("/a.mp3")).size() > 0);
        QVERIFY(!QFile::exists(out + QStringLiteral("/b.mp3")));
        QVERIFY2(text.contains(QStringLiteral("1 of 2 files failed:\n  ") + in +
                               QStringLiteral("/b.mp3: ")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Permission denied")), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestScanPermissions)
#include "tst_scanpermissions.moc"
