// The list's context menu ("Preview Echo...", "Remove") and the echo preview it opens. The
// menu comes with a right-click on an entry, and with the context-menu key or Shift+F10 for the
// selected entry.
#include "shell/form1.h"
#include "shell/listeventfilter.h"
#include "preview/ui/previewwindow.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

namespace eb {

namespace {
// The list's context-menu requests reach ListView1_ContextMenu.
class ListMenuRequests : public ListEventFilter {
public:
    using ListEventFilter::ListEventFilter;

protected:
    bool handle(Form1& form, bool onList, QEvent* event) override {
        QTreeWidget* list = form.ListView1;
        if (event->type() == QEvent::KeyPress && onList) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool shiftF10 =
                key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
            if (key->key() != Qt::Key_Menu && !shiftF10)
                return false;
            form.ListView1_ContextMenu(selectedEntryPoint(*list), true);
            return true;
        }
        if (event->type() != QEvent::ContextMenu)
            return false;
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse && !onList) {
            QTreeWidgetItem* item = list->itemAt(request->pos());
            if (item)
                list->setCurrentItem(item);
            form.ListView1_ContextMenu(item ? request->globalPos() : QPoint());
        } else {
            form.ListView1_ContextMenu(selectedEntryPoint(*list), true);
        }
        return true;
    }

private:
    // Below the selected entry's start, on the screen; a null point when nothing is selected.
    static QPoint selectedEntryPoint(QTreeWidget& list) {
        const QList<QTreeWidgetItem*> selected = list.selectedItems();
        if (selected.isEmpty())
            return QPoint();
        list.scrollToItem(selected.first());
        const QRect rect = list.visualItemRect(selected.first());
        return list.viewport()->mapToGlobal(QPoint(rect.left() + 8, rect.bottom()));
    }
};
}  // namespace

void Form1::connectListMenu() {
    new ListMenuRequests(*this);
    for (QLineEdit* field : {Text2, Text3, Text4, Text5}) {
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (PreviewWindow* window = previewWindow())
                window->echoFieldsChanged();
        });
    }
}

// The menu for the selected entry, at `at` on the screen; nothing when `at` is null (no entry
// there or none selected). A press that opened the menu ends the reorder gesture: the menu
// takes the release. Opened by a key, it starts on its first item, so Return chooses it.
void Form1::ListView1_ContextMenu(const QPoint& at, bool byKeyboard) {
    if (at.isNull() || ListView1->selectedItems().isEmpty())
        return;
    ListView1_MouseUp();
    const QString path = ListView1->selectedItems().first()->text(0);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ListView1Menu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The chosen item's work runs once the menu has finished with the click that chose it: the
    // preview yields to the event queue while it deploys the tool, and a menu must not meet its
    // own click's further events, or its deletion, halfway through handling that click.
    QAction* preview = menu->addAction(tr("Preview Echo..."));
    connect(
        preview, &QAction::triggered, this, [this, path] { openPreview(path); },
        Qt::QueuedConnection);
    QAction* remove = menu->addAction(tr("Remove"));
    connect(
        remove, &QAction::triggered, this, [this] { ListView1_KeyDown(Qt::Key_Delete); },
        Qt::QueuedConnection);
    remove->setEnabled(pointerState() != PointerState::Busy);
    menu->popup(at);
    if (byKeyboard)
        menu->setActiveAction(preview);
}

void Form1::openPreview(const QString& path) {
    PreviewWindow* window = previewWindow();
    if (!window) {
        window = new PreviewWindow(
            [this] {
                return EchoTexts{Text2->text(), Text3->text(), Text4->text(), Text5->text()};
            },
            this);
        preview_ = window;
    }
    window->showFile(path);
    window->show();
    window->raise();
    window->activateWindow();
}

PreviewWindow* Form1::previewWindow() const {
    return qobject_cast<PreviewWindow*>(preview_.data());
}

}  // namespace eb
