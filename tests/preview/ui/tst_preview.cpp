// The list's context menu and the preview window on the offscreen platform, with the real SoX:
// the menu on an entry (mouse and keys), the strips showing an impulse and its repeat where
// the delay puts it (read from the drawn pixels), the live re-render, the numeric failure, a
// file SoX cannot read, and the missing sound output.
#include "core/settingsstore.h"
#include "preview/ui/previewwindow.h"
#include "preview/ui/waveformview.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QContextMenuEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace eb;

namespace {
constexpr double kImpulseAt = 3.0;

// The x positions (widget pixels) of the columns where the drawn wave reaches further than a
// sixth of the strip's height from its middle, each run of neighbouring columns counted once.
QList<int> Peaks(WaveformView& view, WaveformView::StripIndex strip) {
    const QImage image = view.grab().toImage();
    const QRect r = view.stripRect(strip);
    const int middle = r.top() + r.height() / 2;
    QList<int> peaks;
    int last = -10;
    for (int x = r.left() + 1; x < r.right(); ++x) {
        bool far = false;
        for (int y = r.top() + 1; y < r.bottom() && !far; ++y)
            far = std::abs(y - middle) > r.height() / 6 &&
                  image.pixelColor(x, y) == WaveformView::kWaveColor;
        if (far && x > last + 1)
            peaks << x;
        if (far)
            last = x;
    }
    return peaks;
}

int XOf(WaveformView& view, double seconds) {
    const QRect r = view.stripRect(WaveformView::InputStrip);
    return r.left() + static_cast<int>(std::lround(seconds / view.spanSeconds() * r.width()));
}

QString Describe(const QList<int>& xs) {
    QStringList texts;
    for (int x : xs)
        texts << QString::number(x);
    return texts.join(u' ');
}

bool Near(const QList<int>& found, const QList<int>& expected) {
    if (found.size() != expected.size())
        return false;
    for (qsizetype k = 0; k < found.size(); ++k)
        if (std::abs(found[k] - expected[k]) > 2)
            return false;
    return true;
}
}  // namespace

class TestPreview : public QObject {
    Q_OBJECT
    ebtest::ProgramFolder folder_;
    QTemporaryDir scratch_;
    QString impulse_;
    ebtest::ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;

