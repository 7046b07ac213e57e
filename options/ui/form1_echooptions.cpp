// The four echo fields: every change is stored at once under the field's key; leaving a
// field with a text that is not a number warns and puts the default back.
#include "options/echooptions.h"
#include "shell/form1.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace eb {

namespace {
// Eats the mouse press being delivered when it is installed: the press that moved the focus
// and so showed the warning. Let through after the box, it would press its button with the
// release already gone to the box (the button would stay drawn pressed), or click it. It
// goes away at the next pass of the event loop in any case.
class PendingPressEater : public QObject {
public:
    static void install() {
        auto* eater = new PendingPressEater;
        QCoreApplication::instance()->installEventFilter(eater);
        QTimer::singleShot(0, eater, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        return true;
    }
};
}  // namespace

void Form1::storeEchoField(const QLineEdit* field, int index) {
    const char* const key = kEchoFields[static_cast<std::size_t>(index)].control;
    storeSetting(QString::fromLatin1(key) + QStringLiteral("_Change"), QString::fromLatin1(key),
                 field->text());
}

void Form1::checkEchoField(QLineEdit* field, int index) {
    if (IsNumericText(field->text()))
        return;
    prompter().message(
        tr("Numeric value required.") + QStringLiteral("\r\n") + tr("Value set to default."),
        Prompter::Icon::Warning);
    if (focusLeftByMouse_)
        PendingPressEater::install();
    // The assignment is a change, so the default is stored too.
    field->setText(QString::fromLatin1(kEchoFields[static_cast<std::size_t>(index)].fallback));
}

void Form1::Text2_Change() {
    storeEchoField(Text2, 0);
}
void Form1::Text3_Change() {
    storeEchoField(Text3, 1);
}
void Form1::Text4_Change() {
    storeEchoField(Text4, 2);
}
void Form1::Text5_Change() {
    storeEchoField(Text5, 3);
}

void Form1::Text2_LostFocus() {
    checkEchoField(Text2, 0);
}
void Form1::Text3_LostFocus() {
    checkEchoField(Text3, 1);
}
void Form1::Text4_LostFocus() {
    checkEchoField(Text4, 2);
}
void Form1::Text5_LostFocus() {
    checkEchoField(Text5, 3);
}

}  // namespace eb
