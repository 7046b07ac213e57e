#include "engine/outputtree.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputclaims.h"
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

// True when `path` (an existing folder) is `root` or lies anywhere below it.
bool LiesWithin(const QByteArray& path, const FileIdentity& root) {
    char buffer[PATH_MAX];
    if (::realpath(path.constData(), buffer) == nullptr)
        return false;
    for (QByteArray at(buffer);; at = ParentOf(at)) {
        if (IdentityOf(QFile::decodeName(at)) == root)
            return true;
        if (at == "/")
            return false;
    }
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

QString MakeOutputSubfolder(const QString& outputFolder, const QString& folder) {
    const QByteArray top = QFile::encodeName(outputFolder);
    const std::optional<FileIdentity> root = IdentityOf(outputFolder);
    QByteArray at = top.endsWith('/') ? top.chopped(1) : top;
    for (const QByteArray& name : QFile::encodeName(folder).mid(top.size()).split('/')) {
        if (name.isEmpty())
            continue;
        at += '/' + name;
        const QString shown = QFile::decodeName(at);
        struct stat st {};
        if (::lstat(at.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
            if (::stat(at.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                return SkippedReason(
                    UserText::tr("%1 is a symbolic link that leads to no folder").arg(shown));
            if (root && LiesWithin(at, *root))
                return SkippedReason(UserText::tr("%1 is a symbolic link into the output "
                                                  "folder; an output written through it "
                                                  "could replace another")
                                         .arg(shown));
            continue;
        }
        if (::mkdir(at.constData(), 0777) != 0 && errno != EEXIST)
            return UserText::tr("cannot make the output folder %1: %2")
                .arg(shown, ErrnoText(errno));
        if (::stat(at.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return UserText::tr("cannot make the output folder %1: a file of that name is there")
                .arg(shown);
    }
    return QString();
}

}  // namespace eb
