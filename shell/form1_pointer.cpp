// The window's pointer over its controls: the hand over the push buttons, the arrow over the
// window background, the output folder field and the two frames. The busy pointer of a running
// batch or folder add is never replaced. Controls without a handler (labels, echo fields, the
// bar) leave the pointer as the last handler set it.
#include "shell/form1.h"

#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace eb {

namespace {
void ShowUnlessBusy(Form1& form, PointerState state) {
    if (form.pointerState() == PointerState::Busy || form.pointerState() == state)
        return;
    form.setPointerState(state);
}

// Routes mouse moves to the handler of the control under the pointer. A move over a child of
// a watched control reaches the control too (when the child passes it on); it is the child's
// move, not the control's, so only moves over the control's own area count. While the window
// is being destroyed it is no longer a Form1 and nothing is passed on.
class PointerHover : public QObject {
public:
    using Handler = void (Form1::*)();
    explicit PointerHover(Form1& form) : QObject(&form) {}

    void watch(QWidget* control, Handler handler) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
        handlers_.insert(control, handler);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseMove)
            return false;
        Form1* form = qobject_cast<Form1*>(parent());
        if (!form)
            return false;
        auto* control = static_cast<QWidget*>(watched);
        const auto handler = handlers_.constFind(control);
        if (handler == handlers_.constEnd())
            return false;
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!control->childAt(at))
            (form->*handler.value())();
        return false;
    }

private:
    QHash<QWidget*, Handler> handlers_;
};
}  // namespace

void Form1::connectPointerHandlers() {
    auto* hover = new PointerHover(*this);
    hover->watch(PushButton1, &Form1::PushButton1_MouseMove);
    hover->watch(PushButton2, &Form1::PushButton2_MouseMove);
    hover->watch(PushButton3, &Form1::PushButton3_MouseMove);
    hover->watch(PushButton4, &Form1::PushButton4_MouseMove);
    hover->watch(PushButton5, &Form1::PushButton5_MouseMove);
    hover->watch(PushButton7, &Form1::PushButton7_MouseMove);
    hover->watch(this, &Form1::Form_MouseMove);
    hover->watch(Text1, &Form1::Text1_MouseMove);
    hover->watch(Frame1, &Form1::Frame1_MouseMove);
    hover->watch(Frame2, &Form1::Frame2_MouseMove);
}

void Form1::PushButton1_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::PushButton2_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::PushButton3_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::PushButton4_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::PushButton5_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::PushButton7_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Custom);
}
void Form1::Form_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Default);
}
void Form1::Text1_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Default);
}
void Form1::Frame1_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Default);
}
void Form1::Frame2_MouseMove() {
    ShowUnlessBusy(*this, PointerState::Default);
}

}  // namespace eb
