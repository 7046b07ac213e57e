// The list's context menu ("Preview Echo...", "Remove") and the echo preview it opens. The
// menu comes with a right-click on an entry, and with the context-menu key or Shift+F10 for the
// selected entry.
#include "preview/ui/previewwindow.h"
#include "shell/form1.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTreeView>

namespace eb {

// The list's context-menu requests reach ListView1_ContextMenu; the menu and the one preview
// window are kept here.
class PreviewMenu : public QObject {
public:
    explicit PreviewMenu(Form1& form) : form_(form), list_(*form.controls().ListView1) {
        list_.installEventFilter(this);
        list_.viewport()->installEventFilter(this);
    }

    PreviewWindow* window() const { return window_.data(); }

    // The menu for the selected entry, at `at` on the screen; nothing when `at` is null (no
    // entry there or none selected). A press that opened the menu ends the reorder gesture:
    // the menu takes the release. Opened by a key, it starts on its first item, so Return
    // chooses it.
    void open(const QPoint& at, bool byKeyboard) {
        const QModelIndex selected = selectedEntry();
        if (at.isNull() || !selected.isValid())
            return;
        form_.ListView1_MouseUp();
        const QString path = selected.data().toString();
        auto* menu = new QMenu(&form_);
        menu->setObjectName(QStringLiteral("ListView1Menu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // The chosen item's work runs once the menu has finished with the click that chose it:
        // the preview yields to the event queue while it deploys the tool, and a menu must not
        // meet its own click's further events, or its deletion, halfway through handling that
        // click.
        QAction* preview = menu->addAction(Form1::tr("Preview Echo..."));
        connect(
            preview, &QAction::triggered, this, [this, path] { form_.openPreview(path); },
            Qt::QueuedConnection);
        QAction* remove = menu->addAction(Form1::tr("Remove"));
        connect(
            remove, &QAction::triggered, this, [this] { form_.ListView1_KeyDown(Qt::Key_Delete); },
            Qt::QueuedConnection);
        remove->setEnabled(form_.pointerState() != PointerState::Busy);
        menu->popup(at);
        if (byKeyboard)
            menu->setActiveAction(preview);
    }

    void show(const QString& path) {
        PreviewWindow* window = window_.data();
        const bool opening = window == nullptr || !window->isVisible();
        if (window == nullptr) {
            const Form1Controls& ui = form_.controls();
            window = new PreviewWindow(
                [&ui] {
                    return EchoTexts{ui.Text2->text(), ui.Text3->text(), ui.Text4->text(),
                                     ui.Text5->text()};
                },
                &form_);
            window_ = window;
        }
        window->showFile(path);
        if (opening)
            centreOverForm(*window);
        window->show();
        window->raise();
        window->activateWindow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool onList = watched == &list_;
        if (event->type() == QEvent::KeyPress && onList) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool shiftF10 =
                key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
            if (key->key() != Qt::Key_Menu && !shiftF10)
                return false;
            form_.ListView1_ContextMenu(selectedEntryPoint(), true);
            return true;
        }
        if (event->type() != QEvent::ContextMenu)
            return false;
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse && !onList) {
            const QModelIndex item = list_.indexAt(request->pos());
            if (item.isValid())
                list_.setCurrentIndex(item);
            form_.ListView1_ContextMenu(item.isValid() ? request->globalPos() : QPoint());
        } else {
            form_.ListView1_ContextMenu(selectedEntryPoint(), true);
        }
        return true;
    }

private:
    // A preview that opens stands centred over the main window, moved in where that would put
    // a part of it off the screen the main window is on.
    void centreOverForm(QWidget& window) const {
        const QRect frame = form_.frameGeometry();
        // A window not shown yet has no frame: it will get one as wide as the main window's.
        const QSize frameSize = window.testAttribute(Qt::WA_WState_Created)
                                    ? window.frameGeometry().size()
                                    : window.size() + (frame.size() - form_.size());
        QRect target(QPoint(), frameSize);
        target.moveCenter(frame.center());
        if (const QScreen* screen = form_.screen()) {
            const QRect area = screen->availableGeometry();
            target.moveRight(std::min(target.right(), area.right()));
            target.moveBottom(std::min(target.bottom(), area.bottom()));
            target.moveLeft(std::max(target.left(), area.left()));
            target.moveTop(std::max(target.top(), area.top()));
        }
        window.move(target.topLeft());
    }

    QModelIndex selectedEntry() const {
        const QModelIndexList selected = list_.selectionModel()->selectedRows();
        return selected.isEmpty() ? QModelIndex() : selected.first();
    }

    // Below the selected entry's start, on the screen; a null point when nothing is selected.
    QPoint selectedEntryPoint() {
        const QModelIndex selected = selectedEntry();
        if (!selected.isValid())
            return QPoint();
        list_.scrollTo(selected);
        const QRect rect = list_.visualRect(selected);
        return list_.viewport()->mapToGlobal(QPoint(rect.left() + 8, rect.bottom()));
    }

    Form1& form_;
    QTreeView& list_;
    QPointer<PreviewWindow> window_;
};

void Form1::connectListMenu() {
    preview_ = adopt(std::make_unique<PreviewMenu>(*this));
    for (QLineEdit* field : {ui_.Text2, ui_.Text3, ui_.Text4, ui_.Text5}) {
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (PreviewWindow* window = previewWindow())
                window->echoFieldsChanged();
        });
    }
}

void Form1::ListView1_ContextMenu(const QPoint& at, bool byKeyboard) {
    preview_->open(at, byKeyboard);
}

void Form1::openPreview(const QString& path) {
    preview_->show(path);
}

PreviewWindow* Form1::previewWindow() const {
    return preview_->window();
}

}  // namespace eb
