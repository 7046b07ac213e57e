#include "options/echooptions.h"

#include <QtTest>

using namespace eb;

class TestEchoOptions : public QObject {
    Q_OBJECT
private slots:
    // A number's `ranges`: per field (Gain-In, Gain-Out, Delay, Decay) whether SoX's echos
    // takes it at 8 and 48 kHz, as tried with the real tool ("y") or refuses it ("n").
    void numericTest_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("ranges");
        for (const auto& [ok, ranges] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"0.8", "yyyy"},     {".5", "yyyy"},         {"-3", "nnnn"},
                 {"63", "nyyn"},      {"1e2", "nyyn"},        {"+2", "nyyn"},
                 {"5.", "nyyn"},      {"-0", "yyny"},         {"1E-3", "yyny"},
                 {"0.45", "yyyy"},    {"1e308", "nynn"},      {"5000", "nyyn"},
                 {"000.100", "yyny"}, {"0", "yyny"},          {"1", "yyyy"},
                 {"0.125", "yyyy"},   {"0.124", "yyny"},      {"53333", "nyyn"},
                 {"53334", "nynn"},   {"1.00000005", "yyyy"}, {"1.0000001", "nyyn"},
                 {"-1e-50", "yyny"},  {"1e39", "nynn"},       {"1e-400", "yyny"}})
            QTest::newRow(ok) << QString::fromLatin1(ok) << true << QString::fromLatin1(ranges);
        for (const char* bad : {"", "abc", "0.8x", "0,8", " 0.5", "0.5 ", "0x10", "1e", "e5", ".",
                                "-", "+-1", "1.2.3", "1e2.5", "inf", "nan", "1 000", "$5", "--1"})
            QTest::newRow(bad[0] ? bad : "empty") << QString::fromLatin1(bad) << false << QString();
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0663") << false << QString();
        QTest::newRow("fullwidth digit") << QStringLiteral("\uFF11") << false << QString();
    }
    void numericTest() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, ranges);
        QCOMPARE(IsNumericText(text), accepted);
        for (std::size_t k = 0; k < static_cast<std::size_t>(ranges.size()); ++k)
            QVERIFY2(IsInEchoRange(k, text) == (ranges[k] == u'y'), kEchoFields[k].label);
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
        t.delay = QStringLiteral("0");
        t.gainOut = QStringLiteral("-1");
        QVERIFY(CheckEchoTexts(t).endsWith(
            QStringLiteral("Decay: 0,3\nValue out of range.\nGain-Out: -1 (at least 0)\n"
                           "Delay: 0 (from 0.125 to 53333)")));
    }
};

QTEST_GUILESS_MAIN(TestEchoOptions)
#include "tst_echooptions.moc"
