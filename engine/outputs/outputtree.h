// Where an output really goes: its path with every symbolic link and ".." resolved, also through
// folders that are not made yet, and the folders below the output folder made one by one, never
// through a link, with the reason when one cannot be.
#pragma once

#include "core/result.h"
#include "posix/uniquefd.h"

#include <QString>

namespace eb {

// The absolute `path` as the system will follow it: each symbolic link on the way replaced by
// its target (also a link to a folder not made yet), "." and ".." taken after the links, as the
// system takes them. Components that do not exist are kept as they are.
QString ResolvedPath(const QString& path);

// True when names in the folder open as `folderFd` are compared without regard to letter case
// (FAT, exFAT, NTFS, or a case-folding ext4 folder).
bool FoldsCase(int folderFd);

// Makes `folder`, which lies below `outputFolder`, and the folders between as needed, each
// opened from the one above it without following links: a link at any level below the output
// folder is refused by name, wherever it leads, so that no output is ever written outside the
// output folder's own tree. The output folder itself may be a link. Fails with why the folder
// cannot be had.
SaidResult<> MakeOutputSubfolder(const QString& outputFolder, const QString& folder);

// The same walk, making nothing: the folder open (read-only) as the walk finds it, or why it
// cannot be had. `folder` may be `outputFolder` itself.
SaidResult<posix::UniqueFd> OpenOutputFolder(const QString& outputFolder, const QString& folder);

}  // namespace eb
