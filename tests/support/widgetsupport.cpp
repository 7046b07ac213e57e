#include "widgetsupport.h"

#include "core/settingsstore.h"
#include "filelist/filelistmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

namespace ebtest {

QStringList rows(const eb::Form1& form) {
    QStringList all;
    for (int i = 1; i <= form.entryCount(); ++i)
        all << form.entryText(i);
    return all;
}

QModelIndex entryIndex(const eb::Form1& form, int index) {
    return form.fileList().index(index - 1);
}

QStringList shownFields(const eb::Form1& form) {
    return {form.controls().Text1->text(), form.controls().Text2->text(),
            form.controls().Text3->text(), form.controls().Text4->text(),
            form.controls().Text5->text()};
}

QStringList storedFields() {
    namespace keys = eb::keys;
    return {stored(keys::kOutputFolder), stored(keys::kText2), stored(keys::kText3),
            stored(keys::kText4), stored(keys::kText5)};
}

QStringList defaultFields(const QString& outputFolder) {
    return {outputFolder, QStringLiteral("0.8"), QStringLiteral("0.7"), QStringLiteral("63"),
            QStringLiteral("0.3")};
}

bool OpenWindow(std::unique_ptr<eb::Form1>& form, ScriptedPrompter& prompter,
                const eb::Form1Startup& startup, bool active) {
    form.reset();
    prompter = ScriptedPrompter();
    form = std::make_unique<eb::Form1>(startup, &prompter);
    form->show();
    return active ? QTest::qWaitForWindowActive(form.get())
                  : QTest::qWaitForWindowExposed(form.get());
}

VanishAfterListing::VanishAfterListing(const QString& watched, const QString& victim)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), victim_(victim) {
    if (fd_ < 0 ||
        inotify_add_watch(fd_, QFile::encodeName(watched).constData(), IN_CLOSE_NOWRITE) < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char events[4096];
        while (read(fd_, events, sizeof events) > 0) {
        }
        if (!deleted)
            deleted = QDir(victim_).removeRecursively();
    });
}

VanishAfterListing::~VanishAfterListing() {
    notifier_.reset();
    if (fd_ >= 0)
        close(fd_);
}

VanishingTree::VanishingTree(eb::Form1& form, const QString& suffix)
    : root(tmp.filePath(QStringLiteral("A"))) {
    form.setScanYieldInterval(0);
    const QStringList kept{"a", "B/b", "C/c", "B/D/d"};
    QStringList all = kept;
    all << QStringLiteral("C/E/e");
    for (QString& name : all)
        name += suffix;
    if (!makeTree(root, all))
        return;
    survivors = under(root, all.mid(0, kept.size()));
    vanish.emplace(root + QStringLiteral("/C"), root + QStringLiteral("/C/E"));
}

PointerProbe::PointerProbe(eb::Form1& form, QWidget* widget) {
    QTimer::singleShot(0, &form, [this, &form, widget] {
        seen = form.pointerState();
        shape = widget->cursor().shape();
        rowsSeen = form.entryCount();
    });
}

bool ProgramFolder::copyData(const QString& dataName, const QString& relative) const {
    const QString target = file(relative.isEmpty() ? dataName : relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile::remove(target);
    return QFile::copy(sourceDir() + QStringLiteral("/data/") + dataName, target);
}

eb::Form1Startup ProgramFolder::startup(const QString& desktop) const {
    eb::Form1Startup s;
    s.programFolder = path();
    s.desktopPath = [desktop] { return desktop; };
    return s;
}

}  // namespace ebtest
