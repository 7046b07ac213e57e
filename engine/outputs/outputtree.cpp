#include "engine/outputs/outputtree.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/outputclaims.h"
#include "paths/fileidentity.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace eb {

namespace {

constexpr int kMostLinks = 40;  // as many as the system follows in one path

// The link's target, or an empty text when `path` is no symbolic link.
QByteArray LinkTarget(const QByteArray& path) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

QByteArray ParentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : QByteArray("/");
}

}  // namespace

QString ResolvedPath(const QString& path) {
    QByteArrayList rest = QFile::encodeName(path).split('/');
    QByteArray done;  // resolved so far, without a final "/"
    int links = 0;
    while (!rest.isEmpty()) {
        const QByteArray name = rest.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            done = done.isEmpty() ? done : ParentOf(done);
            done = done == "/" ? QByteArray() : done;
            continue;
        }
        const QByteArray next = done + '/' + name;
        const QByteArray target = links < kMostLinks ? LinkTarget(next) : QByteArray();
        if (target.isEmpty()) {
            done = next;
            continue;
        }
        ++links;
        rest = target.split('/') + rest;
        if (target.startsWith('/'))
            done.clear();
    }
    return QFile::decodeName(done.isEmpty() ? QByteArray("/") : done);
}

bool FoldsCase(int folderFd) {
    constexpr std::array<long, 3> kFoldingSystems{0x4d44 /* FAT */, 0x2011bab0 /* exFAT */,
                                                  0x5346544e /* NTFS */};
    struct statfs fs {};
    if (::fstatfs(folderFd, &fs) == 0) {
        for (const long type : kFoldingSystems) {
            if (static_cast<long>(fs.f_type) == type)
                return true;
        }
    }
    long flags = 0;
    return ::ioctl(folderFd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
}

namespace {

SaidResult<posix::UniqueFd> WalkOutputFolder(const QString& outputFolder, const QString& folder,
                                             bool make) {
    const QByteArray top = QFile::encodeName(outputFolder);
    // The output folder itself may be a link, as the user named it; below it, no link is
    // followed: each folder is opened from the one above it.
    posix::UniqueFd at(::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (const int error = at ? 0 : errno; error != 0)
        return Failed{InBoth([&] {
            return UserText::tr("cannot open the output folder %1: %2")
                .arg(outputFolder, ErrnoText(error));
        })};
    QByteArray shown = top.endsWith('/') ? top.chopped(1) : top;
    for (const QByteArray& name : QFile::encodeName(folder).mid(top.size()).split('/')) {
        if (name.isEmpty() || name == ".")
            continue;
        shown += '/' + name;
        const QString text = QFile::decodeName(shown);
        if (name == "..")
            return Failed{InBoth([&] {
                return SkippedReason(UserText::tr("%1 leads out of the output folder").arg(text));
            })};
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        posix::UniqueFd next(::openat(at.get(), name.constData(), kFlags));
        if (!next && errno == ENOENT && make) {
            if (const int error = ::mkdirat(at.get(), name.constData(), 0777) != 0 ? errno : 0;
                error != 0 && error != EEXIST)
                return Failed{InBoth([&] {
                    return UserText::tr("cannot make the output folder %1: %2")
                        .arg(text, ErrnoText(error));
                })};
            next.reset(::openat(at.get(), name.constData(), kFlags));
        }
        if (!next) {
            const int error = errno;
            struct stat st {};
            const bool seen = ::fstatat(at.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            return Failed{InBoth([&] {
                if (seen && S_ISLNK(st.st_mode))
                    return SkippedReason(UserText::tr("%1 is a link; outputs are never written "
                                                      "through links below the output folder")
                                             .arg(text));
                if (seen && !S_ISDIR(st.st_mode))
                    return UserText::tr(
                               "cannot make the output folder %1: a file of that name is there")
                        .arg(text);
                return UserText::tr("cannot make the output folder %1: %2")
                    .arg(text, ErrnoText(error));
            })};
        }
        at = std::move(next);
    }
    return at;
}

}  // namespace

SaidResult<> MakeOutputSubfolder(const QString& outputFolder, const QString& folder) {
    const SaidResult<posix::UniqueFd> made = WalkOutputFolder(outputFolder, folder, true);
    if (!made)
        return Failed{made.error()};
    return {};
}

SaidResult<posix::UniqueFd> OpenOutputFolder(const QString& outputFolder, const QString& folder) {
    return WalkOutputFolder(outputFolder, folder, false);
}

}  // namespace eb
