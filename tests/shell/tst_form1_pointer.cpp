// The window's pointer over its controls: real mouse-move events sent to each control, from
// each starting state. Busy always wins.
#include "core/settingsstore.h"
#include "shell/captionbar.h"
#include "shell/form1.h"
#include "shell/pointer.h"
#include "support/widgetsupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace eb;

Q_DECLARE_METATYPE(eb::PointerState)

namespace {
// A move with no button pressed over `control` at `at` (its own coordinates), delivered the way
// the window system delivers it: filters first, then on to the parents while not accepted.
void hover(QWidget* control, QPoint at = QPoint(-1, -1)) {
    if (at == QPoint(-1, -1))
        at = control->rect().center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(control->mapToGlobal(at)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

// A point of the control's own area, not covered by a child.
QPoint ownArea(const QWidget* control) {
    if (control->inherits("eb::Form1"))
        return QPoint(2, control->height() - 2);  // below the bar, beside it
    if (control->inherits("QGroupBox"))
        return QPoint(4, 4);  // the frame's edge, left of its caption
    return control->rect().center();
}

QWidget* control(Form1& form, const QString& name) {
    if (name == QLatin1String("Form1"))
        return &form;
    if (name == QLatin1String("ListView1"))
        return form.controls().ListView1->viewport();
    return form.findChild<QWidget*>(name);
}
}  // namespace

class TestForm1Pointer : public QObject {
    Q_OBJECT
    ebtest::ProgramFolder folder_;
    ebtest::ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;

private slots:
    void initTestCase() {
        QFile::remove(SettingsStore::fileName());
        QVERIFY(folder_.copyData(QStringLiteral("HAND-M.CUR")));
    }
    void init() { QVERIFY(ebtest::OpenWindow(form_, prompter_, folder_.startup())); }
    void cleanup() {
        form_.reset();
        QVERIFY(prompter_.boxes.isEmpty());
    }

    // Buttons show the hand, the background, the output field and the frames the arrow; the
    // labels, echo fields and the bar leave the state alone; the list resets it to the arrow.
    void pointerTable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PointerState>("from");
        QTest::addColumn<PointerState>("to");
        const auto D = PointerState::Default;
        const auto C = PointerState::Custom;
        const auto B = PointerState::Busy;
        const QStringList hand{"PushButton1", "PushButton2", "PushButton3",
                               "PushButton4", "PushButton5", "PushButton7"};
        const QStringList arrow{"Form1", "Text1", "Frame1", "Frame2", "ListView1"};
        const QStringList unchanged{"Label1_0", "Label1_3", "Text2", "Text5", "ProgressBar1"};
        for (const QString& n : hand) {
            QTest::addRow("%s from default", qPrintable(n)) << n << D << C;
            QTest::addRow("%s from hand", qPrintable(n)) << n << C << C;
            QTest::addRow("%s while busy", qPrintable(n)) << n << B << B;
        }
        for (const QString& n : arrow) {
            QTest::addRow("%s from hand", qPrintable(n)) << n << C << D;
            QTest::addRow("%s from default", qPrintable(n)) << n << D << D;
            QTest::addRow("%s while busy", qPrintable(n)) << n << B << B;
        }
        for (const QString& n : unchanged) {
            QTest::addRow("%s from hand", qPrintable(n)) << n << C << C;
            QTest::addRow("%s from default", qPrintable(n)) << n << D << D;
            QTest::addRow("%s while busy", qPrintable(n)) << n << B << B;
        }
    }
    void pointerTable() {
        QFETCH(QString, name);
        QFETCH(PointerState, from);
        QFETCH(PointerState, to);
        QWidget* target = control(*form_, name);
        QVERIFY2(target, qPrintable(name));
        form_->setPointerState(from);
        QVERIFY(!target->childAt(ownArea(target)));
        hover(target, ownArea(target));
        QCOMPARE(form_->pointerState(), to);
    }

    // A move over a control inside a frame is the control's, not the frame's; a move over a
    // button is not the window background's.
    void movesCountForTheControlUnderThePointerOnly() {
        form_->setPointerState(PointerState::Custom);
        hover(form_->controls().Label1[1]);
        hover(form_->controls().Text3);
        QCOMPARE(form_->pointerState(), PointerState::Custom);
        hover(form_->controls().PushButton7);
        QCOMPARE(form_->pointerState(), PointerState::Custom);
        // The frame's own area (its caption) does count.
        hover(form_->controls().Frame1, QPoint(4, 4));
        QCOMPARE(form_->pointerState(), PointerState::Default);
        hover(form_->controls().PushButton2);
        QCOMPARE(form_->pointerState(), PointerState::Custom);
    }

    // What the states look like: the hand image over every control, the text field's own
    // pointer back in the default state, the hourglass while busy.
    void statesAreShownOverTheWholeWindow() {
        const QCursor hand = LoadPointerFile(folder_.file(QStringLiteral("HAND-M.CUR")));
        hover(form_->controls().PushButton1);
        for (QWidget* w :
             std::initializer_list<QWidget*>{form_.get(), form_->controls().PushButton3,
                                             form_->controls().Text2, form_->controls().Frame2}) {
            QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(w->cursor().hotSpot(), hand.hotSpot());
        }
        hover(form_.get(), QPoint(2, form_->height() - 2));
        QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(form_->controls().Text1->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(form_->controls().PushButton1->cursor().shape(), Qt::ArrowCursor);
        form_->setPointerState(PointerState::Busy);
        hover(form_->controls().PushButton1);
        QCOMPARE(form_->controls().PushButton1->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(form_->controls().Text1->cursor().shape(), Qt::WaitCursor);
    }

    // Without a hand image the custom state shows the arrow.
    void noHandImageShowsTheArrow() {
        ebtest::ProgramFolder empty;
        Form1 plain(empty.startup(), &prompter_);
        hover(plain.controls().PushButton5);
        QCOMPARE(plain.pointerState(), PointerState::Custom);
        QCOMPARE(plain.controls().PushButton5->cursor().shape(), Qt::ArrowCursor);
    }

    // Files that are not pointers are refused, never half-used.
    void loadPointerFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::newRow("hand") << "HAND-M.CUR" << QByteArray() << true;
        QTest::newRow("drag") << "drag.ico" << QByteArray() << true;
        QTest::newRow("empty") << "empty.cur" << QByteArray("") << false;
        QTest::newRow("text") << "text.cur" << QByteArray("hello pointer") << false;
        QTest::newRow("truncated")
            << "cut.cur" << ebtest::readFile(ebtest::sourceDir() + "/data/HAND-M.CUR").left(40)
            << false;
        QTest::newRow("missing") << "missing.cur" << QByteArray() << false;
    }
    void loadPointerFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        ebtest::ProgramFolder folder;
        if (name == QLatin1String("HAND-M.CUR") || name == QLatin1String("drag.ico"))
            QVERIFY(folder.copyData(name));
        else if (name != QLatin1String("missing.cur"))
            QVERIFY(folder.write(name, bytes));
        const QString path = folder.file(name);
        if (loads) {
            const QCursor c = LoadPointerFile(path);
            QCOMPARE(c.shape(), Qt::BitmapCursor);
            QCOMPARE(c.pixmap().size(), QSize(32, 32));
            const std::optional<QPoint> stored = CursorFileHotspot(ebtest::readFile(path));
            QCOMPARE(c.hotSpot(), stored ? *stored : QPoint(16, 16));
            QCOMPARE(PointerFileOrArrow(path).shape(), Qt::BitmapCursor);
        } else {
            QVERIFY_THROWS_EXCEPTION(StepError, LoadPointerFile(path));
            QCOMPARE(PointerFileOrArrow(path).shape(), Qt::ArrowCursor);
        }
    }
};

QTEST_MAIN(TestForm1Pointer)
#include "tst_form1_pointer.moc"
