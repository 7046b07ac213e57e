// "Add MP3 File(s)": the dialog's result forms, the overflow, and the error report.
#include "core/settingsstore.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QPushButton>
#include <QtTest>

using namespace eb;
using ebtest::rows;

namespace {
// A prompter whose dialog fails with an error other than the overflow.
struct FailingDialog : ebtest::ScriptedPrompter {
    int failures = 1;
    QString openFiles(const QString& title, const QString& filter, int capacity) override {
        if (failures-- > 0)
            throw StepError(QStringLiteral("Unable to open the dialog"));
        return ScriptedPrompter::openFiles(title, filter, capacity);
    }
};
}  // namespace

class TestForm1AddFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QFile::remove(SettingsStore::fileName()); }

    void resultFormsBecomeRows_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one file, unchanged")
            << QStringLiteral("/home/me/Music") << QStringList{"Live.Set.mp3"}
            << QStringList{"/home/me/Music/Live.Set.mp3"};
        QTest::newRow("several, in dialog order")
            << QStringLiteral("/home/me/Music") << QStringList{"b.mp3", "a b.MP3", "ü.mp3"}
            << QStringList{"/home/me/Music/b.mp3", "/home/me/Music/a b.MP3",
                           "/home/me/Music/ü.mp3"};
        QTest::newRow("several in the root") << QStringLiteral("/") << QStringList{"x.mp3", "y.mp3"}
                                             << QStringList{"/x.mp3", "/y.mp3"};
        QTest::newRow("one in the root")
            << QStringLiteral("/") << QStringList{"x.mp3"} << QStringList{"/x.mp3"};
        QTest::newRow("doubled separator mended everywhere")
            << QStringLiteral("//mnt//share") << QStringList{"p.mp3", "q.mp3"}
            << QStringList{"/mnt/share/p.mp3", "/mnt/share/q.mp3"};
        QTest::newRow("the same file twice")
            << QStringLiteral("/m") << QStringList{"s.mp3", "s.mp3"}
            << QStringList{"/m/s.mp3", "/m/s.mp3"};
    }
    void resultFormsBecomeRows() {
        QFETCH(QString, folder);
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        prompter.fileChoices << ebtest::FileChoice{folder, names};
        QTest::mouseClick(form.controls().PushButton1, Qt::LeftButton);
        QCOMPARE(rows(form), expected);
        QCOMPARE(prompter.dialogTitles,
                 QStringList({"Add File(s) - Hold Ctrl to select multiple files"}));
        QCOMPARE(prompter.dialogFilters, QStringList({"MP3 File (*.mp3)|*.mp3|"}));
        QVERIFY(prompter.boxes.isEmpty());
    }

    void rowsAreAppendedToTheList() {
        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        prompter.fileChoices << ebtest::FileChoice{QStringLiteral("/a"), {"1.mp3"}}
                             << ebtest::FileChoice{QStringLiteral("/b"), {"2.mp3", "3.mp3"}};
        form.PushButton1_Click();
        form.PushButton1_Click();
        form.PushButton1_Click();  // cancelled: nothing more
        QCOMPARE(rows(form), QStringList({"/a/1.mp3", "/b/2.mp3", "/b/3.mp3"}));
        QVERIFY(prompter.boxes.isEmpty());
    }

    // The result form is the folder, then NUL + name per file; past 30000 characters nothing
    // of the selection is added, not even the names that would fit.
    void overflowAddsNothing_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("fits");
        // A folder of 8 characters, names of 99: each file adds 100 (NUL + name).
        QTest::newRow("299 files fit") << 299 << true;
        QTest::newRow("300 files overflow") << 300 << false;
    }
    void overflowAddsNothing() {
        QFETCH(int, files);
        QFETCH(bool, fits);
        const QString folder = QStringLiteral("/music/x");
        QStringList names;
        for (int i = 0; i < files; ++i)
            names << QStringLiteral("%1.mp3").arg(i, 95, 10, QLatin1Char('0'));
        QCOMPARE(folder.size() + files * (1 + names.front().size()) > ebtest::kDialogResultCapacity,
                 !fits);

        ebtest::ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(QStringLiteral("/before.mp3"));
        prompter.fileChoices << ebtest::FileChoice{folder, names};
        form.PushButton1_Click();
        if (fits) {
            QCOMPARE(form.entryCount(), 1 + files);
            QVERIFY(prompter.boxes.isEmpty());
            return;
        }
        QCOMPARE(rows(form), QStringList({"/before.mp3"}));
        QCOMPARE(prompter.boxes.size(), 1);
        QCOMPARE(prompter.boxes[0].text,
                 QStringLiteral("You've selected too many files to add.\r\rPlease try adding via "
                                "the \"Add All\" button."));
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::None);
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
    }

    // Any other failure of a step is reported with the handler's label and the step's line,
    // and the handler goes on; the next click works as usual.
    void otherDialogFailureIsReported() {
        FailingDialog prompter;
        Form1 form(&prompter);
        prompter.fileChoices << ebtest::FileChoice{QStringLiteral("/m"), {"a.mp3"}};
        form.PushButton1_Click();
        QCOMPARE(prompter.boxes.size(), 1);
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::Warning);
        QCOMPARE(prompter.boxes[0].text,
                 QStringLiteral("Unable to open the dialog\r\nin Rendula2016/11/03.Form1."
                                "PushButton1_Click at line 112\r\rPlease email screenshot of "
                                "this message to ") +
                     QStringLiteral(ECHOBATCH_SUPPORT_EMAIL));
        QCOMPARE(form.entryCount(), 0);
        form.PushButton1_Click();
        QCOMPARE(rows(form), QStringList({"/m/a.mp3"}));
        QCOMPARE(prompter.boxes.size(), 1);
    }
};

QTEST_MAIN(TestForm1AddFiles)
#include "tst_form1_addfiles.moc"
