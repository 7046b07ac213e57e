// The adders' building blocks, the list's model and the file dialog's result forms.
#include <QtTest>
#include "core/prompter.h"
#include "filelist/filelistmodel.h"
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

    // One edit of the list a, b (converted, "clipped"), c (failed, "no frames"), d: the entries
    // left, each with its result's reason after a "*", and whether a new generation began.
    void listModelEdits_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("changed");
        const QString b = QStringLiteral("b*clipped"), c = QStringLiteral("c*no frames");
        QTest::newRow("first to last") << "move 0 3" << QStringList{b, c, "d", "a"} << true;
        QTest::newRow("last to first") << "move 3 0" << QStringList{"d", "a", b, c} << true;
        QTest::newRow("onto itself") << "move 2 2" << QStringList{"a", b, c, "d"} << false;
        QTest::newRow("past the end") << "move 3 4" << QStringList{"a", b, c, "d"} << false;
        QTest::newRow("remove takes its result") << "remove 1" << QStringList{"a", c, "d"} << true;
        QTest::newRow("remove the last") << "remove 3" << QStringList{"a", b, c} << true;
        QTest::newRow("remove past the end") << "remove 4" << QStringList{"a", b, c, "d"} << false;
        QTest::newRow("insert first") << "insert 0" << QStringList{"e", "a", b, c, "d"} << true;
        QTest::newRow("append") << "append" << QStringList{"a", b, c, "d", "e"} << true;
        QTest::newRow("clear") << "clear" << QStringList{} << true;
        QTest::newRow("results of a new batch")
            << "results" << QStringList{"a", "b", "c", "d"} << false;
    }
    void listModelEdits() {
        QFETCH(QString, edit);
        FileListModel list;
        list.append({"a", "b", "c", "d"}, QStringLiteral("/music"));
        list.setResult(1, EntryResult::Converted, QStringLiteral("clipped"));
        list.setResult(2, EntryResult::Failed, QStringLiteral("no frames"));
        const quint64 before = list.generation();
        const QStringList words = edit.split(u' ');
        const int at = words.value(1).toInt();
        if (words[0] == QLatin1String("move"))
            list.move(at, words.value(2).toInt());
        else if (words[0] == QLatin1String("remove"))
            list.remove(at);
        else if (words[0] == QLatin1String("insert"))
            list.insert(at, QStringLiteral("e"));
        else if (words[0] == QLatin1String("append"))
            list.append({QStringLiteral("e")});
        else if (words[0] == QLatin1String("clear"))
            list.clear();
        else
            list.clearResults();
        QStringList left;
        for (int i = 0; i < list.count(); ++i) {
            const FileEntry& entry = list.entry(i);
            left << entry.path +
                        (entry.result == EntryResult::None ? QString() : u'*' + entry.reason);
            QCOMPARE(list.data(list.index(i), Qt::DisplayRole).toString(), entry.path);
        }
        QTEST(left, "left");
        QTEST(list.generation() != before, "changed");
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
