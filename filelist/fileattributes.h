// Windows-style attribute values of paths, as the folder scan and the folder adders test them.
//
// hidden 2: the name starts with "."; read-only 1: the user may not write the path; directory
// 16; archive 32: every regular file; alias 1024: a symbolic link (directory and archive then
// describe its target); system 4: a directory of a kernel pseudo file system (proc, sysfs,
// devtmpfs, cgroup, ...), which also counts as hidden, so such folders have the value 22.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace eb {

inline constexpr int kAttrReadOnly = 1;
inline constexpr int kAttrHidden = 2;
inline constexpr int kAttrSystem = 4;
inline constexpr int kAttrDirectory = 16;
inline constexpr int kAttrArchive = 32;
inline constexpr int kAttrAlias = 1024;

// The attribute value of the path (a trailing "/" is ignored, so "a/link/" describes the link),
// or nothing when the path cannot be looked at (missing, empty, malformed, no permission).
std::optional<int> FileAttributes(const QString& path);

// True when the path, with any number of "/" at its end, is the root folder "/".
bool IsRootFolder(const QString& path);

// The descend test: a folder whose value is 22 or 1046 (hidden + system, with or without
// alias) is not entered, nor any other system folder whatever its read-only bit, unless it is
// the root folder.
bool MayDescend(int attributes, bool isRoot);

// Finds the kernel pseudo file systems a folder may lie on. It reads the mount table once, on
// first use, so a scan keeps one for its whole run.
class PseudoFsTable {
public:
    PseudoFsTable() = default;
    PseudoFsTable(const PseudoFsTable&) = delete;
    PseudoFsTable& operator=(const PseudoFsTable&) = delete;

    // `device` is the st_dev of the folder named by the NUL-terminated `path`.
    bool isPseudo(unsigned long long device, const char* path);

private:
    // The devices of the pseudo file systems mounted, once the table has been read.
    std::optional<std::vector<unsigned long long>> devices_;
};

// FileAttributes with a caller's table (so a scan does not read the mount table per folder).
std::optional<int> FileAttributesWith(const QString& path, PseudoFsTable& table);

}  // namespace eb
