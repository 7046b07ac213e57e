#include "core/appinfo.h"
#include "core/settingsstore.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace eb;

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QFile::remove(SettingsStore::fileName()); }

    void storeLivesInTheUsersConfigFolder() {
        QCOMPARE(SettingsStore::fileName(), qEnvironmentVariable("XDG_CONFIG_HOME") +
                                                QStringLiteral("/Quenforth/Quenforth.ini"));
    }

    void absentKeyGivesTheFallback() {
        QVERIFY(!SettingsStore::contains(QString::fromLatin1(keys::kText2)));
        QCOMPARE(*SettingsStore::read(QString::fromLatin1(keys::kText2), QStringLiteral("0.8")),
                 QStringLiteral("0.8"));
    }

    void valuesRoundTripUnchanged() {
        const QStringList values{QStringLiteral("  0.5 "), QString(), QStringLiteral("abc"),
                                 QStringLiteral("/home/ü ser/Desktop/"), QStringLiteral("a;b=c,d")};
        for (const QString& v : values) {
            QVERIFY(SettingsStore::write(QString::fromLatin1(keys::kOutputFolder), v));
            QCOMPARE(
                *SettingsStore::read(QString::fromLatin1(keys::kOutputFolder), QStringLiteral("x")),
                v);
        }
        QVERIFY(SettingsStore::contains(QString::fromLatin1(keys::kOutputFolder)));
    }

    // Lines written by hand: QSettings reads an unquoted comma as a list separator; the text
    // comes back as it stands on the line (blanks around the whole value are not part of it).
    void handWrittenValuesReadBackAsWritten_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal comma") << QByteArray("Text2=0,8") << "0,8";
        QTest::newRow("comma and blank") << QByteArray("Text2 = a, b ") << "a, b";
        QTest::newRow("blanks before the comma") << QByteArray("Text2=a  ,  b") << "a  ,  b";
        QTest::newRow("trailing comma") << QByteArray("Text2=a,") << "a,";
        QTest::newRow("lone comma") << QByteArray("Text2=,") << ",";
        QTest::newRow("quoted part") << QByteArray("Text2=\"x, y\",z") << "x, y,z";
        QTest::newRow("escapes") << QByteArray("Text2=a\\tb,c\\\"d") << "a\tb,c\"d";
        QTest::newRow("key as written by hand")
            << QByteArray("Output Folder=/srv/a, b/") << "/srv/a, b/";
        QTest::newRow("no comma") << QByteArray("Text2= 0.5 ") << "0.5";
        QTest::newRow("quoted blanks") << QByteArray("Text2=\" 0,5 \"") << " 0,5 ";
        QTest::newRow("store over 1 MB") << "Text2=" + QByteArray(1 << 20, 'x') << "<unreadable>";
    }
    void handWrittenValuesReadBackAsWritten() {
        QFETCH(QByteArray, line);
        QFETCH(QString, text);
        const QByteArray key = line.left(line.indexOf('=')).trimmed();
        QVERIFY(ebtest::writeFile(SettingsStore::fileName(),
                                  "[General]\nText2=elsewhere, not this\n"
                                  "[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]\n"
                                  "Text3=x\n" +
                                      line + "\n"));
        QCOMPARE(SettingsStore::read(QString::fromLatin1(key), "<absent>").valueOr("<unreadable>"),
                 text);
    }

    void fileHoldsTheSectionAndKeys() {
        QFile::remove(SettingsStore::fileName());
        QVERIFY(SettingsStore::write(QString::fromLatin1(keys::kText4), QStringLiteral("63")));
        const QByteArray ini = ebtest::readFile(SettingsStore::fileName());
        QVERIFY2(ini.contains("[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]"), ini);
        QVERIFY2(ini.contains("Text4=63"), ini);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