    QMenu* openMenuWithMouse(int index) {
        QWidget* area = form_->controls().ListView1->viewport();
        const QPoint at =
            form_->controls().ListView1->visualRect(ebtest::entryIndex(*form_, index)).center();
        QTest::mousePress(area, Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, area->mapToGlobal(at));
        QApplication::sendEvent(area, &request);
        QTest::mouseRelease(area, Qt::RightButton, {}, at);
        return form_->findChild<QMenu*>(QStringLiteral("ListView1Menu"));
    }
    static QStringList texts(const QMenu* menu) {
        QStringList all;
        for (const QAction* action : menu->actions())
            all << action->text() + (action->isEnabled() ? "" : " (disabled)");
        return all;
    }
    PreviewWindow* previewOf(const QString& path) {
        form_->openPreview(path);
        PreviewWindow* window = form_->previewWindow();
        QSignalSpy rendered(window, &PreviewWindow::rendered);
        return rendered.wait(ebtest::kLongWaitMs) ? window : nullptr;
    }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        QFile::remove(SettingsStore::fileName());
        impulse_ = scratch_.filePath(QStringLiteral("impulse.wav"));
        QVERIFY(ebtest::makeImpulseWav(impulse_, 16.0, kImpulseAt, 30000));
    }
    void init() {
        QVERIFY(ebtest::OpenWindow(form_, prompter_, folder_.startup()));
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
            form_->addEntry(scratch_.filePath(QString::fromLatin1(name)));
    }
    void cleanup() { form_.reset(); }

    // A right-click on an entry offers the preview and the removal; "Remove" removes that
    // entry, and is refused while the window is busy. The keys open the same menu.
    void menuOnAnEntry() {
        QMenu* menu = openMenuWithMouse(2);
        QVERIFY(menu);
        QCOMPARE(texts(menu), (QStringList{"Preview Echo...", "Remove"}));
        QVERIFY(!form_->listDrag().Dragging);  // the press does not start the reorder gesture
        menu->actions()[1]->trigger();         // the work runs once the menu is done with the click
        QTRY_COMPARE(form_->entryCount(), 2);
        QCOMPARE(form_->entryText(2), scratch_.filePath("c.mp3"));
        menu->close();
        QTRY_VERIFY(!form_->findChild<QMenu*>());

        form_->setPointerState(PointerState::Busy);
        menu = openMenuWithMouse(1);
        QCOMPARE(texts(menu), (QStringList{"Preview Echo...", "Remove (disabled)"}));
        form_->ListView1_KeyDown(Qt::Key_Delete);  // what "Remove" does
        QCOMPARE(form_->entryCount(), 2);
        menu->close();
        form_->setPointerState(PointerState::Default);
        QTRY_VERIFY(!form_->findChild<QMenu*>());

        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            form_->controls().ListView1->setCurrentIndex(ebtest::entryIndex(*form_, 2));
            QTest::keyClick(form_->controls().ListView1, key, modifiers);
            menu = form_->findChild<QMenu*>(QStringLiteral("ListView1Menu"));
            QVERIFY2(menu, qPrintable(QKeySequence(key | modifiers).toString()));
            QCOMPARE(texts(menu), (QStringList{"Preview Echo...", "Remove"}));
            QCOMPARE(menu->activeAction(), menu->actions()[0]);  // Return chooses it
            menu->close();
            QTRY_VERIFY(!form_->findChild<QMenu*>());
        }
        QTest::keyClick(form_->controls().ListView1, Qt::Key_F10);  // without Shift: no menu
        QVERIFY(!form_->findChild<QMenu*>(QStringLiteral("ListView1Menu")));

        // Chosen with a real click on the menu: the preview, which yields to the event queue
        // while it starts, opens after the menu has handled that click and gone.
        menu = openMenuWithMouse(1);
        const QPoint item = menu->actionGeometry(menu->actions()[0]).center();
        QTest::mouseClick(menu, Qt::LeftButton, {}, item);
        QTRY_VERIFY(form_->previewWindow() && form_->previewWindow()->isVisible());
        QTRY_VERIFY(!form_->findChild<QMenu*>(QStringLiteral("ListView1Menu")));
        PreviewWindow* window = form_->previewWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Preview"));
        QCOMPARE(window->fileName->text(), QStringLiteral("a.mp3"));
        // Opened again, it stands centred over the main window, and on the screen.
        for (const QPoint& at : {QPoint(130, 200), QPoint(700, 700)}) {
            form_->previewWindow()->close();
            QTRY_VERIFY(!form_->previewWindow());
            form_->move(at);
            form_->openPreview(impulse_);
            const QRect shown = form_->previewWindow()->frameGeometry();
            QVERIFY(form_->screen()->availableGeometry().contains(shown));
            QVERIFY(at.x() > 300 || shown.center() == form_->frameGeometry().center());
        }
        QCOMPARE(form_->size(), QSize(536, 527));  // the main window is as it was
    }

    // An impulse at 3 s: the input strip shows it once, the echo strip again at 3 s plus the
    // delay; a changed delay is drawn after the pause. Without a sound output the preview
    // says so and still draws.
    void stripsShowTheRepeatAtTheDelay() {
        form_->controls().Text2->setText("1");
        form_->controls().Text3->setText("0.9");
        form_->controls().Text4->setText("4000");
        form_->controls().Text5->setText("0.6");
        PreviewWindow* window = previewOf(impulse_);
        QVERIFY(window);
        WaveformView& view = *window->waveform;
        QCOMPARE(view.spanSeconds(), 15.0);
        QCOMPARE(Peaks(view, WaveformView::InputStrip), QList<int>{XOf(view, kImpulseAt)});
        const QList<int> expected{XOf(view, kImpulseAt), XOf(view, kImpulseAt + 4.0)};
        QVERIFY2(Near(Peaks(view, WaveformView::EchoStrip), expected),
                 qPrintable(Describe(Peaks(view, WaveformView::EchoStrip))));

        QSignalSpy rendered(window, &PreviewWindow::rendered);
        form_->controls().Text4->setText("6000");
        QVERIFY(rendered.wait(ebtest::kLongWaitMs));
        QVERIFY(Near(Peaks(view, WaveformView::EchoStrip),
                     {XOf(view, kImpulseAt), XOf(view, kImpulseAt + 6.0)}));

        QCOMPARE(window->soundOutputFound(), false);
        QCOMPARE(window->sound->text(), QStringLiteral("No sound output found."));
        QVERIFY(!window->play->isEnabled());
        QVERIFY(prompter_.boxes.isEmpty());

        // Closing the main window still ends the program, and its end takes the preview and
        // its files with it.
        const QString files = window->render().folder();
        QVERIFY(QFileInfo::exists(files));
        bool ended = true;
        QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
        QTimer::singleShot(ebtest::kShortWaitMs, qApp, [&ended] {
            ended = false;
            QCoreApplication::exit(1);
        });
        QApplication::exec();  // returns once the last window has closed
        QVERIFY(ended);
        form_.reset();
        QVERIFY(!QFileInfo::exists(files));
    }

    // A field that is not a number: its label in place of the echo strip, no box; a number
    // again brings the echo back.
    void numericFailureShownInPlaceOfTheEcho() {
        PreviewWindow* window = previewOf(impulse_);
        QVERIFY(window);
        QSignalSpy rendered(window, &PreviewWindow::rendered);
        form_->controls().Text4->setText("6o");
        QVERIFY(rendered.wait(ebtest::kShortWaitMs));
        QCOMPARE(window->waveform->message(WaveformView::EchoStrip),
                 QStringLiteral("Numeric value required.\nDelay: 6o"));
        QVERIFY(Peaks(*window->waveform, WaveformView::EchoStrip).isEmpty());
        QVERIFY(prompter_.boxes.isEmpty());
        form_->controls().Text4->setText("20");
        QVERIFY(rendered.wait(ebtest::kLongWaitMs));
        QCOMPARE(Peaks(*window->waveform, WaveformView::EchoStrip).size(), 1);  // 20 ms: one column
    }

    void unreadableFileShowsTheToolsReason() {
        const QString bad = scratch_.filePath(QStringLiteral("text.mp3"));
        QVERIFY(ebtest::writeFile(bad, "plain text\n"));
        PreviewWindow* window = previewOf(bad);
        QVERIFY(window);
        QCOMPARE(window->status->text(), QStringLiteral("no decoder reads this file's format"));
        QCOMPARE(window->waveform->message(WaveformView::InputStrip), window->status->text());
        QVERIFY(prompter_.boxes.isEmpty());
    }
};

int main(int argc, char** argv) {
    // No sound server here, whatever the machine running the tests has.
    qputenv("PULSE_SERVER", "unix:/nonexistent/echobatch-no-sound");
    QApplication app(argc, argv);
    TestPreview test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_preview.moc"
