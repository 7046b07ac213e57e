#include "engine/filesafety.h"

#include "core/systemerror.h"
#include "core/usertext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace eb {

namespace {

bool TrustedOwner(uid_t uid) {
    return uid == 0 || uid == ::geteuid();
}

// Writable by someone other than root and the running user: by all, or by a group other than
// root's and the user's own (another user may belong to it).
bool OthersMayWrite(const struct stat& st) {
    return (st.st_mode & S_IWOTH) != 0 ||
           ((st.st_mode & S_IWGRP) != 0 && st.st_gid != 0 && st.st_gid != ::getegid());
}

}  // namespace

QString KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return QString();
    if (S_ISFIFO(mode))
        return UserText::tr("a FIFO");
    if (S_ISCHR(mode))
        return UserText::tr("a character device");
    if (S_ISBLK(mode))
        return UserText::tr("a block device");
    if (S_ISSOCK(mode))
        return UserText::tr("a socket");
    if (S_ISDIR(mode))
        return UserText::tr("a folder");
    return UserText::tr("not a file");
}

QString NotRegularPrefix() {
    return UserText::tr("not a regular file: ");
}

QString NotRegularReason(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return ErrnoText(errno);
    const QString kind = KindOfMode(st.st_mode);
    return kind.isEmpty() ? QString() : NotRegularPrefix() + kind;
}

Result<posix::UniqueFd> OpenRegularFile(const QByteArray& path) {
    if (const QString why = NotRegularReason(path); !why.isEmpty())
        return Failed{why};
    posix::UniqueFd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return Failed{ErrnoText(errno)};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Failed{NotRegularPrefix() + KindOfMode(st.st_mode)};
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool OthersMayChange(const QByteArray& path) {
    struct stat st {};
    if (!path.startsWith('/') || ::lstat(path.constData(), &st) != 0 || S_ISLNK(st.st_mode) ||
        !TrustedOwner(st.st_uid) || OthersMayWrite(st))
        return true;
    // Anyone may add a name to a folder that others may write to; above it, the sticky bit
    // keeps others from renaming what is not theirs.
    QByteArray folder = path;
    for (bool own = true; folder.size() > 1; own = false) {
        folder.truncate(qMax(qsizetype(1), folder.lastIndexOf('/')));
        if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            !TrustedOwner(st.st_uid) ||
            (OthersMayWrite(st) && (own || (st.st_mode & S_ISVTX) == 0)))
            return true;
    }
    return false;
}

}  // namespace eb
