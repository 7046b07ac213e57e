// PushButton1_Click, "Add MP3 File(s)": a multi-select file dialog; the chosen files are
// appended to the list in the dialog's order.
#include "filelist/listadmission.h"
#include "filelist/ui/listadders.h"

namespace eb {

namespace {
constexpr int kResultCapacity = 30000;
}

void ListAdders::addFiles() {
    StepRunner steps(form_.reporter(), QStringLiteral("PushButton1_Click"));
    QString title;
    QString filter;
    QString result;
    bool tooMany = false;

    steps.step(108, [&] { title = Form1::tr("Add File(s) - Hold Ctrl to select multiple files"); });
    steps.step(110, [&] { filter = Form1::tr("MP3 File (*.mp3)|*.mp3|"); });
    steps.step(112, [&] {
        try {
            result = form_.prompter().openFiles(title, filter, kResultCapacity);
        } catch (const SelectionTooLarge&) {
            tooMany = true;
        }
    });
    if (tooMany) {
        // Nothing of an overflowing selection is added, not even the names that would fit.
        form_.prompter().message(Form1::tr("You've selected too many files to add.") +
                                 QStringLiteral("\r\r") +
                                 Form1::tr("Please try adding via the \"Add All\" button."));
        return;
    }
    if (result.isEmpty())
        return;

    QStringList parts;
    steps.step(116, [&] { parts = result.split(QChar(u'\0')); });
    if (parts.size() == 1) {
        // One file: its full path, unchanged.
        steps.step(122, [&] { form_.addEntry(parts.front()); });
        return;
    }
    // Several files: part 0 is the folder, the rest are names.
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString path;
        steps.step(136, [&] { path = parts.front() + QLatin1Char('/') + parts[i]; });
        steps.step(138, [&] { path = FixRootSeparator(path); });
        steps.step(140, [&] { form_.addEntry(path); });
    }
}

void Form1::PushButton1_Click() {
    adders_->addFiles();
}

}  // namespace eb
