#include "engine/outputs/temporarylock.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/runrecord.h"
#include "posix/uniquefd.h"

#include <QFile>
#include <QMutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <map>

namespace eb {

namespace {

// A temporary held by this process: its lock, and the folder it was made in with its name
// there, so that it can still be removed when the folder was renamed meanwhile.
struct HeldTemporary {
    posix::UniqueFd fd;
    posix::UniqueFd folder;
    QByteArray name;
};

QMutex g_mutex;
std::map<QByteArray, HeldTemporary>& Held() {
    static std::map<QByteArray, HeldTemporary> held;
    return held;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Why a temporary could not be made: a limit of this process is not the folder's fault.
Said CreateError(int error) {
    return InBoth([error] {
        if (error == EMFILE || error == ENFILE)
            return UserText::tr(
                       "cannot open another file: %1 (a limit of this process or "
                       "system, not of the output folder)")
                .arg(ErrnoText(error));
        return UserText::tr("cannot write into the output folder: ") + ErrnoText(error);
    });
}

}  // namespace

SaidResult<QByteArray> CreateLockedTemporary(const QByteArray& pattern) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray name = pattern;
        posix::UniqueFd fd(::mkostemps(name.data(), 4, O_CLOEXEC));
        if (!fd)
            return Failed{CreateError(errno)};
        // A cleaner of another batch may have taken the lock before us and removed the name:
        // the file is ours only when it is still there under that name once locked.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &opened) == 0 &&
            opened.st_nlink > 0 && ::lstat(name.constData(), &named) == 0 &&
            SameFile(opened, named)) {
            if (const SaidResult<> recorded = RecordMade(MadeKind::Temporary, fd.get(), name);
                !recorded) {
                ::unlink(name.constData());
                return Failed{recorded.error()};
            }
            const qsizetype slash = name.lastIndexOf('/');
            posix::UniqueFd folder(::open(slash > 0 ? name.left(slash).constData() : "/",
                                          O_PATH | O_DIRECTORY | O_CLOEXEC));
            const QMutexLocker lock(&g_mutex);
            Held()[name] = HeldTemporary{std::move(fd), std::move(folder), name.mid(slash + 1)};
            return name;
        }
    }
    return Failed{CreateError(EEXIST)};
}

bool TemporaryFolderGone(const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    const auto it = Held().find(name);
    const qsizetype slash = name.lastIndexOf('/');
    struct stat made {};
    struct stat named {};
    return it != Held().end() && it->second.folder &&
           ::fstat(it->second.folder.get(), &made) == 0 &&
           (::stat(slash > 0 ? name.left(slash).constData() : "/", &named) != 0 ||
            !SameFile(made, named));
}

void ReleaseTemporary(const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    Held().erase(name);
}

void ReleaseUnlinkedTemporaries() {
    const QMutexLocker lock(&g_mutex);
    for (auto it = Held().begin(); it != Held().end();) {
        struct stat st {};
        if (::fstat(it->second.fd.get(), &st) == 0 && st.st_nlink == 0) {
            it = Held().erase(it);
        } else {
            ++it;
        }
    }
}

void RemoveTemporary(const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    const auto it = Held().find(name);
    if (it == Held().end())
        return;
    // Only the file that was made goes, found in its folder even under the folder's new name.
    const HeldTemporary& held = it->second;
    struct stat made {};
    struct stat named {};
    if (::fstat(held.fd.get(), &made) == 0 && made.st_nlink > 0) {
        if (held.folder &&
            ::fstatat(held.folder.get(), held.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(made, named))
            ::unlinkat(held.folder.get(), held.name.constData(), 0);
        else if (::lstat(name.constData(), &named) == 0 && SameFile(made, named))
            ::unlink(name.constData());
    }
    Held().erase(it);
}

}  // namespace eb
