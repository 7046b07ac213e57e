#include "core/storefile.h"

#include "core/regularfile.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace eb {

namespace {

QString TooLarge(qint64 size, qint64 maxBytes) {
    return UserText::tr("larger than %1 MB (%2 bytes)").arg(maxBytes / 1024 / 1024).arg(size);
}

QString NotRegular(const QString& kind) {
    return NotRegularPrefix() + kind;
}

// The final target of a link, when it is a regular file of the user's own in a folder of the
// user's own.
Result<QByteArray> OwnLinkTarget(const QByteArray& link) {
    char resolved[PATH_MAX];
    if (!::realpath(link.constData(), resolved))
        return Failed{errno == ENOENT ? NotRegular(UserText::tr("a link to nothing"))
                                      : ErrnoText(errno)};
    const QByteArray target(resolved);
    struct stat st {};
    if (::stat(target.constData(), &st) != 0)
        return Failed{ErrnoText(errno)};
    if (!S_ISREG(st.st_mode))
        return Failed{NotRegular(UserText::tr("a link to ") + KindOfMode(st.st_mode))};
    if (st.st_uid != ::geteuid())
        return Failed{NotRegular(UserText::tr("a link to a file of another user"))};
    const QByteArray folder = target.left(qMax<qsizetype>(target.lastIndexOf('/'), 1));
    if (::stat(folder.constData(), &st) != 0 || st.st_uid != ::geteuid())
        return Failed{NotRegular(UserText::tr("a link into a folder of another user"))};
    return target;
}

}  // namespace

Result<QByteArray> ReadStoreFile(const QByteArray& path, qint64 maxBytes) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        if (errno == ENOENT)
            return QByteArray();
        return Failed{ErrnoText(errno)};
    }
    if (!S_ISREG(st.st_mode))
        return Failed{NotRegular(KindOfMode(st.st_mode))};
    if (st.st_size > maxBytes)
        return Failed{TooLarge(st.st_size, maxBytes)};
    Result<posix::UniqueFd> fd = OpenRegularFile(path);
    if (!fd)
        return Failed{fd.error()};
    QByteArray bytes(maxBytes + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = posix::RetryOnEintr(
            [&] { return ::read(fd->get(), bytes.data() + got, size_t(bytes.size() - got)); });
        if (n < 0)
            return Failed{ErrnoText(errno)};
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return Failed{TooLarge(got, maxBytes)};
    bytes.truncate(got);
    return bytes;
}

Result<QByteArray> StoreWriteTarget(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT)
            return Failed{ErrnoText(errno)};
        if (!QDir().mkpath(QFileInfo(QFile::decodeName(path)).path()))
            return Failed{UserText::tr("its folder cannot be made")};
        return path;
    }
    if (S_ISREG(st.st_mode))
        return path;
    if (S_ISLNK(st.st_mode))
        return OwnLinkTarget(path);
    return Failed{NotRegular(KindOfMode(st.st_mode))};
}

Result<> ReplaceFile(const QByteArray& target, const QByteArray& bytes) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray hidden = target.left(slash + 1) + '.' + target.mid(slash + 1) + '.';
    QByteArray temp;
    posix::UniqueFd fd;
    // A name of its own, made with O_EXCL: the new file gets the permissions of the user's
    // file mask, as a file the user makes by hand.
    for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
        temp = hidden + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd.reset(posix::RetryOnEintr([&] {
            return ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
        }));
        if (!fd && errno != EEXIST)
            break;
    }
    if (!fd)
        return Failed{ErrnoText(errno)};
    auto removeTemp = qScopeGuard([&] { ::unlink(temp.constData()); });
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && ::fchmod(fd.get(), st.st_mode & 07777) != 0)
        return Failed{ErrnoText(errno)};
    if (!posix::WriteAll(fd.get(), bytes.constData(), bytes.size()) || ::fsync(fd.get()) != 0 ||
        !fd.close() || ::rename(temp.constData(), target.constData()) != 0)
        return Failed{ErrnoText(errno)};
    removeTemp.dismiss();
    return {};
}

}  // namespace eb
