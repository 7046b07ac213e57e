// Editing the file list: removing the selected entry (Delete key, double-click), "Clear List",
// and moving an entry by pressing on it and passing over the others, each passed entry
// changing places with it.
#include "filelist/filelistmodel.h"
#include "filelist/listediting.h"
#include "shell/form1.h"

#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include <utility>

namespace eb {

// The list's editing and its reorder gesture. The list's key presses and the mouse on its
// entries (the viewport) reach the window's handlers, which come back here.
class ListGestures : public QObject {
public:
    explicit ListGestures(Form1& form)
        : form_(form), list_(*form.controls().ListView1), entries_(form.fileList()) {
        list_.installEventFilter(this);
        list_.viewport()->installEventFilter(this);
        list_.viewport()->setMouseTracking(true);
    }

    const ListDragState& drag() const { return drag_; }

    // Delete key and double-click: nothing while the window is busy or nothing is selected.
    void removeSelected() {
        if (form_.pointerState() == PointerState::Busy || entries_.count() == 0)
            return;
        const int row = selectedRow();
        if (row >= 0)
            entries_.remove(row);
    }

    // A press on an entry: it becomes the moved entry, and the list shows the "drag.ico"
    // pointer (read afresh each time; the arrow when it cannot be read), also while the window
    // is busy.
    void takeEntry() {
        list_.viewport()->setCursor(form_.pointerImage(QStringLiteral("drag.ico")));
        list_.setDragEnabled(false);  // entries are never dragged out of the list
        const int row = selectedRow();
        drag_.DragItem =
            row < 0 ? QPersistentModelIndex() : QPersistentModelIndex(entries_.index(row));
    }

    void press() { drag_.Dragging = true; }

    void release() {
        drag_.Dragging = false;
        list_.viewport()->setCursor(Qt::ArrowCursor);
    }

    // One step of the gesture. While a batch converts, the entries keep their places: the
    // batch takes the entries by position, so a swap would make it convert one file twice and
    // pass over another.
    void move(const QPoint& at) {
        if (form_.pointerState() != PointerState::Busy &&
            form_.pointerState() != PointerState::Default)
            form_.setPointerState(PointerState::Default);
        if (!drag_.Dragging)
            return;
        drag_.HitItem = QPersistentModelIndex(list_.indexAt(at).siblingAtColumn(0));
        if (drag_.HitItem.isValid() && drag_.DragItem.isValid() && !form_.conversionRunning())
            swapWithHit();
        drag_.HitItem = QPersistentModelIndex();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &list_) {
            if (event->type() == QEvent::KeyPress)
                form_.ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
            return false;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                form_.ListView1_MouseDown();
                // A click below the rows keeps the selection (the list would clear it at the
                // release), so that a double-click there removes the selected entry as one on
                // an entry does.
                pressBelowRows_ =
                    !list_.indexAt(static_cast<QMouseEvent*>(event)->position().toPoint())
                         .isValid();
                if (pressBelowRows_)
                    list_.setFocus(Qt::MouseFocusReason);
                return pressBelowRows_;
            case QEvent::MouseMove:
                form_.ListView1_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
                break;
            case QEvent::MouseButtonRelease:
                form_.ListView1_MouseUp();
                return std::exchange(pressBelowRows_, false);
            case QEvent::MouseButtonDblClick:
                // The double-click removes; the list must not treat it as a new press on the
                // entry that moved up into the removed one's place.
                form_.ListView1_DblClick();
                return true;
            default:
                break;
        }
        return false;
    }

private:
    // The first selected row, -1 for none.
    int selectedRow() const {
        const QModelIndexList selected = list_.selectionModel()->selectedRows();
        return selected.isEmpty() ? -1 : selected.first().row();
    }

    // The moved entry and the one under the pointer change places (any entries between them
    // stay where they are), and the moved one stays the selected one.
    void swapWithHit() {
        const int hit = drag_.HitItem.row();
        const int moved = drag_.DragItem.row();
        if (hit == moved || entries_.text(hit) == entries_.text(moved))
            return;
        entries_.move(moved, hit);
        const int back = moved < hit ? hit - 1 : hit + 1;  // where the hit entry went
        if (back != moved)
            entries_.move(back, moved);
        list_.setCurrentIndex(entries_.index(hit));
        drag_.DragItem = QPersistentModelIndex(entries_.index(hit));
        const int target = ReorderScrollTarget(QCursor::pos().y(), hit + 1, form_.entryCount());
        if (target > 0)
            list_.scrollTo(entries_.index(target - 1));
    }

    Form1& form_;
    QTreeView& list_;
    FileListModel& entries_;
    ListDragState drag_;
    bool pressBelowRows_ = false;  // the last press was below the rows, and the list never saw it
};

void Form1::connectListEditing() {
    gestures_ = adopt(std::make_unique<ListGestures>(*this));
    connect(ui_.ListView1, &QAbstractItemView::pressed, this, [this] { ListView1_ItemClick(); });
    connect(ui_.PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
}

const ListDragState& Form1::listDrag() const {
    return gestures_->drag();
}

void Form1::ListView1_KeyDown(int key) {
    if (key == Qt::Key_Delete)  // whatever Shift, Ctrl and Alt are doing
        gestures_->removeSelected();
}

void Form1::ListView1_DblClick() {
    gestures_->removeSelected();
}

// "Clear List": no question and no busy test.
void Form1::PushButton4_Click() {
    StepRunner steps(reporter(), QStringLiteral("PushButton4_Click"));
    steps.step(100, [&] { entries_->clear(); });
}

void Form1::ListView1_ItemClick() {
    gestures_->takeEntry();
}

void Form1::ListView1_MouseDown() {
    gestures_->press();
}

void Form1::ListView1_MouseUp() {
    gestures_->release();
}

void Form1::ListView1_MouseMove(const QPoint& at) {
    gestures_->move(at);
}

}  // namespace eb
