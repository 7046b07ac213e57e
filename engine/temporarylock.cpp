#include "engine/temporarylock.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

namespace eb {

namespace {

QMutex g_mutex;
QHash<QByteArray, int>& Held() {
    static QHash<QByteArray, int> held;
    return held;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// ".<base>.echobatch-XXXXXX.mp3"
bool LooksLikeTemporary(const QByteArray& name) {
    static const QByteArray marker(".echobatch-");
    constexpr qsizetype kTail = 11 + 6 + 4;
    return name.startsWith('.') && name.endsWith(".mp3") && name.size() > kTail &&
           name.mid(name.size() - kTail, marker.size()) == marker;
}

}  // namespace

QByteArray CreateLockedTemporary(const QByteArray& pattern) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray name = pattern;
        const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
        if (fd < 0)
            return QByteArray();
        // A cleaner of another batch may have taken the lock before us and removed the name:
        // the file is ours only when it is still there under that name once locked.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            opened.st_nlink > 0 && ::lstat(name.constData(), &named) == 0 &&
            SameFile(opened, named)) {
            const QMutexLocker lock(&g_mutex);
            Held().insert(name, fd);
            return name;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return QByteArray();
}

void ReleaseTemporary(const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    const auto it = Held().find(name);
    if (it == Held().end())
        return;
    ::close(it.value());
    Held().erase(it);
}

void ReleaseUnlinkedTemporaries() {
    const QMutexLocker lock(&g_mutex);
    for (auto it = Held().begin(); it != Held().end();) {
        struct stat st {};
        if (::fstat(it.value(), &st) == 0 && st.st_nlink == 0) {
            ::close(it.value());
            it = Held().erase(it);
        } else {
            ++it;
        }
    }
}

int RemoveAbandonedTemporaries(const QString& folder) {
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!LooksLikeTemporary(name))
            continue;
        const int fd = ::openat(dirFd, entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(opened, named) && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

int RemoveAbandonedToolFolders(const QString& temp) {
    const int tempFd =
        ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (tempFd < 0)
        return 0;
    DIR* dir = ::fdopendir(tempFd);
    if (!dir) {
        ::close(tempFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != 16 || !name.startsWith("echobatch-"))
            continue;
        const int fd =
            ::openat(tempFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(tempFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(opened, named)) {
            ::unlinkat(fd, "sox", 0);
            if (::unlinkat(tempFd, entry->d_name, AT_REMOVEDIR) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

}  // namespace eb
