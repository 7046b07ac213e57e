#include "shell/appinfo.h"
#include "shell/settingsstore.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace eb;

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QFile::remove(SettingsStore::fileName()); }

    void storeLivesInTheUsersConfigFolder() {
        QCOMPARE(SettingsStore::fileName(),
                 qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quenforth/Quenforth.ini"));
    }

    void absentKeyGivesTheFallback() {
        QVERIFY(!SettingsStore::contains(QString::fromLatin1(keys::kText2)));
        QCOMPARE(SettingsStore::read(QString::fromLatin1(keys::kText2), QStringLiteral("0.8")),
                 QStringLiteral("0.8"));
    }

    void valuesRoundTripUnchanged() {
        const QStringList values{QStringLiteral("  0.5 "), QString(), QStringLiteral("abc"),
                                 QStringLiteral("/home/ü ser/Desktop/"), QStringLiteral("a;b=c,d")};
        for (const QString& v : values) {
            SettingsStore::write(QString::fromLatin1(keys::kOutputFolder), v);
            QCOMPARE(SettingsStore::read(QString::fromLatin1(keys::kOutputFolder), QStringLiteral("x")), v);
        }
        QVERIFY(SettingsStore::contains(QString::fromLatin1(keys::kOutputFolder)));
    }

    void fileHoldsTheSectionAndKeys() {
        SettingsStore::write(QString::fromLatin1(keys::kText4), QStringLiteral("63"));
        const QByteArray ini = ebtest::readFile(SettingsStore::fileName());
        QVERIFY2(ini.contains("[Tolvane%20Zemmik%20Oruth%20Vask%20Pellory%20Qub%20Ambrotic]"), ini);
        QVERIFY2(ini.contains("Text4=63"), ini);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
