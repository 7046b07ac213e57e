// The output folder field and its "..." button. Every change is stored under "Output Folder";
// a folder chosen with "..." always ends with "/".
#include "core/settingsstore.h"
#include "options/ui/optionfields.h"

#include <QLineEdit>

namespace eb {

void OptionFields::storeOutputFolder() {
    storeSetting(QStringLiteral("Text1_Change"), QString::fromLatin1(keys::kOutputFolder),
                 ui_.Text1->text());
}

void OptionFields::pickOutputFolder() {
    StepRunner steps(form_.reporter(), QStringLiteral("PushButton7_Click"));
    QString folder;
    steps.step(100, [&] {
        folder =
            form_.prompter().pickFolder(Form1::tr("Please select folder:"), form_.desktopPath());
    });
    if (folder.isEmpty())
        return;
    bool endsWithSeparator = false;
    steps.step(104, [&] { endsWithSeparator = folder.endsWith(QLatin1Char('/')); });
    if (!endsWithSeparator)
        steps.step(106, [&] { ui_.Text1->setText(folder + QLatin1Char('/')); });
    else
        steps.step(108, [&] { ui_.Text1->setText(folder); });
}

void Form1::Text1_Change() {
    options_->storeOutputFolder();
}

// Typing replaces the old path.
void Form1::Text1_GotFocus() {
    ui_.Text1->setSelection(0, static_cast<int>(ui_.Text1->text().size()));
}

void Form1::PushButton7_Click() {
    options_->pickOutputFolder();
}

}  // namespace eb
