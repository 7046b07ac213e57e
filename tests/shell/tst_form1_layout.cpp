// The window as drawn: positions, sizes, captions, fonts, tab order, list column.
#include "core/settingsstore.h"
#include "shell/captionbar.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

using namespace eb;

class TestForm1Layout : public QObject {
    Q_OBJECT
    ebtest::ScriptedPrompter prompter_;
    std::unique_ptr<Form1> form_;

private slots:
    void initTestCase() {
        QFile::remove(SettingsStore::fileName());
        QVERIFY(ebtest::OpenWindow(form_, prompter_, {}, true));
    }
    void cleanupTestCase() { form_.reset(); }

    void controlsStandWhereDrawn_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        // name, container, left, top, width, height in twips, as drawn.
        const struct {
            const char* name;
            const char* container;
            int l, t, w, h;
        } rows[] = {
            {"Command1", "Form1", -720, 2640, 615, 495},
            {"ListView1", "Form1", 120, 120, 7800, 2535},
            {"ProgressBar1", "Form1", 120, 7390, 7800, 405},
            {"PushButton1", "Form1", 120, 2750, 3840, 405},
            {"PushButton3", "Form1", 4080, 2750, 3840, 405},
            {"PushButton2", "Form1", 120, 6870, 7800, 405},
            {"PushButton4", "Form1", 120, 3260, 3840, 405},
            {"PushButton5", "Form1", 4080, 3260, 3840, 405},
            {"Frame1", "Form1", 120, 5940, 7800, 810},
            {"Text1", "Frame1", 240, 300, 6660, 345},
            {"PushButton7", "Frame1", 6960, 300, 600, 345},
            {"Frame2", "Form1", 120, 3720, 7800, 2175},
            {"Label1_0", "Frame2", 240, 345, 630, 225},
            {"Text2", "Frame2", 1080, 300, 6420, 345},
            {"Label1_1", "Frame2", 240, 795, 780, 225},
            {"Text3", "Frame2", 1080, 750, 6420, 345},
            {"Label1_2", "Frame2", 240, 1245, 510, 225},
            {"Text4", "Frame2", 1080, 1200, 6420, 345},
            {"Label1_3", "Frame2", 240, 1695, 570, 225},
            {"Text5", "Frame2", 1080, 1650, 6420, 345},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << QString::fromLatin1(r.name) << QString::fromLatin1(r.container)
                                  << QRect(r.l, r.t, r.w, r.h);
    }
    void controlsStandWhereDrawn() {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        auto* control = form_->findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->parentWidget()->objectName(), container);
        auto px = [](int t) { return qRound(t / 15.0); };
        const QRect drawn(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            // A caption wider than drawn takes free space to its right, never its field's.
            QCOMPARE(label->pos(), drawn.topLeft());
            QCOMPARE(label->height(), drawn.height());
            QVERIFY(label->width() >= drawn.width());
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(label->geometry().right() < form_->controls().Text2->x());
            return;
        }
        QCOMPARE(control->geometry(), drawn);
    }

    void windowIsFixedWhiteAndCaptioned() {
        QCOMPARE(form_->size(), QSize(536, 527));
        QCOMPARE(form_->minimumSize(), QSize(536, 527));
        QCOMPARE(form_->maximumSize(), QSize(536, 527));
        QCOMPARE(form_->windowTitle(),
                 QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"));
        QCOMPARE(AppTitle(), QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub"));
        QVERIFY(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form_->palette().color(QPalette::Window), QColor(Qt::white));
        for (QGroupBox* frame : {form_->controls().Frame1, form_->controls().Frame2})  // panels too
            QCOMPARE(frame->grab().toImage().pixelColor(frame->width() / 2, frame->height() - 5),
                     QColor(Qt::white));
        // The off-screen button lies wholly left of the client area.
        QVERIFY(form_->controls().Command1->geometry().right() < 0);
    }

    void captionsAsWritten() {
        auto shown = [](QPushButton* b) { return b->text().remove(u'&'); };  // no access key mark
        QCOMPARE(form_->controls().Command1->text(), QStringLiteral("Command1"));
        QCOMPARE(shown(form_->controls().PushButton1), QStringLiteral("Add MP3 File(s)"));
        QCOMPARE(shown(form_->controls().PushButton2), QStringLiteral("Start Converting"));
        QCOMPARE(shown(form_->controls().PushButton3),
                 QStringLiteral("Add All MP3 File(s) In Folder"));
        QCOMPARE(shown(form_->controls().PushButton4), QStringLiteral("Clear List"));
        QCOMPARE(shown(form_->controls().PushButton5), QStringLiteral("Load Sample/Example Files"));
        QCOMPARE(form_->controls().PushButton7->text(), QStringLiteral("..."));
        QCOMPARE(form_->controls().Frame1->title(), QStringLiteral("Save Results To This Folder"));
        QCOMPARE(form_->controls().Frame2->title(), QStringLiteral("Echo Options"));
        const QStringList labels{QStringLiteral("Gain-In:"), QStringLiteral("Gain-Out:"),
                                 QStringLiteral("Delay:"), QStringLiteral("Decay:")};
        for (int k = 0; k < 4; ++k)
            QCOMPARE(form_->controls().Label1[static_cast<std::size_t>(k)]->text(), labels[k]);
        QCOMPARE(form_->controls().ProgressBar1->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(form_->controls().ProgressBar1->value(), 0);
        QCOMPARE(form_->controls().ProgressBar1->minimum(), 0);
        QCOMPARE(form_->controls().ProgressBar1->maximum(), 100);
    }

    // An access key for each captioned button, no two alike, in each language: five keys and
    // the empty one of "..." and Command1; each caption within its button, whose size is fixed.
    void accessKeysAreDistinct() {
        for (const QString language : {"en", "de", "fr"}) {
            QTranslator translator;
            QVERIFY(language == "en" ||
                    translator.load("echobatch_" + language, ebtest::binDir() + "/translations"));
            QCoreApplication::installTranslator(&translator);
            Form1 form(&prompter_);
            QCoreApplication::removeTranslator(&translator);
            QSet<QKeySequence> keys;
            const QStyle* style = form.style();
            for (const QPushButton* b : form.findChildren<QPushButton*>()) {
                keys.insert(QKeySequence::mnemonic(b->text()));
                if (b == form.controls().Command1)  // off the window, never seen
                    continue;
                // The caption keeps clear of the edges: the style's margin and frame, and as
                // much again of free room on each side (a caption drawn edge to edge fails).
                const int room = 4 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                                      style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
                const QString caption = QString(b->text()).remove(u'&');
                QVERIFY2(b->fontMetrics().horizontalAdvance(caption) + room <= b->width(),
                         qPrintable(language + ": " + caption));
            }
            QVERIFY2(keys.size() == 6 && keys.contains(QKeySequence()), qPrintable(language));
        }
    }

    void fontsAreArialBold() {
        for (QWidget* w : form_->findChildren<QWidget*>()) {
            if (!qobject_cast<QPushButton*>(w) && !qobject_cast<QLineEdit*>(w) &&
                !qobject_cast<QLabel*>(w) && !qobject_cast<QGroupBox*>(w) &&
                w != form_->controls().ListView1)
                continue;
            const bool isButton = qobject_cast<QPushButton*>(w) != nullptr;
            QCOMPARE(w->font().family(), QStringLiteral("Arial"));
            QVERIFY2(w->font().bold(), qPrintable(w->objectName()));
            QCOMPARE(w->font().pointSizeF(), isButton ? 11.25 : 9.0);
        }
    }

    void listHasItsOneColumn() {
        QTreeView* list = form_->controls().ListView1;
        QCOMPARE(list->model()->columnCount(), 1);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("MP3 File(s)"));
        QVERIFY(!list->isHeaderHidden());
        QCOMPARE(list->columnWidth(0), 467);  // 7000 twips
        QVERIFY(!list->rootIsDecorated());
        QCOMPARE(list->toolTip(),
                 QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                                "line to right and out of window to reveal full names."));
        QCOMPARE(list->model()->rowCount(), 0);
    }

    // Command1 holds the first focus; Tab then walks the list, the buttons and the fields.
    void tabOrderAsDrawn() {
        QCOMPARE(QApplication::focusWidget(), form_->controls().Command1);
        QStringList visited;
        for (int k = 0; k < 13; ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"ListView1", "PushButton1", "PushButton3", "PushButton2",
                                       "PushButton4", "PushButton5", "Text1", "PushButton7",
                                       "Text2", "Text3", "Text4", "Text5", "Command1"}));
        QVERIFY(prompter_.boxes.isEmpty());
    }

    void captionShowsPercentSignsAsTheyAre() {
        form_->controls().ProgressBar1->setCaption(QStringLiteral("Processing: 100%p %v mix.mp3"));
        QCOMPARE(form_->controls().ProgressBar1->text(),
                 QStringLiteral("Processing: 100%p %v mix.mp3"));
        form_->controls().ProgressBar1->setCaption(QStringLiteral("Progress Bar"));
    }

    void pointerStateShowsOverEveryControl() {
        form_->setPointerState(PointerState::Busy);
        QCOMPARE(form_->pointerState(), PointerState::Busy);
        QCOMPARE(form_->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(form_->controls().Text2->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(form_->controls().PushButton1->cursor().shape(), Qt::WaitCursor);
        form_->setPointerState(PointerState::Custom);  // no image loaded: the arrow
        QCOMPARE(form_->controls().PushButton1->cursor().shape(), Qt::ArrowCursor);
        form_->setPointerState(PointerState::Default);
        QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(form_->controls().Text2->cursor().shape(), Qt::IBeamCursor);
        QVERIFY(!form_->controls().PushButton1->testAttribute(Qt::WA_SetCursor));
    }
};

QTEST_MAIN(TestForm1Layout)
#include "tst_form1_layout.moc"
