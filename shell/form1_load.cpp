// Form_Load: prepares the window before it is first shown. Each action is a numbered step; a
// step that fails is reported and the sequence goes on with the next one.
#include "options/echooptions.h"
#include "shell/appinfo.h"
#include "shell/desktopfolder.h"
#include "shell/form1.h"
#include "shell/settingsstore.h"

#include <QLineEdit>
#include <QTreeWidget>

namespace eb {

void Form1::Form_Load() {
    StepRunner steps(reporter(), QStringLiteral("Form_Load"));

    steps.step(104, [&] { setWindowTitle(ProductName()); });
    steps.step(104, [&] { SetAppTitle(); });

    steps.step(128, [&] {
        ListView1->setColumnCount(1);
        ListView1->setHeaderLabels({QStringLiteral("MP3 File(s)")});
    });
    steps.step(130, [&] { ListView1->setColumnWidth(0, qRound(7000 / 15.0)); });

    // Putting a value into a field is a change of it, so each value is written straight back.
    steps.step(132, [&] {
        const QString fallback = GetDesktopFolder();
        Text1->setText(SettingsStore::read(QString::fromLatin1(keys::kOutputFolder), fallback));
    });
    const std::array<QLineEdit*, 4> fields{Text2, Text3, Text4, Text5};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        steps.step(134 + 2 * static_cast<int>(k), [&] {
            fields[k]->setText(SettingsStore::read(QString::fromLatin1(kEchoFields[k].control),
                                                   QString::fromLatin1(kEchoFields[k].fallback)));
        });
    }
}

}  // namespace eb
