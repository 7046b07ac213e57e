#include "engine/temporarylock.h"

#include "posix/dirstream.h"
#include "posix/uniquefd.h"

#include <QFile>
#include <QMutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <map>

namespace eb {

namespace {

QMutex g_mutex;
std::map<QByteArray, posix::UniqueFd>& Held() {
    static std::map<QByteArray, posix::UniqueFd> held;
    return held;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// ".<base>.echobatch-XXXXXX.mp3"
bool LooksLikeTemporary(const QByteArray& name) {
    static const QByteArray kMarker(".echobatch-");
    constexpr qsizetype kTail = 11 + 6 + 4;
    return name.startsWith('.') && name.endsWith(".mp3") && name.size() > kTail &&
           name.mid(name.size() - kTail, kMarker.size()) == kMarker;
}

// Removes the entries of `folder` that `matches` names and that nobody uses any more: each is
// opened with `flags`, must be of `type` and the running user's, is locked (so no live batch
// holds it) and must still be the file under that name; then `remove(dirFd, name, fd)` removes
// it and tells whether that worked. Returns how many went.
template <typename Matches, typename Remove>
int RemoveAbandoned(const QString& folder, int flags, mode_t type, Matches matches, Remove remove) {
    const posix::DirStream dir = posix::DirStream::open(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const int dirFd = dir.fd();
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!matches(QByteArray(entry->d_name)))
            continue;
        const posix::UniqueFd fd(::openat(dirFd, entry->d_name, flags | O_CLOEXEC));
        struct stat opened {};
        struct stat named {};
        if (fd && ::fstat(fd.get(), &opened) == 0 && (opened.st_mode & S_IFMT) == type &&
            opened.st_uid == ::geteuid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(opened, named) && remove(dirFd, entry->d_name, fd.get()))
            ++removed;
    }
    return removed;
}

}  // namespace

QByteArray CreateLockedTemporary(const QByteArray& pattern) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray name = pattern;
        posix::UniqueFd fd(::mkostemps(name.data(), 4, O_CLOEXEC));
        if (!fd)
            return QByteArray();
        // A cleaner of another batch may have taken the lock before us and removed the name:
        // the file is ours only when it is still there under that name once locked.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &opened) == 0 &&
            opened.st_nlink > 0 && ::lstat(name.constData(), &named) == 0 &&
            SameFile(opened, named)) {
            const QMutexLocker lock(&g_mutex);
            Held()[name] = std::move(fd);
            return name;
        }
    }
    errno = EEXIST;
    return QByteArray();
}

void ReleaseTemporary(const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    Held().erase(name);
}

void ReleaseUnlinkedTemporaries() {
    const QMutexLocker lock(&g_mutex);
    for (auto it = Held().begin(); it != Held().end();) {
        struct stat st {};
        if (::fstat(it->second.get(), &st) == 0 && st.st_nlink == 0) {
            it = Held().erase(it);
        } else {
            ++it;
        }
    }
}

int RemoveAbandonedTemporaries(const QString& folder) {
    return RemoveAbandoned(
        folder, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, S_IFREG,
        [](const QByteArray& name) { return LooksLikeTemporary(name); },
        [](int dirFd, const char* name, int) { return ::unlinkat(dirFd, name, 0) == 0; });
}

int RemoveAbandonedToolFolders(const QString& temp) {
    return RemoveAbandoned(
        temp, O_RDONLY | O_DIRECTORY | O_NOFOLLOW, S_IFDIR,
        [](const QByteArray& name) { return name.size() == 16 && name.startsWith("echobatch-"); },
        [](int dirFd, const char* name, int fd) {
            ::unlinkat(fd, "sox", 0);
            return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
        });
}

}  // namespace eb
