// PushButton3_Click, "Add All MP3 File(s) In Folder": every MP3 file of a chosen folder and of
// all folders below it, breadth-first, in any letter case of ".mp3". The window shows the busy
// pointer and keeps serving its events while the folders are collected; the files found are
// appended in one go after the scan.
#include "filelist/folderscan.h"
#include "filelist/listadmission.h"
#include "filelist/ui/listadders.h"

namespace eb {

void ListAdders::addFolder() {
    StepRunner steps(form_.reporter(), QStringLiteral("PushButton3_Click"));
    QString extension;
    steps.step(100, [&] { extension = QStringLiteral("mp3"); });

    QString folder;
    steps.step(104, [&] {
        folder =
            form_.prompter().pickFolder(Form1::tr("Please select folder:"), form_.desktopPath());
    });
    if (folder.isEmpty())
        return;

    steps.step(112, [&] { form_.setPointerState(PointerState::Busy); });

    // The files of the folders collected before a failure are still added after its report.
    FolderScan scan;
    steps.step(116, [&] {
        scan = ScanFolderFiles(folder, QStringLiteral("*.") + extension, form_.scanYield());
        if (!scan.failure.isEmpty())
            throw StepError(scan.failure);
    });
    if (steps.stopped())
        return;
    steps.step(132, [&] {
        form_.addEntries(scan.files, folder);
        if (!scan.passedOver.isEmpty())
            form_.prompter().message(PassedOverNote(scan.passedOver), Prompter::Icon::Warning);
    });
    // The default pointer comes back, whatever showed before; only a batch that still runs
    // keeps its busy pointer, which is what keeps entries from being removed under it.
    steps.step(136, [&] {
        form_.setPointerState(form_.conversionRunning() ? PointerState::Busy
                                                        : PointerState::Default);
    });
}

void Form1::PushButton3_Click() {
    adders_->addFolder();
}

}  // namespace eb
