// PushButton5_Click, "Load Sample/Example Files": every file of the "Samples" folder beside the
// program, then the offer to open that folder in the file manager.
#include "filelist/folderscan.h"
#include "shell/form1.h"

namespace eb {

void Form1::PushButton5_Click() {
    StepRunner steps(reporter(), QStringLiteral("PushButton5_Click"));
    const QString samples = programFolder() + QStringLiteral("/Samples");

    // Only the names directly in the folder, each one present; no other test.
    QStringList names;
    steps.step(100, [&] { names = ListFolderFiles(samples, QStringLiteral("*")); });
    steps.step(104, [&] {
        QStringList paths;
        paths.reserve(names.size());
        for (const QString& name : std::as_const(names))
            paths.append(samples + QLatin1Char('/') + name);
        addEntries(paths);
    });

    bool open = false;
    steps.step(106, [&] {
        open = prompter().askYesNo(tr(
            "Would you like this software to open the folder where these sample files are stored "
            "(so that you can view them before working with them)?"));
    });
    if (open)
        steps.step(108, [&] { prompter().openExternally(samples + QLatin1Char('/')); });
}

}  // namespace eb
