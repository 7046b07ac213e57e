#include "options/echooptions.h"

#include <QtTest>

using namespace eb;

class TestEchoOptions : public QObject {
    Q_OBJECT
private slots:
    void numericTest_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        for (const char* ok : {"0.8", ".5", "-3", "63", "1e2", "+2", "5.", "-0", "1E-3", "0.45",
                               "1e308", "5000", "000.100"})
            QTest::newRow(ok) << QString::fromLatin1(ok) << true;
        for (const char* bad : {"", "abc", "0.8x", "0,8", " 0.5", "0.5 ", "0x10", "1e", "e5", ".",
                                "-", "+-1", "1.2.3", "1e2.5", "inf", "nan", "1 000", "$5", "--1"})
            QTest::newRow(bad[0] ? bad : "empty") << QString::fromLatin1(bad) << false;
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0663") << false;
        QTest::newRow("fullwidth digit") << QStringLiteral("\uFF11") << false;
    }
    void numericTest() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(IsNumericText(text), accepted);
    }

    void defaultsAreTheWrittenTexts() {
        const EchoTexts d = DefaultEchoTexts();
        QCOMPARE(d.gainIn, QStringLiteral("0.8"));
        QCOMPARE(d.gainOut, QStringLiteral("0.7"));
        QCOMPARE(d.delay, QStringLiteral("63"));
        QCOMPARE(d.decay, QStringLiteral("0.3"));
        QVERIFY(CheckEchoTexts(d).isEmpty());
    }

    void checkNamesEveryFailingFieldByLabel() {
        EchoTexts t = DefaultEchoTexts();
        t.gainIn = QStringLiteral("abc");
        t.decay = QStringLiteral("0,3");
        const QString message = CheckEchoTexts(t);
        QVERIFY(message.startsWith(QStringLiteral("Numeric value required.")));
        QVERIFY(message.contains(QStringLiteral("Gain-In: abc")));
        QVERIFY(message.contains(QStringLiteral("Decay: 0,3")));
        QVERIFY(!message.contains(QStringLiteral("Delay:")));
    }
};

QTEST_GUILESS_MAIN(TestEchoOptions)
#include "tst_echooptions.moc"
