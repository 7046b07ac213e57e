// Shared helpers for the window's tests: the list's rows, a prompter that records what it was
// asked to open, a folder tree that loses a folder mid-scan, what the pointer showed while the
// event queue was served, and a scratch program folder (small trees of files come from
// support/testsupport.h).
#pragma once

#include "shell/form1.h"
#include "shell/form1startup.h"
#include "support/scriptedprompter.h"
#include "support/testsupport.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class QSocketNotifier;

namespace ebtest {

// The list's entries, top to bottom.
QStringList rows(const eb::Form1& form);
// Entry `index` (1-based) as the list shows it.
QModelIndex entryIndex(const eb::Form1& form, int index);

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
    VanishAfterListing(const QString& watched, const QString& victim);
    ~VanishAfterListing();
    VanishAfterListing(const VanishAfterListing&) = delete;
    VanishAfterListing& operator=(const VanishAfterListing&) = delete;

    bool watching() const { return notifier_ != nullptr; }
    bool deleted = false;

private:
    int fd_;
    QString victim_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The tree A/{a, B/b, B/D/d, C/c, C/E/e} (each name + `suffix`) whose folder C/E vanishes once
// C has been listed; `survivors` are the files a breadth-first scan still finds. The window's
// scans are made to serve the event queue at every folder, so that the loss comes in time.
struct VanishingTree {
    VanishingTree(eb::Form1& form, const QString& suffix);
    QTemporaryDir tmp;
    QString root;
    QStringList survivors;
    std::optional<VanishAfterListing> vanish;
    bool ready() const { return vanish && vanish->watching(); }
};

// The output folder and the four echo fields as the window shows them and as they are stored.
QStringList shownFields(const eb::Form1& form);
QStringList storedFields();
// The fields of a first start with `outputFolder`: the folder, then the default echo texts.
QStringList defaultFields(const QString& outputFolder);

// Replaces `form` with a fresh window on `startup`, answered by `prompter` (emptied first), and
// shows it; true once the window is exposed (`active`: also active).
bool OpenWindow(std::unique_ptr<eb::Form1>& form, ScriptedPrompter& prompter,
                const eb::Form1Startup& startup = {}, bool active = false);

// The pointer the window shows (and the shape `widget` shows) when the event queue is next
// served, as during a scan.
struct PointerProbe {
    PointerProbe(eb::Form1& form, QWidget* widget);
    std::optional<eb::PointerState> seen;
    Qt::CursorShape shape = Qt::ArrowCursor;
    int rowsSeen = -1;
};

// A scratch program folder for window tests: the window is pointed at it, and a test puts in it
// the data files (or broken ones) that it wants beside the program.
class ProgramFolder {
public:
    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + u'/' + relative; }

    // Copies a file of the source tree's data folder to `relative` (default: the same name).
    bool copyData(const QString& dataName, const QString& relative = QString()) const;
    bool write(const QString& relative, const QByteArray& bytes) const {
        return writeFile(file(relative), bytes);
    }

    // The start-up of a window in this folder, with a desktop of the given path and no draw.
    eb::Form1Startup startup(const QString& desktop = QStringLiteral("/tmp/desk")) const;

private:
    QTemporaryDir dir_;
};

}  // namespace ebtest
