// Which file a path leads to: its device and inode, so that two texts naming the same file
// (a link, "./", a second path into the folder) compare equal.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

namespace eb {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

inline size_t qHash(const FileIdentity& id, size_t seed = 0) noexcept {
    return qHashMulti(seed, id.device, id.inode);
}

// The identity of the file the path leads to (links followed); none when it does not exist.
std::optional<FileIdentity> IdentityOf(const QString& path);

using IdentitySet = QSet<FileIdentity>;

}  // namespace eb
