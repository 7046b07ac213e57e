#include "core/appinfo.h"
#include "core/steps.h"

#include <QtTest>

using namespace eb;

namespace {
struct Recorder : ErrorReporter {
    QStringList reports;
    void ReportUnexpectedError(const QString& label, int line,
                               const QString& description) override {
        reports << ComposeErrorReport(label, line, description);
    }
};
}  // namespace

class TestSteps : public QObject {
    Q_OBJECT
private slots:
    void reportTextHasTheExactLayout() {
        const QString text = ComposeErrorReport(HandlerLabel(QStringLiteral("PushButton2_Click")),
                                                156, QStringLiteral("File not found"));
        QCOMPARE(text,
                 QStringLiteral("File not found\r\nin Rendula2016/11/03.Form1.PushButton2_Click "
                                "at line 156\r\rPlease email screenshot of this message to ") +
                     QStringLiteral(ECHOBATCH_SUPPORT_EMAIL));
    }

    void stepsAfterAFailureStillRun() {
        Recorder rec;
        StepRunner steps(rec, QStringLiteral("Form_Load"));
        QStringList done;
        QVERIFY(!steps.step(100, [&] { throw StepError(QStringLiteral("skin broken")); }));
        QVERIFY(steps.step(104, [&] { done << QStringLiteral("caption"); }));
        QVERIFY(!steps.step(104, [&] { throw std::runtime_error("icon"); }));
        QVERIFY(steps.step(104, [&] { done << QStringLiteral("title"); }));
        QCOMPARE(done, QStringList({QStringLiteral("caption"), QStringLiteral("title")}));
        QCOMPARE(steps.failures(), 2);
        QCOMPARE(rec.reports.size(), 2);
        QVERIFY(rec.reports[0].startsWith(
            QStringLiteral("skin broken\r\nin Rendula2016/11/03.Form1.Form_Load at line 100\r\r")));
        QVERIFY(rec.reports[1].startsWith(QStringLiteral("icon\r\n")));
        QVERIFY(rec.reports[1].contains(QStringLiteral("at line 104\r\r")));
    }

    void applicationTitleDropsWordsToFortyCharacters() {
        QCOMPARE(AppTitleFrom(ProductName()),
                 QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
        QCOMPARE(AppTitleFrom(ProductName()).size(), 37);
        QCOMPARE(AppTitleFrom(QStringLiteral("short name")), QStringLiteral("short"));
        QCOMPARE(AppTitleFrom(QString(30, u'a') + u' ' + QString(30, u'b') + QStringLiteral(" c")),
                 QString(30, u'a'));
        SetAppTitle();
        QCOMPARE(AppTitle(), QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
    }
};

QTEST_GUILESS_MAIN(TestSteps)
#include "tst_steps.moc"
