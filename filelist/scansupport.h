// Pieces shared by the folder scan's collection and listing (not for use elsewhere).
#pragma once

#include "paths/fileidentity.h"

#include "filelist/folderscan.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <dirent.h>
#include <functional>

namespace eb::scan {

// Serves the event queue at most once per interval while a scan runs.
class Pacer {
public:
    explicit Pacer(const ScanYield& yield) : yield_(yield) {}
    void tick();

private:
    const ScanYield& yield_;
    QElapsedTimer timer_;
};

bool IsDotOrDotDot(const char* name);

// The presence test on `name` relative to the folder open as `dirFd` (or AT_FDCWD): the file is
// opened without read or write access, so only its being there counts, not who may read it.
// Anything that is not a regular file is refused before it is opened, so a FIFO never blocks
// and a device is never touched; `knownRegular` skips that look when the listing already said so.
bool PresentAt(int dirFd, const char* name, bool knownRegular);

// The entries of one folder that are not folders, as the directory listed them.
struct RawEntries {
    QByteArray names;  // each name followed by a NUL byte
    QByteArray types;  // the d_type of each name, in the same order

    void add(const char* name, unsigned char type) {
        names.append(name).append('\0');
        types.append(static_cast<char>(type));
    }
};

// Called with each folder right after it has been entered, and its entries that are no folders.
using EnteredFn = std::function<void(const QString& folder, RawEntries&& files)>;

// CollectSubfolders (recursive) that reports each folder as it is entered, so its files can be
// looked at while the scan goes on, without reading the folder a second time.
// Folders in `passOver` (and so everything below them) are not entered; each met is appended to
// `passed`.
void CollectSubfoldersNotifying(FolderSet& set, const ScanYield& yield, const EnteredFn& onEntered,
                                const IdentitySet& passOver = {}, QStringList* passed = nullptr);

}  // namespace eb::scan
