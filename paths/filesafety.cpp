#include "paths/filesafety.h"

#include <sys/stat.h>
#include <unistd.h>

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
