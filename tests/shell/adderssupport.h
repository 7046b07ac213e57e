// Helpers for the folder adders' window tests: the list's rows, a prompter that records what it
// was asked to open, and a folder that vanishes mid-scan (small trees of files come from
// support/testsupport.h).
#pragma once

#include "scriptedprompter.h"
#include "shell/form1.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <memory>

namespace ebtest {

inline QStringList rows(const eb::Form1& form) {
    QStringList all;
    for (int i = 1; i <= form.EntryCount(); ++i)
        all << form.EntryText(i);
    return all;
}

struct RecordingPrompter : ScriptedPrompter {
    QStringList opened;
    bool openExternally(const QString& target) override {
        opened << target;
        return true;
    }
};

// Deletes `victim` as soon as the folder `watched` has been closed after a listing, through the
// event queue the window serves during a scan: the scan has found the victim by then, but its
// own turn has not come yet.
class VanishAfterListing {
public:
    VanishAfterListing(const QString& watched, const QString& victim)
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
    ~VanishAfterListing() {
        notifier_.reset();
        if (fd_ >= 0)
            close(fd_);
    }
    VanishAfterListing(const VanishAfterListing&) = delete;
    VanishAfterListing& operator=(const VanishAfterListing&) = delete;

    bool watching() const { return notifier_ != nullptr; }
    bool deleted = false;

private:
    int fd_;
    QString victim_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ebtest
