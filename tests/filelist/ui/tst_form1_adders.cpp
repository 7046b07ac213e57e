// "Add All MP3 File(s) In Folder" and "Load Sample/Example Files" on real folders.
#include "core/settingsstore.h"
#include "support/widgetsupport.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace eb;
using namespace ebtest;

namespace {
const QString kQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

QString report(int line, const QString& description) {
    return ComposeErrorReport(HandlerLabel(QStringLiteral("PushButton3_Click")), line, description);
}
}  // namespace

class TestForm1Adders : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString music_;

private slots:
    void initTestCase() {
        QFile::remove(SettingsStore::fileName());
        music_ = dir_.filePath(QStringLiteral("music"));
        QVERIFY(makeTree(music_, {"a.mp3", "B.MP3", "c.wav", "~lock.mp3", ".hidden.mp3",
                                  "track10.mp3", "track2.mp3", "sub1/x.mp3", "sub1/deep/z.mp3",
                                  "sub2/y.Mp3", "sub2/notes.txt", ".hid/w.mp3", "empty/"}));
        // Neither a FIFO nor a link to nothing is a file that can be opened.
        QCOMPARE(mkfifo(QFile::encodeName(music_ + "/pipe.mp3").constData(), 0644), 0);
        QVERIFY(QFile::link(music_ + "/gone.wav", music_ + "/dead.mp3"));
    }

    // Breadth-first: the chosen folder's files, then those one level down, then two; within a
    // folder as a file manager sorts them. Any case of ".mp3"; no "~" names, no plain hidden
    // files, nothing that cannot be opened. Nothing is said.
    void addAllTakesTheMp3FilesOfTheTree() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(QStringLiteral("/before.mp3"));
        prompter.folderChoices << music_;
        QTest::mouseClick(form.controls().PushButton3, Qt::LeftButton);
        const QStringList tree =
            under(music_, {"a.mp3", "B.MP3", "track2.mp3", "track10.mp3", ".hid/w.mp3",
                           "sub1/x.mp3", "sub2/y.Mp3", "sub1/deep/z.mp3"});
        QCOMPARE(rows(form), QStringList{"/before.mp3"} + tree);
        QCOMPARE(prompter.folderPrompts, QStringList{"Please select folder:"});
        QVERIFY(prompter.boxes.isEmpty());

        // A second add takes every file again, after the rows already there.
        prompter.folderChoices << music_ + "/sub1";
        form.PushButton3_Click();
        QCOMPARE(rows(form), QStringList{"/before.mp3"} + tree +
                                 under(music_, {"sub1/x.mp3", "sub1/deep/z.mp3"}));
    }

    void cancelChangesNothing() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.addEntry(QStringLiteral("/kept.mp3"));
        form.setPointerState(PointerState::Custom);
        form.PushButton3_Click();  // no folder chosen
        QCOMPARE(rows(form), QStringList{"/kept.mp3"});
        QCOMPARE(form.pointerState(), PointerState::Custom);
        QCOMPARE(prompter.folderPrompts.size(), 1);
        QVERIFY(prompter.boxes.isEmpty());
    }

    // The scan serves the event queue with the busy pointer shown; afterwards the pointer is
    // the ordinary one again, whatever it was before (the hand over the button).
    void busyPointerDuringTheScan() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.setPointerState(PointerState::Custom);
        PointerProbe probe(form, &form);
        prompter.folderChoices << music_;
        form.PushButton3_Click();
        QCOMPARE(probe.seen, std::optional(PointerState::Busy));
        QCOMPARE(probe.shape, Qt::WaitCursor);
        QCOMPARE(probe.rowsSeen, 0);  // the rows come in one go after the scan
        QCOMPARE(form.entryCount(), 8);
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }

    // The add ends with the default pointer even when the busy one showed before it (a batch
    // that ended during the scan); the picker starts at the desktop folder.
    void addEndsWithTheDefaultPointer() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.setPointerState(PointerState::Busy);
        prompter.folderChoices << music_ + "/sub2";
        form.PushButton3_Click();
        QCOMPARE(rows(form), under(music_, {"sub2/y.Mp3"}));
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(prompter.folderStarts,
                 QStringList{QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)});
    }

    // A folder that vanishes while the tree is collected: the report names step 116, the files
    // of the folders collected before are still added, and the pointer is restored.
    void scanFailureIsReportedAndTheRestAdded() {
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        VanishingTree tree(form, QStringLiteral(".mp3"));
        QVERIFY(tree.ready());
        prompter.folderChoices << tree.root;
        form.PushButton3_Click();
        QVERIFY(tree.vanish->deleted);
        QCOMPARE(prompter.texts(), QStringList{report(116, "Path not found")});
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(rows(form), tree.survivors);
        QCOMPARE(form.pointerState(), PointerState::Default);

        // A chosen folder that is gone by the time it is scanned: reported, nothing added.
        prompter.folderChoices << tree.root + "/C";
        QVERIFY(QDir(tree.root + "/C").removeRecursively());
        form.PushButton3_Click();
        QCOMPARE(prompter.texts().size(), 2);
        QCOMPARE(prompter.texts()[1], report(116, "Path not found"));
        QCOMPARE(form.entryCount(), 4);
        QCOMPARE(form.pointerState(), PointerState::Default);
    }

    // Closing the window while the folders are collected ends the scan at its next yield:
    // nothing is added and no report is shown, so the program can end at once.
    void closingTheWindowEndsTheScan() {
        QTemporaryDir tmp;
        const QString a = tmp.filePath("A");
        QVERIFY(makeTree(a, {"a.mp3", "B/b.mp3", "B/D/d.mp3", "C/c.mp3"}));
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        form.show();
        form.setScanYieldInterval(0);
        prompter.folderChoices << a;
        QTimer::singleShot(0, &form, &QWidget::close);
        form.PushButton3_Click();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.entryCount(), 0);
        QVERIFY2(prompter.boxes.isEmpty(), qPrintable(prompter.texts().join(u'|')));
    }

    // Every file directly in "Samples" ("~" and hidden names too, no subfolder), then the
    // question; No opens nothing, and a second press adds every sample again.
    void samplesTwiceWithNo() {
        QTemporaryDir program;
        const QString samples = program.filePath("Samples");
        QVERIFY(makeTree(samples, {"b.mp3", "a.mp3", "~x.mp3", ".hidden.mp3", "read me.txt",
                                   "more/inside.mp3"}));
        RecordingPrompter prompter;
        Form1 form(Form1Startup{program.path(), {}, {}}, &prompter);
        prompter.yesNoAnswers << false << false;
        form.PushButton5_Click();
        QTest::mouseClick(form.controls().PushButton5, Qt::LeftButton);
        const QStringList once =
            under(samples, {".hidden.mp3", "a.mp3", "b.mp3", "read me.txt", "~x.mp3"});
        QCOMPARE(rows(form), once + once);
        QCOMPARE(prompter.texts(), QStringList({kQuestion, kQuestion}));
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::None);
        QCOMPARE(prompter.boxes[0].title, QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
        QVERIFY(prompter.opened.isEmpty());
    }

    // Yes opens the samples' folder; a missing folder adds nothing but still asks.
    void samplesYesOpensTheFolder() {
        QTemporaryDir program;
        RecordingPrompter prompter;
        Form1 form(Form1Startup{program.path(), {}, {}}, &prompter);
        prompter.yesNoAnswers << true;
        form.PushButton5_Click();
        QCOMPARE(form.entryCount(), 0);
        QCOMPARE(prompter.texts(), QStringList{kQuestion});
        QCOMPARE(prompter.opened, QStringList{program.path() + "/Samples/"});
    }

    // The samples the build places beside the program.
    void shippedSamples() {
        const QString samples = binDir() + "/Samples";
        const QStringList names = QDir(samples).entryList(QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 3, qPrintable(samples));
        RecordingPrompter prompter;
        Form1 form(Form1Startup{binDir(), {}, {}}, &prompter);
        prompter.yesNoAnswers << false;
        form.PushButton5_Click();
        QCOMPARE(rows(form), under(samples, names));
    }

    // A file whose name is not UTF-8 cannot be listed by its name; the add names it, escaped.
    void oddNamesAreNamedAfterTheAdd() {
        QTemporaryDir dir;
        QVERIFY(makeTree(dir.path(), {"ok.mp3"}));
        const QByteArray odd = QFile::encodeName(dir.path()) + "/latin\xe9.mp3";
        const int fd = ::open(odd.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        ScriptedPrompter prompter;
        Form1 form(&prompter);
        prompter.folderChoices << dir.path();
        form.PushButton3_Click();
        ::unlink(odd.constData());
        QCOMPARE(rows(form), under(dir.path(), {"ok.mp3"}));
        QCOMPARE(prompter.boxes.size(), 1);
        QCOMPARE(prompter.boxes[0].icon, Prompter::Icon::Warning);
        QVERIFY2(
            prompter.boxes[0].text.startsWith(QStringLiteral("1 file(s) not added")) &&
                prompter.boxes[0].text.endsWith(dir.path() + QStringLiteral("/latin\\xe9.mp3")),
            qPrintable(prompter.boxes[0].text));
    }
};

QTEST_MAIN(TestForm1Adders)
#include "tst_form1_adders.moc"
