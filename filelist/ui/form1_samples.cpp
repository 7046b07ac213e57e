// PushButton5_Click, "Load Sample/Example Files": every file of the "Samples" folder beside the
// program, then the offer to open that folder in the file manager.
#include "filelist/folderscan.h"
#include "filelist/ui/listadders.h"

namespace eb {

void ListAdders::addSamples() {
    StepRunner steps(form_.reporter(), QStringLiteral("PushButton5_Click"));
    const QString samples = form_.programFolder() + QStringLiteral("/Samples");

    // Only the names directly in the folder, each one present; no other test.
    QStringList names;
    steps.step(100, [&] { names = ListFolderFiles(samples, QStringLiteral("*")); });
    steps.step(104, [&] {
        QStringList paths;
        paths.reserve(names.size());
        for (const QString& name : std::as_const(names))
            paths.append(samples + QLatin1Char('/') + name);
        form_.addEntries(paths, samples);
    });

    bool open = false;
    steps.step(106, [&] {
        open = form_.prompter().askYesNo(Form1::tr(
            "Would you like this software to open the folder where these sample files are stored "
            "(so that you can view them before working with them)?"));
    });
    if (open)
        steps.step(108, [&] { form_.prompter().openExternally(samples + QLatin1Char('/')); });
}

void Form1::PushButton5_Click() {
    adders_->addSamples();
}

}  // namespace eb
