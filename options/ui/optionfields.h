// The output folder field and the four echo fields: each change goes to the settings store,
// and an echo field left with a text that is not a number gets its default back.
#pragma once

#include "core/steps.h"
#include "shell/form1.h"

#include <QObject>

class QLineEdit;

namespace eb {

class OptionFields : public QObject {
public:
    explicit OptionFields(Form1& form);

    // The five fields from the store at start-up (steps 132 to 140 of Form_Load).
    void load(StepRunner& steps);
    void storeEchoField(int index);
    void checkEchoField(int index);
    void storeOutputFolder();
    void pickOutputFolder();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* echoField(int index) const;
    QString storedValue(StepRunner& steps, int line, const QString& key, const QString& fallback);
    void storeSetting(const QString& handler, const QString& key, const QString& value);

    Form1& form_;
    const Form1Controls& ui_;
    bool focusLeftByMouse_ = false;  // the field being left lost the focus to a mouse press
    bool storeReadReported_ = false;
    bool storeWriteReported_ = false;
};

}  // namespace eb
