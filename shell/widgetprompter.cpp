#include "shell/widgetprompter.h"

#include "core/appinfo.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QUrl>

namespace eb {

namespace {
void LogUi(const QString& kind, const QString& title, const QString& text) {
    const QString logFile = qEnvironmentVariable("ECHOBATCH_UI_LOG");
    if (logFile.isEmpty())
        return;
    QFile file(logFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QString flat = text;
    flat.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    file.write(
        (kind + QLatin1Char('\t') + title + QLatin1Char('\t') + flat + QLatin1Char('\n')).toUtf8());
}

// Boxes show their text as written, never as rich text (a name holding "<b>" stays as it is),
// with its line breaks. A box of the shown window is centred over it; one that comes before the
// window is shown (at start-up) has no parent, so it is centred on the screen.
void ShowAsPlainText(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
}

QWidget* BoxParent(QWidget* owner) {
    return owner && owner->window()->isVisible() ? owner : nullptr;
}

QString TitleOrAppTitle(const QString& title) {
    return title.isEmpty() ? AppTitle() : title;
}

// The start folder, or the nearest folder above it that exists. Given a folder that is not
// there (a desktop folder nobody made), Qt's dialog would open in the parent with the missing
// name filled in as the choice, or, two levels down, in the working folder.
QString ExistingFolderAtOrAbove(QString folder) {
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        folder = parent == folder ? QString() : parent;
    }
    return folder;
}
}  // namespace

WidgetPrompter::WidgetPrompter(QWidget* owner) : owner_(owner) {
    static const bool kEpt = [] {
        keepDialogStateOut();
        return true;
    }();
    Q_UNUSED(kEpt);
}

// A device, not a folder: no file can be made below it, whoever runs the program.
QString WidgetPrompter::dialogStateFolder() {
    return QStringLiteral("/dev/null");
}

void WidgetPrompter::keepDialogStateOut() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dialogStateFolder());
}

void WidgetPrompter::message(const QString& text, Icon icon, const QString& title) {
    const QString shownTitle = TitleOrAppTitle(title);
    LogUi(QStringLiteral("message"), shownTitle, text);
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, shownTitle,
                    text, QMessageBox::Ok, BoxParent(owner_));
    ShowAsPlainText(box);
    box.setAccessibleDescription(text);
    box.exec();
}

bool WidgetPrompter::askYesNo(const QString& text) {
    LogUi(QStringLiteral("question"), AppTitle(), text);
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    BoxParent(owner_));
    ShowAsPlainText(box);
    box.setDefaultButton(QMessageBox::Yes);
    box.setAccessibleDescription(text);
    return box.exec() == QMessageBox::Yes;
}

namespace {
// The buttons of a question, captions in order, the default also the answer to Escape.
QList<QPushButton*> AddChoices(QMessageBox& box, const QStringList& buttons, int defaultButton) {
    QList<QPushButton*> shown;
    for (const QString& caption : buttons)
        shown << box.addButton(caption, QMessageBox::ActionRole);
    if (defaultButton >= 0 && defaultButton < shown.size()) {
        box.setDefaultButton(shown[defaultButton]);
        box.setEscapeButton(shown[defaultButton]);
    }
    return shown;
}

int ChosenIndex(const QMessageBox& box, const QList<QPushButton*>& shown, int defaultButton) {
    const auto chosen = shown.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return chosen < 0 ? defaultButton : static_cast<int>(chosen);
}
}  // namespace

int WidgetPrompter::choose(const QString& text, const QStringList& buttons, int defaultButton) {
    LogUi(QStringLiteral("choice"), AppTitle(), text + u'\n' + buttons.join(u'|'));
    QMessageBox box(QMessageBox::Question, AppTitle(), text, QMessageBox::NoButton,
                    BoxParent(owner_));
    ShowAsPlainText(box);
    const QList<QPushButton*> shown = AddChoices(box, buttons, defaultButton);
    box.setAccessibleDescription(text);
    box.exec();
    return ChosenIndex(box, shown, defaultButton);
}

// Window-modal and not waited for, so the batch it is about goes on while it is open.
void WidgetPrompter::ask(const QString& text, const QStringList& buttons, int defaultButton,
                         std::function<void(int)> answered) {
    closeQuestion();
    LogUi(QStringLiteral("choice"), AppTitle(), text + u'\n' + buttons.join(u'|'));
    auto* box = new QMessageBox(QMessageBox::Question, AppTitle(), text, QMessageBox::NoButton,
                                BoxParent(owner_));
    ShowAsPlainText(*box);
    const QList<QPushButton*> shown = AddChoices(*box, buttons, defaultButton);
    box->setAccessibleDescription(text);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, shown, defaultButton, answered = std::move(answered)] {
                         box->deleteLater();
                         answered(ChosenIndex(*box, shown, defaultButton));
                     });
    question_ = box;
    box->open();
}

void WidgetPrompter::closeQuestion() {
    QMessageBox* box = question_;
    question_ = nullptr;
    if (!box)
        return;
    QObject::disconnect(box, &QMessageBox::finished, nullptr, nullptr);
    box->hide();
    box->deleteLater();
}

void WidgetPrompter::messageWithDetails(const QString& text, const QString& details) {
    LogUi(QStringLiteral("message"), AppTitle(), text);
    LogUi(QStringLiteral("details"), AppTitle(), details);
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, BoxParent(owner_));
    ShowAsPlainText(box);
    box.setDetailedText(details);
    box.setAccessibleDescription(text);
    box.exec();
}

QString WidgetPrompter::qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        if (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString WidgetPrompter::openFiles(const QString& title, const QString& filter, int capacity) {
    LogUi(QStringLiteral("openFiles"), title, filter);
    QFileDialog dialog(owner_, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // A typed name is taken as written, whether or not the file exists (the batch then names
    // its failure): the mode that takes any name, with the lists' multiple selection of
    // existing files put back.
    dialog.setFileMode(QFileDialog::AnyFile);
    for (const char* name : {"listView", "treeView"}) {
        if (auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name)))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return QString();
    QStringList names;
    for (const QString& path : chosen)
        names << QFileInfo(path).fileName();
    return SelectionResult(QFileInfo(chosen.front()).path(), names, capacity);
}

QString WidgetPrompter::pickFolder(const QString& prompt, const QString& startFolder) {
    LogUi(QStringLiteral("pickFolder"), prompt, startFolder);
    // Only folders of the file system, read-only: no name to type, no new folder, and no
    // rename or delete in the lists' menu.
    QFileDialog dialog(owner_, prompt, ExistingFolderAtOrAbove(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog |
                      QFileDialog::ReadOnly);
    for (const char* name : {"fileNameLabel", "fileNameEdit", "newFolderButton"}) {
        if (auto* widget = dialog.findChild<QWidget*>(QLatin1String(name)))
            widget->hide();
    }
    for (auto* action : dialog.findChildren<QAction*>()) {
        const QString name = action->objectName();
        if (name == QLatin1String("qt_new_folder_action") ||
            name == QLatin1String("qt_rename_action") || name == QLatin1String("qt_delete_action"))
            action->setVisible(false);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

bool WidgetPrompter::openExternally(const QString& target) {
    LogUi(QStringLiteral("open"), QString(), target);
    const QUrl url =
        target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

}  // namespace eb
