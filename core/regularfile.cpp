#include "core/regularfile.h"

#include "core/systemerror.h"
#include "core/usertext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace eb {

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

QString NoSuchFileReason() {
    return UserText::tr("no such file");
}

bool NamesNothing(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
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

}  // namespace eb
