// The four echo fields: every change is stored at once under the field's key; leaving a
// field with a text that is not a number, or a number the tool refuses, warns and puts the
// default back. The store is read
// at start-up and written on every change of the five fields.
#include "core/desktopfolder.h"
#include "core/settingsstore.h"
#include "options/echooptions.h"
#include "options/ui/optionfields.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
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

// Focus moves between controls of the window count; the window losing or regaining the
// activation (another program, a message box, a menu) does not.
bool MovesWithinWindow(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
}  // namespace

OptionFields::OptionFields(Form1& form) : form_(form), ui_(form.controls()) {
    for (QLineEdit* field : {ui_.Text1, ui_.Text2, ui_.Text3, ui_.Text4, ui_.Text5})
        field->installEventFilter(this);
}

bool OptionFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == ui_.Text1 && MovesWithinWindow(event)) {
        form_.Text1_GotFocus();
    } else if (event->type() == QEvent::FocusOut && MovesWithinWindow(event)) {
        focusLeftByMouse_ =
            static_cast<const QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        if (watched == ui_.Text2)
            form_.Text2_LostFocus();
        else if (watched == ui_.Text3)
            form_.Text3_LostFocus();
        else if (watched == ui_.Text4)
            form_.Text4_LostFocus();
        else if (watched == ui_.Text5)
            form_.Text5_LostFocus();
        focusLeftByMouse_ = false;
    }
    return false;
}

QLineEdit* OptionFields::echoField(int index) const {
    return std::array<QLineEdit*, 4>{ui_.Text2, ui_.Text3, ui_.Text4,
                                     ui_.Text5}[static_cast<std::size_t>(index)];
}

// Putting a value into a field is a change of it, so each value is written straight back.
// The output folder's default is formed before the store is read, so a desktop without a
// path fails this step even when a folder is stored.
void OptionFields::load(StepRunner& steps) {
    steps.step(132, [&] {
        const QString fallback = DesktopFolderFrom(form_.desktopPath());
        ui_.Text1->setText(
            storedValue(steps, 132, QString::fromLatin1(keys::kOutputFolder), fallback));
    });
    for (std::size_t k = 0; k < kEchoFields.size(); ++k) {
        const int line = 134 + 2 * static_cast<int>(k);
        steps.step(line, [&] {
            echoField(static_cast<int>(k))
                ->setText(storedValue(steps, line, QString::fromLatin1(kEchoFields[k].control),
                                      LocaleNumberText(kEchoFields[k].fallback)));
        });
    }
}

// A store that cannot be read fails alike for every key: the first read reports it at its
// step's line, and every field then shows its default.
QString OptionFields::storedValue(StepRunner& steps, int line, const QString& key,
                                  const QString& fallback) {
    const Result<QString> stored = SettingsStore::read(key, fallback);
    if (!stored && !storeReadReported_) {
        storeReadReported_ = true;
        steps.step(line, [&] { throw StepError(stored.error()); });
    }
    return stored.valueOr(fallback);
}

// A store that cannot be written is reported once per run, by the change handler that wrote
// (at its one line, 100), not at every keystroke.
void OptionFields::storeSetting(const QString& handler, const QString& key, const QString& value) {
    const Result<> stored = SettingsStore::write(key, value);
    if (stored || storeWriteReported_)
        return;
    storeWriteReported_ = true;
    StepRunner(form_.reporter(), handler).step(100, [&] { throw StepError(stored.error()); });
}

void OptionFields::storeEchoField(int index) {
    const char* const key = kEchoFields[static_cast<std::size_t>(index)].control;
    storeSetting(QString::fromLatin1(key) + QStringLiteral("_Change"), QString::fromLatin1(key),
                 echoField(index)->text());
}

void OptionFields::checkEchoField(int index) {
    QLineEdit* field = echoField(index);
    const auto k = static_cast<std::size_t>(index);
    QString why;
    if (!IsNumericText(field->text()))
        why = Form1::tr("Numeric value required.");
    else if (!IsInEchoRange(k, field->text()))
        why = Form1::tr("Value out of range.") + QStringLiteral("\r\n") +
              QCoreApplication::translate("echobatch", kEchoFields[k].label) + QLatin1Char(' ') +
              EchoRangeText(k);
    if (why.isEmpty())
        return;
    form_.prompter().message(why + QStringLiteral("\r\n") + Form1::tr("Value set to default."),
                             Prompter::Icon::Warning);
    if (focusLeftByMouse_)
        PendingPressEater::install();
    // The assignment is a change, so the default is stored too.
    field->setText(LocaleNumberText(kEchoFields[k].fallback));
}

void Form1::connectOptionFields() {
    options_ = adopt(std::make_unique<OptionFields>(*this));
    connect(ui_.PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(ui_.Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(ui_.Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(ui_.Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(ui_.Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(ui_.Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
}

void Form1::loadOptionFields(StepRunner& steps) {
    options_->load(steps);
}

void Form1::Text2_Change() {
    options_->storeEchoField(0);
}
void Form1::Text3_Change() {
    options_->storeEchoField(1);
}
void Form1::Text4_Change() {
    options_->storeEchoField(2);
}
void Form1::Text5_Change() {
    options_->storeEchoField(3);
}

void Form1::Text2_LostFocus() {
    options_->checkEchoField(0);
}
void Form1::Text3_LostFocus() {
    options_->checkEchoField(1);
}
void Form1::Text4_LostFocus() {
    options_->checkEchoField(2);
}
void Form1::Text5_LostFocus() {
    options_->checkEchoField(3);
}

}  // namespace eb
