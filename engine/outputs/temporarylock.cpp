#include "engine/outputs/temporarylock.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/runrecord.h"
#include "posix/uniquefd.h"

#include <QFile>
#include <QMutex>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
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

// Removes the file open as `fd` from the folder open as `folderFd` under whatever name it has
// there now (someone who may write the folder can have renamed it): the name the system keeps
// for the descriptor, taken only while it is still that file in that folder.
void UnlinkWhereItIs(int fd, int folderFd) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(link, target.data(), static_cast<size_t>(target.size()));
    if (n <= 0 || n >= target.size())
        return;
    target.truncate(n);
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    struct stat made {};
    struct stat named {};
    struct stat folder {};
    struct stat holding {};
    const posix::UniqueFd parent(
        ::open(target.left(target.lastIndexOf('/') + 1).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (parent && ::fstat(parent.get(), &holding) == 0 && ::fstat(folderFd, &folder) == 0 &&
        SameFile(holding, folder) && ::fstat(fd, &made) == 0 && made.st_nlink > 0 &&
        ::fstatat(folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(made, named))
        ::unlinkat(folderFd, name.constData(), 0);
}

}  // namespace

SaidResult<MadeTemporary> CreateLockedTemporary(int folderFd, const QByteArray& folder,
                                                const QByteArray& prefix, const QByteArray& suffix) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 64; ++attempt) {
        QByteArray name = prefix;
        for (int k = 0; k < 6; ++k)
            name += kLetters[QRandomGenerator::system()->bounded(int{sizeof kLetters} - 1)];
        name += suffix;
        // The mode is the usual 0666 less the process's mask, as the tool would have made it.
        posix::UniqueFd fd(::openat(folderFd, name.constData(),
                                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd && errno == EEXIST)
            continue;
        if (!fd)
            return Failed{CreateError(errno)};
        const QByteArray path = (folder.endsWith('/') ? folder : folder + '/') + name;
        // A cleaner of another batch may have taken the lock before us and removed the name:
        // the file is ours only when it is still there under that name once locked.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(fd.get(), &opened) != 0 ||
            opened.st_nlink == 0)
            continue;
        if (::fstatat(folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !SameFile(opened, named)) {
            UnlinkWhereItIs(fd.get(), folderFd);  // renamed away at once: not left there
            continue;
        }
        if (const SaidResult<> recorded = RecordMade(MadeKind::Temporary, fd.get(), path);
            !recorded) {
            ::unlinkat(folderFd, name.constData(), 0);
            return Failed{recorded.error()};
        }
        posix::UniqueFd mine(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3));
        posix::UniqueFd held(::fcntl(folderFd, F_DUPFD_CLOEXEC, 3));
        if (!mine || !held) {
            const int error = errno;
            ::unlinkat(folderFd, name.constData(), 0);
            return Failed{CreateError(error)};
        }
        const QMutexLocker lock(&g_mutex);
        Held()[path] = HeldTemporary{std::move(fd), std::move(held), name};
        return MadeTemporary{path, std::move(mine)};
    }
    return Failed{CreateError(EEXIST)};
}

SaidResult<MadeTemporary> CreateLockedTemporaryBeside(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? path.left(slash) : QByteArray("/");
    const QByteArray name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf('.');
    const posix::UniqueFd at(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!at)
        return Failed{CreateError(errno)};
    return CreateLockedTemporary(at.get(), folder,
                                 '.' + (dot > 0 ? name.left(dot) : name) + ".echobatch-",
                                 dot > 0 ? name.mid(dot) : QByteArray());
}

SaidResult<> PutTemporaryInPlace(const QByteArray& temporary, const QByteArray& name) {
    const QMutexLocker lock(&g_mutex);
    const auto it = Held().find(temporary);
    if (it == Held().end() || !it->second.folder)
        return Failed{InBoth([] { return UserText::tr("the temporary output is not ours"); })};
    const HeldTemporary& held = it->second;
    const auto isOurs = [&](const QByteArray& at) {
        struct stat made {};
        struct stat named {};
        return ::fstat(held.fd.get(), &made) == 0 &&
               ::fstatat(held.folder.get(), at.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
               SameFile(made, named);
    };
    // Someone who may write the folder can rename the temporary aside and put another file
    // or a link under its name: that one is never put in place.
    const auto replaced = [] {
        return Failed{InBoth([] {
            return UserText::tr("the temporary output was replaced by another file meanwhile");
        })};
    };
    if (!isOurs(held.name))
        return replaced();
    if (::renameat(held.folder.get(), held.name.constData(), held.folder.get(),
                   name.constData()) != 0) {
        const int error = errno;
        return Failed{InBoth([error] { return ErrnoText(error); })};
    }
    if (!isOurs(name)) {
        // Swapped between the look and the rename: what now stands there is not ours.
        ::unlinkat(held.folder.get(), name.constData(), 0);
        return replaced();
    }
    Held().erase(it);
    return {};
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
        else if (held.folder)
            UnlinkWhereItIs(held.fd.get(), held.folder.get());
    }
    Held().erase(it);
}

}  // namespace eb
