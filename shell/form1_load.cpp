// Form_Load: prepares the window before it is first shown. Each action is a numbered step; a
// step that fails is reported and the sequence goes on with the next one, even one that
// shares its line.
#include "core/appinfo.h"
#include "core/desktopfolder.h"
#include "core/settingsstore.h"
#include "filelist/filelistmodel.h"
#include "options/echooptions.h"
#include "paths/pathhelpers.h"
#include "shell/form1.h"
#include "shell/pointer.h"
#include "shell/skin.h"

#include <QIcon>
#include <QTreeView>

namespace eb {

namespace {
QIcon ProgramIcon() {
    QIcon icon(QStringLiteral(":/echobatch/echobatch.png"));
    if (icon.isNull())
        throw StepError(Form1::tr("The program icon is missing"));
    return icon;
}
}  // namespace

QString Form1::programFolder() const {
    return startup_.programFolder.isEmpty() ? ProgramFolder() : startup_.programFolder;
}

QString Form1::desktopPath() const {
    return startup_.desktopPath ? startup_.desktopPath() : GetSpecialFolderPath(kDesktopFolderId);
}

void Form1::Form_Load() {
    StepRunner steps(reporter(), QStringLiteral("Form_Load"));
    const QString folder = programFolder();

    steps.step(100, [&] { ApplySkin(*this, folder); });

    steps.step(104, [&] { setWindowTitle(ProductName()); });
    steps.step(104, [&] { setWindowIcon(ProgramIcon()); });
    steps.step(104, [&] { SetAppTitle(); });

    // Without the hand pointer the buttons show the ordinary arrow; that is not reported.
    const QString hand = folder + QStringLiteral("/HAND-M.CUR");
    bool handPresent = false;
    steps.step(106, [&] { handPresent = FileExists(hand); });
    if (handPresent)
        steps.step(108, [&] { setCustomPointerImage(LoadPointerFile(hand)); });

    if (startup_.homePageDraw) {
        steps.step(110, [&] {
            HomePageDraw draw = *startup_.homePageDraw;
            if (!draw.open) {
                draw.open = [this](const QString& address) {
                    if (!prompter().openExternally(address))
                        throw StepError(tr("Cannot open ") + address);
                };
            }
            MaybeOpenHomePage(draw, HomePageAddress(folder));
        });
    }

    steps.step(128, [&] {
        // One column, which the entries' model always has.
        entries_->setHeaderText(tr("MP3 File(s)"));
    });
    steps.step(130, [&] { ui_.ListView1->setColumnWidth(0, qRound(7000 / 15.0)); });

    loadOptionFields(steps);
}

}  // namespace eb
