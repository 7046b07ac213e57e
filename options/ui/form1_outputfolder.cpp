// The output folder field and its "..." button. Every change is stored under "Output Folder";
// a folder chosen with "..." always ends with "/".
#include "core/settingsstore.h"
#include "shell/form1.h"

#include <QLineEdit>

namespace eb {

void Form1::Text1_Change() {
    storeSetting(QStringLiteral("Text1_Change"), QString::fromLatin1(keys::kOutputFolder),
                 Text1->text());
}

// Typing replaces the old path.
void Form1::Text1_GotFocus() {
    Text1->setSelection(0, static_cast<int>(Text1->text().size()));
}

void Form1::PushButton7_Click() {
    StepRunner steps(reporter(), QStringLiteral("PushButton7_Click"));
    QString folder;
    steps.step(100,
               [&] { folder = prompter().pickFolder(tr("Please select folder:"), desktopPath()); });
    if (folder.isEmpty())
        return;
    bool endsWithSeparator = false;
    steps.step(104, [&] { endsWithSeparator = folder.endsWith(QLatin1Char('/')); });
    if (!endsWithSeparator)
        steps.step(106, [&] { Text1->setText(folder + QLatin1Char('/')); });
    else
        steps.step(108, [&] { Text1->setText(folder); });
}

}  // namespace eb
