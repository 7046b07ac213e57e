// Editing the list: Delete and double-click remove the selected entry unless busy, "Clear
// List", the reorder gesture with real mouse events, its scroll rule, and a batch during which
// the list is cleared or an entry is moved.
#include "core/settingsstore.h"
#include "filelist/listediting.h"
#include "shell/captionbar.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace eb;
using ebtest::rows;

namespace {
QString selectedText(const Form1& form) {
    const QModelIndexList s = form.controls().ListView1->selectionModel()->selectedRows();
    return s.isEmpty() ? QString() : s.first().data().toString();
}

// The centre of entry `index` (1-based) in the list's entry area.
QPoint entryCentre(const Form1& form, int index) {
    return form.controls().ListView1->visualRect(ebtest::entryIndex(form, index)).center();
}

void mouse(Form1& form, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QWidget* area = form.controls().ListView1->viewport();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(area->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(area, &event);
}

// Press on entry `from`, pass over the entries in `over` with the button held, release.
void dragAcross(Form1& form, int from, const QList<int>& over) {
    mouse(form, QEvent::MouseButtonPress, entryCentre(form, from), Qt::LeftButton);
    for (int index : over)
        mouse(form, QEvent::MouseMove, entryCentre(form, index), Qt::LeftButton);
    const QPoint last = entryCentre(form, over.isEmpty() ? from : over.last());
    mouse(form, QEvent::MouseButtonRelease, last, Qt::NoButton);
}
}  // namespace

class TestForm1ListEditing : public QObject {
    Q_OBJECT
    ebtest::ProgramFolder folder_;
    QTemporaryDir scratch_;
    ebtest::ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;

    void fill(int count) {
        for (int i = 1; i <= count; ++i)
            form_->addEntry(QStringLiteral("/music/e%1.mp3").arg(i));
    }
    void select(int index) {
        form_->controls().ListView1->setCurrentIndex(ebtest::entryIndex(*form_, index));
    }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        QFile::remove(SettingsStore::fileName());
        QVERIFY(folder_.copyData(QStringLiteral("drag.ico")));
    }
    void init() { QVERIFY(ebtest::OpenWindow(form_, prompter_, folder_.startup())); }
    void cleanup() {
        form_.reset();
        qunsetenv("ECHOBATCH_SOX");
    }

