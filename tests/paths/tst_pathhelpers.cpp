#include "core/steps.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"
#include "support/testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace eb;

class TestPathHelpers : public QObject {
    Q_OBJECT
private slots:
    // Names as bytes: valid UTF-8 passes, every other byte is kept and shown as "\xNN";
    // control characters are escaped only when asked (for a terminal).
    void pathBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("odd");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("onTerminal");
        const auto t = [](const char* text) { return QString::fromUtf8(text); };
        QTest::newRow("ascii") << QByteArray("a.mp3") << false << t("a.mp3") << t("a.mp3");
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9") << false << t("caf\u00e9")
                               << t("caf\u00e9");
        QTest::newRow("U+FFFD itself")
            << QByteArray("\xef\xbf\xbd") << false << t("\ufffd") << t("\ufffd");
        QTest::newRow("Latin-1") << QByteArray("Bj\xf6rk") << true << t("Bj\\xf6rk")
                                 << t("Bj\\xf6rk");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << true << t("\\xc0\\xaf")
                                  << t("\\xc0\\xaf");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << true << t("\\xed\\xa0\\x80") << t("\\xed\\xa0\\x80");
        QTest::newRow("cut short")
            << QByteArray("a\xe2\x82") << true << t("a\\xe2\\x82") << t("a\\xe2\\x82");
        QTest::newRow("pair ending in U+DC80") << QByteArray("\xf3\x81\xa2\x80") << false
                                               << t("\xf3\x81\xa2\x80") << t("\xf3\x81\xa2\x80");
        QTest::newRow("ESC and CR")
            << QByteArray("a\x1b[2J\rb") << false << t("a\x1b[2J\rb") << t("a\\x1b[2J\\x0db");
    }
    void pathBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, odd);
        QFETCH(QString, shown);
        QFETCH(QString, onTerminal);
        const QString text = DecodePathBytes(bytes);
        QCOMPARE(HasUndecodableBytes(text), odd);
        QCOMPARE(EscapedText(text, false), shown);
        QCOMPARE(EscapedText(text, true), onTerminal);
        if (!odd)
            QCOMPARE(text.toUtf8(), bytes);
    }

    void stripExtensionCutsFromTheLastDot_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "song.mp3"
                               << "song";
        QTest::newRow("several dots") << "a.b.mp3"
                                      << "a.b";
        QTest::newRow("tar.gz") << "archive.tar.gz"
                                << "archive.tar";
        QTest::newRow("only extension") << ".mp3"
                                        << "";
        QTest::newRow("hidden") << ".hidden"
                                << "";
        QTest::newRow("dot in folder counts") << "/x.y/name"
                                              << "/x";
        QTest::newRow("trailing dot") << "name."
                                      << "name";
    }
    void stripExtensionCutsFromTheLastDot() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(StripExtension(name), expected);
    }

    void stripExtensionRefusesTextsWithoutDot() {
        for (const QString& name : {QStringLiteral("noextension"), QString()}) {
            try {
                StripExtension(name);
                QFAIL("no error raised");
            } catch (const StepError& e) {
                QCOMPARE(e.description(), QString::fromLatin1(kInvalidArgument));
            }
        }
        QVERIFY_THROWS_EXCEPTION(StepError, StripExtension(QString(40000, u'a') + u'.'));
    }

    void fileNameOfTakesTheLastPart_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full") << "/music/song.mp3"
                              << "song.mp3";
        QTest::newRow("bare") << "file.mp3"
                              << "file.mp3";
        QTest::newRow("trailing slash") << "/a/b/"
                                        << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("backslash is no separator") << "C:\\a\\b.mp3"
                                                   << "C:\\a\\b.mp3";
        QTest::newRow("double slash") << "//name.mp3"
                                      << "name.mp3";
    }
    void fileNameOfTakesTheLastPart() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FileNameOf(path), expected);
    }

    void existenceAndFolderTests() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("f.mp3"));
        QVERIFY(ebtest::writeFile(file, "x"));

        QVERIFY(FileExists(file));
        QVERIFY(!FileExists(dir.filePath(QStringLiteral("missing.mp3"))));
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(QString::fromLatin1("/tmp/a\0b", 8)));

        QVERIFY(IsFolder(dir.path()));
        QVERIFY(IsFolder(dir.path() + u'/'));
        QVERIFY(IsFolder(QStringLiteral("/")));
        QVERIFY(IsFolder(QStringLiteral("//")));
        QVERIFY(!IsFolder(file));
        QVERIFY(!IsFolder(dir.filePath(QStringLiteral("missing"))));
        QVERIFY(!IsFolder(QString()));
    }

    void deleteFileQuietDeletesOnlyTheNamedFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a[1].mp3"));
        const QString lookalike = dir.filePath(QStringLiteral("a1.mp3"));
        QVERIFY(ebtest::writeFile(file, "x"));
        QVERIFY(ebtest::writeFile(lookalike, "y"));

        DeleteFileQuiet(dir.filePath(QStringLiteral("a?.mp3")));  // no wildcards
        QVERIFY(QFile::exists(file) && QFile::exists(lookalike));
        DeleteFileQuiet(file);
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFile::exists(lookalike));

        // Missing files, folders and empty paths pass silently and change nothing.
        DeleteFileQuiet(file);
        DeleteFileQuiet(QString());
        DeleteFileQuiet(dir.path());
        QVERIFY(QFileInfo(dir.path()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
