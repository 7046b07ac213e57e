// The adders' building blocks and the file dialog's result forms.
#include <QtTest>
#include "core/prompter.h"
#include "filelist/listadmission.h"
#include "support/testsupport.h"

using namespace eb;

class TestListAdmission : public QObject {
    Q_OBJECT
private slots:
    void rootSeparatorFix_data() {
        QTest::addColumn<QString>("joined");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("root join") << "//song.mp3"
                                   << "/song.mp3";
        QTest::newRow("built from the root further up") << "//music//a/b.mp3"
                                                        << "/music/a/b.mp3";
        QTest::newRow("ordinary path untouched") << "/home/me/a.mp3"
                                                 << "/home/me/a.mp3";
        QTest::newRow("folder with final separator") << "/home/me//a.mp3"
                                                     << "/home/me/a.mp3";
    }
    void rootSeparatorFix() {
        QFETCH(QString, joined);
        QFETCH(QString, fixed);
        QCOMPARE(FixRootSeparator(joined), fixed);
    }

    void attributeTestAndTilde() {
        QVERIFY(!PassesAttributeTest(34));            // hidden + archive only
        QVERIFY(PassesAttributeTest(35));             // read-only too
        QVERIFY(PassesAttributeTest(2));              // hidden alone
        QVERIFY(PassesAttributeTest(32));             // a plain file
        QVERIFY(PassesAttributeTest(2 + 32 + 1024));  // a hidden link
        QVERIFY(NameStartsWithTilde(QStringLiteral("~lock.mp3")));
        QVERIFY(!NameStartsWithTilde(QStringLiteral("a~b.mp3")));
        QVERIFY(!NameStartsWithTilde(QString()));
    }

    void selectionResultForms() {
        const QString nul(QChar(u'\0'));
        QCOMPARE(SelectionResult(QStringLiteral("/m"), {"a.mp3"}, ebtest::kDialogResultCapacity),
                 QStringLiteral("/m/a.mp3"));
        QCOMPARE(SelectionResult(QStringLiteral("/"), {"a.mp3"}, ebtest::kDialogResultCapacity),
                 QStringLiteral("/a.mp3"));
        QCOMPARE(
            SelectionResult(QStringLiteral("/m"), {"a.mp3", "b.mp3"},
                            ebtest::kDialogResultCapacity),
            QStringLiteral("/m") + nul + QStringLiteral("a.mp3") + nul + QStringLiteral("b.mp3"));
        QCOMPARE(SelectionResult(QStringLiteral("/m"), {}, ebtest::kDialogResultCapacity),
                 QString());
        QCOMPARE(SelectionResult(QStringLiteral("/m"), {"a", "b"}, 6).size(), 6);
        QVERIFY_THROWS_EXCEPTION(SelectionTooLarge,
                                 SelectionResult(QStringLiteral("/m"), {"a", "b"}, 5));
    }
};

QTEST_GUILESS_MAIN(TestListAdmission)
#include "tst_listadmission.moc"