    // The Delete key removes the selected entry whatever the modifiers; others keys do nothing.
    void deleteKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("left");
        const QStringList without3{"/music/e1.mp3", "/music/e2.mp3", "/music/e4.mp3",
                                   "/music/e5.mp3"};
        const QStringList all{"/music/e1.mp3", "/music/e2.mp3", "/music/e3.mp3", "/music/e4.mp3",
                              "/music/e5.mp3"};
        QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << without3;
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << without3;
        QTest::newRow("Ctrl+Alt+Delete")
            << int(Qt::Key_Delete) << int(Qt::ControlModifier | Qt::AltModifier) << without3;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << all;
        QTest::newRow("D") << int(Qt::Key_D) << int(Qt::NoModifier) << all;
    }
    void deleteKey() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, left);
        fill(5);
        select(3);
        form_->controls().ListView1->setFocus();
        QTest::keyClick(form_->controls().ListView1, Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QCOMPARE(rows(*form_), left);
        QVERIFY(prompter_.boxes.isEmpty());
    }

    void removalIsRefused_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("selected");
        QTest::newRow("Delete while busy") << false << true << true;
        QTest::newRow("double-click while busy") << true << true << true;
        QTest::newRow("Delete with nothing selected") << false << false << false;
        QTest::newRow("double-click with nothing selected") << true << false << false;
    }
    void removalIsRefused() {
        QFETCH(bool, doubleClick);
        QFETCH(bool, busy);
        QFETCH(bool, selected);
        fill(3);
        if (selected)
            select(2);
        if (busy)
            form_->setPointerState(PointerState::Busy);
        if (doubleClick)
            form_->ListView1_DblClick();
        else
            form_->ListView1_KeyDown(Qt::Key_Delete);
        QCOMPARE(form_->entryCount(), 3);
        QVERIFY(prompter_.boxes.isEmpty());
    }

    void removalOnAnEmptyList() {
        form_->ListView1_KeyDown(Qt::Key_Delete);
        form_->ListView1_DblClick();
        QCOMPARE(form_->entryCount(), 0);
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // A real double-click on an entry removes that entry and only that one; below the rows, the
    // selected entry, which the first click there leaves selected.
    void doubleClickRemovesTheClickedEntry() {
        fill(4);
        const QWidget* area = form_->controls().ListView1->viewport();
        for (const QPoint& at : {entryCentre(*form_, 2), QPoint(20, area->height() - 4)}) {
            select(2);  // e2, then e3
            // As Qt delivers a double-click: press, release, press, double-click, release.
            mouse(*form_, QEvent::MouseButtonPress, at, Qt::LeftButton);
            mouse(*form_, QEvent::MouseButtonRelease, at, Qt::NoButton);
            mouse(*form_, QEvent::MouseButtonPress, at, Qt::LeftButton);
            mouse(*form_, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
            mouse(*form_, QEvent::MouseButtonRelease, at, Qt::NoButton);
        }
        QCOMPARE(rows(*form_), QStringList({"/music/e1.mp3", "/music/e4.mp3"}));
        QVERIFY(prompter_.boxes.isEmpty());
    }

    void clearList_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("busy");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("three") << 3 << false;
        QTest::newRow("three while busy") << 3 << true;
    }
    void clearList() {
        QFETCH(int, count);
        QFETCH(bool, busy);
        fill(count);
        if (busy)
            form_->setPointerState(PointerState::Busy);
        QTest::mouseClick(form_->controls().PushButton4, Qt::LeftButton);
        QCOMPARE(form_->entryCount(), 0);
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // Entry 1 pressed and carried down across 2 and 3: 2, 3, 1, with the moved path selected
    // as entry 3. The list shows "drag.ico" during the gesture and the arrow after it.
    void reorderCarriesTheEntryDown() {
        fill(5);
        const QCursor before = form_->controls().ListView1->viewport()->cursor();
        mouse(*form_, QEvent::MouseButtonPress, entryCentre(*form_, 1), Qt::LeftButton);
        QVERIFY(form_->listDrag().Dragging);
        QCOMPARE(form_->listDrag().DragItem.row(), 0);
        QCOMPARE(form_->controls().ListView1->viewport()->cursor().shape(), Qt::BitmapCursor);
        QVERIFY(!form_->controls().ListView1->dragEnabled());
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 1), Qt::LeftButton);  // itself
        QCOMPARE(form_->entryText(1), QStringLiteral("/music/e1.mp3"));
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 2), Qt::LeftButton);
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 3), Qt::LeftButton);
        QVERIFY(!form_->listDrag().HitItem.isValid());  // cleared after each step
        mouse(*form_, QEvent::MouseButtonRelease, entryCentre(*form_, 3), Qt::NoButton);

        QCOMPARE(rows(*form_), QStringList({"/music/e2.mp3", "/music/e3.mp3", "/music/e1.mp3",
                                            "/music/e4.mp3", "/music/e5.mp3"}));
        QCOMPARE(selectedText(*form_), QStringLiteral("/music/e1.mp3"));
        QCOMPARE(form_->controls().ListView1->currentIndex().row(), 2);
        QCOMPARE(form_->listDrag().DragItem.row(), 2);  // kept after the release
        QVERIFY(!form_->listDrag().Dragging);
        QCOMPARE(form_->controls().ListView1->viewport()->cursor().shape(), Qt::ArrowCursor);
        Q_UNUSED(before);
    }

    void reorderUpAndBack() {
        fill(4);
        dragAcross(*form_, 4, {3, 2});
        QCOMPARE(rows(*form_),
                 QStringList({"/music/e1.mp3", "/music/e4.mp3", "/music/e2.mp3", "/music/e3.mp3"}));
        dragAcross(*form_, 2, {3, 4});
        QCOMPARE(rows(*form_),
                 QStringList({"/music/e1.mp3", "/music/e2.mp3", "/music/e3.mp3", "/music/e4.mp3"}));
    }

    // Moving without a button only resets the window's pointer (unless busy); equal texts
    // never swap.
    void movesWithoutTheButton() {
        fill(3);
        form_->setPointerState(PointerState::Custom);
        mouse(*form_, QEvent::MouseButtonPress, entryCentre(*form_, 1), Qt::LeftButton);
        mouse(*form_, QEvent::MouseButtonRelease, entryCentre(*form_, 1), Qt::NoButton);
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 3), Qt::NoButton);
        QCOMPARE(rows(*form_), QStringList({"/music/e1.mp3", "/music/e2.mp3", "/music/e3.mp3"}));
        QCOMPARE(form_->pointerState(), PointerState::Default);
        form_->setPointerState(PointerState::Busy);
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 2), Qt::NoButton);
        QCOMPARE(form_->pointerState(), PointerState::Busy);

        form_->setPointerState(PointerState::Default);
        form_->addEntry(QStringLiteral("/music/e1.mp3"));  // a duplicate as entry 4
        dragAcross(*form_, 1, {4});
        QCOMPARE(form_->entryText(1), QStringLiteral("/music/e1.mp3"));
        QCOMPARE(form_->entryText(4), QStringLiteral("/music/e1.mp3"));
    }

    // While the window is busy a press still shows "drag.ico" and the release the arrow.
    void listPointerWhileBusy() {
        fill(2);
        form_->setPointerState(PointerState::Busy);
        mouse(*form_, QEvent::MouseButtonPress, entryCentre(*form_, 1), Qt::LeftButton);
        QCOMPARE(form_->controls().ListView1->viewport()->cursor().shape(), Qt::BitmapCursor);
        mouse(*form_, QEvent::MouseButtonRelease, entryCentre(*form_, 1), Qt::NoButton);
        QCOMPARE(form_->controls().ListView1->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(form_->pointerState(), PointerState::Busy);
    }

    // Without "drag.ico" the list keeps the arrow; the gesture still works.
    void missingDragPointer() {
        ebtest::ProgramFolder empty;
        Form1 plain(empty.startup(), &prompter_);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        plain.addEntry(QStringLiteral("/a.mp3"));
        plain.addEntry(QStringLiteral("/b.mp3"));
        mouse(plain, QEvent::MouseButtonPress, entryCentre(plain, 1), Qt::LeftButton);
        QCOMPARE(plain.controls().ListView1->viewport()->cursor().shape(), Qt::ArrowCursor);
        mouse(plain, QEvent::MouseMove, entryCentre(plain, 2), Qt::LeftButton);
        mouse(plain, QEvent::MouseButtonRelease, entryCentre(plain, 2), Qt::NoButton);
        QCOMPARE(rows(plain), QStringList({"/b.mp3", "/a.mp3"}));
    }

    // Entries removed in the middle of a gesture leave no reference behind.
    void clearDuringTheGesture() {
        fill(3);
        mouse(*form_, QEvent::MouseButtonPress, entryCentre(*form_, 1), Qt::LeftButton);
        form_->PushButton4_Click();
        QVERIFY(!form_->listDrag().DragItem.isValid());
        form_->addEntry(QStringLiteral("/x.mp3"));
        form_->addEntry(QStringLiteral("/y.mp3"));
        mouse(*form_, QEvent::MouseMove, entryCentre(*form_, 2), Qt::LeftButton);
        mouse(*form_, QEvent::MouseButtonRelease, entryCentre(*form_, 2), Qt::NoButton);
        QCOMPARE(rows(*form_), QStringList({"/x.mp3", "/y.mp3"}));
    }

    void scrollTarget_data() {
        QTest::addColumn<int>("screenY");
        QTest::addColumn<int>("hit");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("target");
        QTest::newRow("above, entry 2") << 304 << 2 << 5 << 1;
        QTest::newRow("above, entry 1") << 304 << 1 << 5 << 0;
        QTest::newRow("top of screen") << 0 << 5 << 5 << 4;
        QTest::newRow("305") << 305 << 3 << 5 << 0;
        QTest::newRow("364") << 364 << 3 << 5 << 0;
        QTest::newRow("below, room") << 365 << 4 << 5 << 5;
        QTest::newRow("below, last") << 365 << 5 << 5 << 0;
    }
    void scrollTarget() {
        QFETCH(int, screenY);
        QFETCH(int, hit);
        QFETCH(int, count);
        QFETCH(int, target);
        QCOMPARE(ReorderScrollTarget(screenY, hit, count), target);
    }

    // The scroll rule reads the pointer on the screen, not in the list: with the pointer low on
    // the screen a swap at the last visible entry brings the next one into view; high on the
    // screen a swap at the first visible entry brings the one above it into view.
    void swapScrollsByTheScreenPosition() {
        fill(60);
        QTreeView* list = form_->controls().ListView1;
        auto visible = [&](int index) {
            const QRect r = list->visualRect(ebtest::entryIndex(*form_, index));
            return list->viewport()->rect().contains(r);
        };
        int last = 1;
        while (visible(last + 1))
            ++last;
        QVERIFY(last < 60);
        QCursor::setPos(QPoint(10, 700));
        if (QCursor::pos().y() != 700)
            QSKIP("the platform does not move the pointer");
        dragAcross(*form_, last - 1, {last});
        QCOMPARE(form_->entryText(last), QStringLiteral("/music/e%1.mp3").arg(last - 1));
        QVERIFY(visible(last + 1));

        list->scrollTo(ebtest::entryIndex(*form_, 31), QAbstractItemView::PositionAtTop);
        const int first = 31;
        QVERIFY(!visible(first - 1));
        QCursor::setPos(QPoint(10, 100));
        dragAcross(*form_, first + 1, {first});
        QVERIFY(visible(first - 1));

        const int top = list->verticalScrollBar()->value();
        QCursor::setPos(QPoint(10, 330));  // between the two rows: no scrolling
        dragAcross(*form_, first + 2, {first + 1});
        QCOMPARE(list->verticalScrollBar()->value(), top);
    }

    // "Clear List" while a batch runs: the file being converted finishes, every later entry is
    // reported and skipped, nothing is converted twice and no input is touched.
    void batchDuringWhichTheListIsCleared() {
        const QString in = scratch_.path() + QStringLiteral("/in");
        const QString out = scratch_.path() + QStringLiteral("/out");
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
        const QString log = scratch_.path() + QStringLiteral("/calls.log");
        QFile::remove(log);
        qputenv("ECHOBATCH_SOX", slowTool(log).toUtf8());
        const QStringList names{"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
        QList<QByteArray> sums;
        for (const QString& n : names) {
            QVERIFY(ebtest::makeToneMp3(in + u'/' + n, 0.3));
            sums << ebtest::checksum(in + u'/' + n);
            form_->addEntry(in + u'/' + n);
        }
        form_->controls().Text1->setText(out);
        bool cleared = false;
        connect(form_->controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    if (!cleared && c == QStringLiteral("Please wait.. 1")) {
                        cleared = true;
                        QTimer::singleShot(0, form_->controls().PushButton4, &QPushButton::click);
                    }
                });

        form_->PushButton2_Click();

        QVERIFY(cleared);
        QCOMPARE(form_->entryCount(), 0);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"a.mp3"});
        QCOMPARE(calls(log), QStringList{"a"});
        for (int k = 0; k < names.size(); ++k)
            QCOMPARE(ebtest::checksum(in + u'/' + names[k]), sums[k]);
        // The cleared list is reported once; each gone entry is named in the summary.
        int gone = 0;
        for (const QString& text : prompter_.texts())
            gone += text.contains(QStringLiteral("PushButton2_Click at line 144")) ? 1 : 0;
        QCOMPARE(gone, 1);
        const QString summary = prompter_.boxes.last().text;
        QVERIFY2(summary.startsWith(QStringLiteral("Done.")) &&
                     summary.contains(QStringLiteral("3 of 4")) &&
                     summary.contains(QStringLiteral("entry 4: no longer in the list")),
                 qPrintable(summary));
        QCOMPARE(form_->pointerState(), PointerState::Default);
        QVERIFY(!form_->conversionRunning());
    }

    // Moving an entry while a batch converts is not done: the batch takes its entries by
    // position, so every file is converted once, in the order the batch started with.
    void batchDuringWhichAnEntryIsMoved() {
        const QString in = scratch_.path() + QStringLiteral("/in5");
        const QString out = scratch_.path() + QStringLiteral("/out5");
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(out) &&
                QDir().mkpath(scratch_.path() + QStringLiteral("/none")));
        const QString log = scratch_.path() + QStringLiteral("/calls5.log");
        QFile::remove(log);
        qputenv("ECHOBATCH_SOX", slowTool(log).toUtf8());
        const QStringList names{"a.mp3", "b.mp3", "c.mp3"};
        QStringList paths;
        for (const QString& n : names) {
            QVERIFY(ebtest::makeToneMp3(in + u'/' + n, 0.3));
            paths << in + u'/' + n;
            form_->addEntry(paths.last());
        }
        form_->controls().Text1->setText(out);
        bool moved = false;
        QStringList orderAfterMove;
        std::optional<PointerState> afterAdd;
        connect(form_->controls().ProgressBar1, &CaptionBar::captionChanged, this,
                [&](const QString& c) {
                    if (!moved && c == QStringLiteral("Please wait.. 2")) {
                        moved = true;
                        dragAcross(*form_, 1, {2, 3});
                        orderAfterMove = rows(*form_);
                        // A folder add during the batch leaves the batch its busy pointer.
                        prompter_.folderChoices << scratch_.path() + QStringLiteral("/none");
                        form_->PushButton3_Click();
                        afterAdd = form_->pointerState();
                    }
                });

        form_->PushButton2_Click();

        QVERIFY(moved);
        QCOMPARE(afterAdd, std::optional(PointerState::Busy));
        QCOMPARE(orderAfterMove, paths);
        QCOMPARE(calls(log), QStringList({"a", "b", "c"}));
        QCOMPARE(QDir(out).entryList(QDir::Files), names);
        QCOMPARE(prompter_.texts(), QStringList{"Done."});
        // After the batch the gesture works again.
        dragAcross(*form_, 1, {2, 3});
        QCOMPARE(rows(*form_), QStringList({paths[1], paths[2], paths[0]}));
    }

private:
    // The installed SoX behind a script that notes the base name of each output (its hidden
    // temporary ".<base>.echobatch-XXXXXX.mp3"; an MP3 input comes on standard input) and
    // takes its time, so that the window gets events while a file converts.
    QString slowTool(const QString& log) {
        const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
        const QString path = scratch_.path() + QStringLiteral("/slow-sox");
        ebtest::writeFile(path,
                          "#!/bin/sh\n"
                          "a=$(readlink /proc/$$/fd/3); case $a in */.*.echobatch-*.mp3) "
                          "b=${a##*/.}; printf '%s\\n' \"${b%.echobatch-*}\";; esac >> '" +
                              log.toUtf8() +
                              "'\n"
                              "sleep 0.4\n"
                              "exec '" +
                              sox.toUtf8() + "' \"$@\"\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    static QStringList calls(const QString& log) {
        return QString::fromUtf8(ebtest::readFile(log)).split(u'\n', Qt::SkipEmptyParts);
    }
};

QTEST_MAIN(TestForm1ListEditing)
#include "tst_form1_listediting.moc"
