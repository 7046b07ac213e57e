// The folder scan behind "Add All MP3 File(s) In Folder", a dropped folder, the samples and the
// command line: collect a folder tree breadth-first, list the matching files of one folder, and
// tell whether a path names a file that can really be opened.
#pragma once

#include "filelist/fileattributes.h"
#include "filelist/namematch.h"
#include "paths/fileidentity.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace eb {

// An ordered list of folder paths, each ending with "/". A scan starts it with one folder and
// "/" appended, so the root "/" becomes "//" and every path built from it keeps the doubled
// separator until the root-separator fix removes it.
using FolderSet = QStringList;

// How a long scan lets the window serve its events.
struct ScanYield {
    // Called between folders and between listed names; empty means
    // QCoreApplication::processEvents() (when an application object exists).
    std::function<void()> call;
    // At most one call per interval in milliseconds (0: at every opportunity). The first
    // opportunity of a scan always calls.
    int intervalMs = 20;
};

// Appends every folder below the folders of `set` to it, breadth-first by level: the starting
// folders, then the folders one level down, then two levels down, and so on; within a level
// grouped by parent in the parents' order, and within a parent in NaturalSort order.
// A folder is entered when MayDescend allows it (the starting folders stay in the set even when
// they are not entered). Subfolders whose names hold unsafe characters are skipped. A folder
// whose subfolders may not be listed for lack of permission leaves the set; any other listing
// failure keeps it. No folder is entered twice (same device and inode, as through a symbolic
// link loop or a bind mount): a second path to it leaves the set, so each scan ends and lists
// each folder once. Without `recurse` only one level is added.
// A folder that cannot be looked at when its turn comes (it vanished meanwhile) ends the scan:
// StepError is thrown, and `set` then holds every folder collected before the failure.
void CollectSubfolders(FolderSet& set, bool recurse, const ScanYield& yield = {});

// The bare names of the files in `folder` (with or without a final "/") that match the wildcard
// `pattern` without regard to letter case ("*.*": every file), hidden files included, each
// confirmed by FileIsPresent, in NaturalSort order. Folders are not listed; a symbolic link to
// a file counts as a file. Names that are not valid UTF-8 are left out (no path built from them
// would name the file). An empty list when nothing matches or the folder cannot be read.
QStringList ListFolderFiles(const QString& folder, const QString& pattern);

// True when the path names a regular file (or a link to one) that is there. It is opened with
// no read or write access requested and closed at once, so a file the user may not read counts
// (its conversion then fails with the reason); a folder, a FIFO, a device, a missing file, a
// file in a folder that may not be searched or a malformed path is false, and nothing blocks
// or has side effects.
bool FileIsPresent(const QString& path);

// The files a folder add takes from the folders of `set`, folder by folder in the set's order,
// within a folder in ListFolderFiles order: names not starting with "~", present, and not a
// hidden regular file with no other attribute (value 34); each path is the folder, "/" and the
// name with every "//" made "/". The folders are listed on worker threads while the calling
// thread serves its events (see ScanYield); the result does not depend on the threads' timing.
QStringList AdmittedFolderFiles(const FolderSet& set, const QString& pattern,
                                const ScanYield& yield = {});

struct FolderScan {
    QStringList files;  // the admitted full paths
    QString failure;    // empty when the whole tree was scanned, else what stopped the scan
    // Files that would have been taken but whose names are not valid UTF-8, so no text of
    // Qt's could name them: their full paths with those bytes kept as DecodePathBytes keeps
    // them (paths/pathtext.h), for the caller to count and name.
    QStringList passedOver;
    // Folders of the tree that were not entered because the caller asked for them to be passed
    // over (see ScanFolderFiles), as the scan met them.
    QStringList passedOverFolders;
};

// A whole folder add: CollectSubfolders from `folder` (recursive), then AdmittedFolderFiles.
// When the collection fails, the files of the folders collected so far are still returned
// together with the failure; the caller decides what to do with them. An empty `folder` names
// no folder (it is not taken as the root).
// Folders in `passOver` (by identity) are neither entered nor listed, nor anything below them.
FolderScan ScanFolderFiles(const QString& folder, const QString& pattern,
                           const ScanYield& yield = {}, const IdentitySet& passOver = {});

}  // namespace eb
