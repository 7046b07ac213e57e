// Editing the file list: removing the selected entry (Delete key, double-click), "Clear List",
// and moving an entry by pressing on it and passing over the others, each passed entry
// changing places with it.
#include "filelist/listediting.h"
#include "shell/form1.h"
#include "shell/listeventfilter.h"
#include "shell/pointer.h"

#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace eb {

namespace {
// Delete key and double-click: nothing while the window is busy or nothing is selected.
void RemoveSelectedEntry(Form1& form) {
    if (form.pointerState() == PointerState::Busy)
        return;
    QTreeWidget* list = form.ListView1;
    if (list->topLevelItemCount() == 0)
        return;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    delete list->takeTopLevelItem(list->indexOfTopLevelItem(selected.first()));
}

// The list's key presses and the mouse on its entries (the viewport) reach the handlers.
class ListGestures : public ListEventFilter {
public:
    explicit ListGestures(Form1& form) : ListEventFilter(form) {
        form.ListView1->viewport()->setMouseTracking(true);
    }

protected:
    bool handle(Form1& form, bool onList, QEvent* event) override {
        if (onList) {
            if (event->type() == QEvent::KeyPress)
                form.ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
            return false;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                form.ListView1_MouseDown();
                break;
            case QEvent::MouseMove:
                form.ListView1_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
                break;
            case QEvent::MouseButtonRelease:
                form.ListView1_MouseUp();
                break;
            case QEvent::MouseButtonDblClick:
                // The double-click removes; the list must not treat it as a new press on the
                // entry that moved up into the removed one's place.
                form.ListView1_DblClick();
                return true;
            default:
                break;
        }
        return false;
    }
};
}  // namespace

void Form1::connectListEditing() {
    new ListGestures(*this);
    connect(ListView1, &QAbstractItemView::pressed, this, [this] { ListView1_ItemClick(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
}

void Form1::ListView1_KeyDown(int key) {
    if (key == Qt::Key_Delete)  // whatever Shift, Ctrl and Alt are doing
        RemoveSelectedEntry(*this);
}

void Form1::ListView1_DblClick() {
    RemoveSelectedEntry(*this);
}

// "Clear List": no question and no busy test.
void Form1::PushButton4_Click() {
    StepRunner steps(reporter(), QStringLiteral("PushButton4_Click"));
    steps.step(100, [&] { ListView1->clear(); });
}

// A press on an entry: it becomes the moved entry, and the list shows the "drag.ico" pointer
// (read afresh each time; the arrow when it cannot be read), also while the window is busy.
void Form1::ListView1_ItemClick() {
    ListView1->viewport()->setCursor(
        PointerFileOrArrow(programFolder() + QStringLiteral("/drag.ico")));
    ListView1->setDragEnabled(false);  // entries are never dragged out of the list
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    DragItem = selected.isEmpty() ? QPersistentModelIndex()
                                  : QPersistentModelIndex(ListView1->model()->index(
                                        ListView1->indexOfTopLevelItem(selected.first()), 0));
}

void Form1::ListView1_MouseDown() {
    Dragging = true;
}

void Form1::ListView1_MouseUp() {
    Dragging = false;
    ListView1->viewport()->setCursor(Qt::ArrowCursor);
}

// One step of the gesture. While a batch converts, the entries keep their places: the batch
// takes the entries by position, so a swap would make it convert one file twice and pass
// over another.
void Form1::ListView1_MouseMove(const QPoint& at) {
    if (pointerState() != PointerState::Busy && pointerState() != PointerState::Default)
        setPointerState(PointerState::Default);
    if (!Dragging)
        return;
    HitItem = QPersistentModelIndex(ListView1->indexAt(at).siblingAtColumn(0));
    if (HitItem.isValid() && DragItem.isValid() && !conversionRunning()) {
        QTreeWidgetItem* hit = ListView1->topLevelItem(HitItem.row());
        QTreeWidgetItem* moved = ListView1->topLevelItem(DragItem.row());
        if (hit && moved && hit->text(0) != moved->text(0)) {
            const QString kept = moved->text(0);
            moved->setText(0, hit->text(0));
            hit->setText(0, kept);
            ListView1->setCurrentItem(hit);
            DragItem = HitItem;
            const int target =
                ReorderScrollTarget(QCursor::pos().y(), HitItem.row() + 1, entryCount());
            if (target > 0)
                ListView1->scrollToItem(ListView1->topLevelItem(target - 1));
        }
    }
    HitItem = QPersistentModelIndex();
}

}  // namespace eb
