// Form_Load: prepares the window before it is first shown. Each action is a numbered step; a
// step that fails is reported and the sequence goes on with the next one, even one that
// shares its line.
#include "core/appinfo.h"
#include "core/desktopfolder.h"
#include "core/settingsstore.h"
#include "options/echooptions.h"
#include "paths/pathhelpers.h"
#include "shell/form1.h"
#include "shell/pointer.h"
#include "shell/skin.h"

#include <QIcon>
#include <QLineEdit>
#include <QTreeWidget>

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
        ListView1->setColumnCount(1);
        ListView1->setHeaderLabels({tr("MP3 File(s)")});
    });
    steps.step(130, [&] { ListView1->setColumnWidth(0, qRound(7000 / 15.0)); });

    // Putting a value into a field is a change of it, so each value is written straight back.
    // The output folder's default is formed before the store is read, so a desktop without a
    // path fails this step even when a folder is stored.
    steps.step(132, [&] {
        const QString fallback = DesktopFolderFrom(desktopPath());
        Text1->setText(storedValue(steps, 132, QString::fromLatin1(keys::kOutputFolder), fallback));
    });
    const std::array<QLineEdit*, 4> fields{Text2, Text3, Text4, Text5};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const int line = 134 + 2 * static_cast<int>(k);
        steps.step(line, [&] {
            fields[k]->setText(storedValue(steps, line, QString::fromLatin1(kEchoFields[k].control),
                                           QString::fromLatin1(kEchoFields[k].fallback)));
        });
    }
}

// A store that cannot be read fails alike for every key: the first read reports it at its
// step's line, and every field then shows its default.
QString Form1::storedValue(StepRunner& steps, int line, const QString& key,
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
void Form1::storeSetting(const QString& handler, const QString& key, const QString& value) {
    const Result<> stored = SettingsStore::write(key, value);
    if (stored || storeWriteReported_)
        return;
    storeWriteReported_ = true;
    StepRunner(reporter(), handler).step(100, [&] { throw StepError(stored.error()); });
}

}  // namespace eb
