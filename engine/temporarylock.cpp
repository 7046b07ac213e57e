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
#include <algorithm>
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

// What a private tool folder holds: the tool, the preview's samples ("input-<n>.raw",
// "echo-<n>.raw") and the prepared copies of MP3 inputs ("input-XXXXXX.mp3").
bool LooksLikeToolFolderFile(const QByteArray& name) {
    if (name == "sox" || (name.size() == 16 && name.startsWith("input-") && name.endsWith(".mp3")))
        return true;
    const qsizetype dash = name.indexOf('-');
    const QByteArray stage = name.left(dash);
    const QByteArray number = name.mid(dash + 1, name.size() - dash - 5);
    return (stage == "input" || stage == "echo") && name.endsWith(".raw") && !number.isEmpty() &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the files a tool folder holds (the folder open as `fd`); nothing else is touched.
void RemoveToolFolderFiles(int fd) {
    const posix::DirStream dir(
        posix::UniqueFd(::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (LooksLikeToolFolderFile(QByteArray(entry->d_name)))
            ::unlinkat(dir.fd(), entry->d_name, 0);
    }
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
            RemoveToolFolderFiles(fd);
            return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
        });
}

}  // namespace eb
