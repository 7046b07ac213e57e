// The window's pointer over its controls: the hand over the push buttons, the arrow over the
// window background, the output folder field and the two frames. The busy pointer of a running
// batch or folder add is never replaced. Controls without a handler (labels, echo fields, the
// bar) leave the pointer as the last handler set it.
#include "shell/form1.h"
#include "shell/pointer.h"

#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <optional>

namespace eb {

// The pointer's state, and the router of mouse moves to the handler of the control under the
// pointer. A move over a child of a watched control reaches the control too (when the child
// passes it on); it is the child's move, not the control's, so only moves over the control's
// own area count.
class WindowPointer : public QObject {
public:
    using Handler = void (Form1::*)();
    explicit WindowPointer(Form1& form) : form_(form) {}

    void watch(QWidget* control, Handler handler) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
        handlers_.insert(control, handler);
    }

    PointerState state() const { return state_; }

    void showUnlessBusy(PointerState state) {
        if (state_ == PointerState::Busy || state_ == state)
            return;
        show(state);
    }

    // One pointer for the whole window: the state is shown over the window and every control.
    // The ordinary state gives each control back its own pointer (the text fields' I-beam).
    void show(PointerState state) {
        state_ = state;
        std::optional<QCursor> shown;
        if (state == PointerState::Busy)
            shown = QCursor(Qt::WaitCursor);
        else if (state == PointerState::Custom)
            shown = custom_ ? *custom_ : QCursor(Qt::ArrowCursor);
        if (shown)
            form_.setCursor(*shown);
        else
            form_.unsetCursor();
        for (QWidget* child : form_.findChildren<QWidget*>()) {
            if (shown)
                child->setCursor(*shown);
            else if (qobject_cast<QLineEdit*>(child))
                child->setCursor(Qt::IBeamCursor);
            else
                child->unsetCursor();
        }
    }

    void setCustomImage(const QCursor& cursor) {
        custom_ = cursor;
        if (state_ == PointerState::Custom)
            show(state_);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseMove)
            return false;
        auto* control = static_cast<QWidget*>(watched);
        const auto handler = handlers_.constFind(control);
        if (handler == handlers_.constEnd())
            return false;
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!control->childAt(at))
            (form_.*handler.value())();
        return false;
    }

private:
    Form1& form_;
    QHash<QWidget*, Handler> handlers_;
    PointerState state_ = PointerState::Default;
    std::optional<QCursor> custom_;
};

void Form1::connectPointerHandlers() {
    pointer_ = adopt(std::make_unique<WindowPointer>(*this));
    pointer_->watch(ui_.PushButton1, &Form1::PushButton1_MouseMove);
    pointer_->watch(ui_.PushButton2, &Form1::PushButton2_MouseMove);
    pointer_->watch(ui_.PushButton3, &Form1::PushButton3_MouseMove);
    pointer_->watch(ui_.PushButton4, &Form1::PushButton4_MouseMove);
    pointer_->watch(ui_.PushButton5, &Form1::PushButton5_MouseMove);
    pointer_->watch(ui_.PushButton7, &Form1::PushButton7_MouseMove);
    pointer_->watch(this, &Form1::Form_MouseMove);
    pointer_->watch(ui_.Text1, &Form1::Text1_MouseMove);
    pointer_->watch(ui_.Frame1, &Form1::Frame1_MouseMove);
    pointer_->watch(ui_.Frame2, &Form1::Frame2_MouseMove);
}

PointerState Form1::pointerState() const {
    return pointer_->state();
}
void Form1::setPointerState(PointerState state) {
    pointer_->show(state);
}
void Form1::setCustomPointerImage(const QCursor& cursor) {
    pointer_->setCustomImage(cursor);
}

QCursor Form1::pointerImage(const QString& name) const {
    return PointerFileOrArrow(programFolder() + QLatin1Char('/') + name);
}

void Form1::PushButton1_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::PushButton2_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::PushButton3_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::PushButton4_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::PushButton5_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::PushButton7_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Custom);
}
void Form1::Form_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Default);
}
void Form1::Text1_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Default);
}
void Form1::Frame1_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Default);
}
void Form1::Frame2_MouseMove() {
    pointer_->showUnlessBusy(PointerState::Default);
}

}  // namespace eb
