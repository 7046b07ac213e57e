#include "core/regularfile.h"

#include "core/systemerror.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace eb {

QString KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return QString();
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    return QStringLiteral("not a file");
}

QString NotRegularReason(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return ErrnoText(errno);
    const QString kind = KindOfMode(st.st_mode);
    return kind.isEmpty() ? QString() : QStringLiteral("not a regular file: ") + kind;
}

Result<posix::UniqueFd> OpenRegularFile(const QByteArray& path) {
    if (const QString why = NotRegularReason(path); !why.isEmpty())
        return Failed{why};
    posix::UniqueFd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return Failed{ErrnoText(errno)};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Failed{QStringLiteral("not a regular file: ") + KindOfMode(st.st_mode)};
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace eb
