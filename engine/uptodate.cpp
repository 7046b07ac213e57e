#include "engine/uptodate.h"

#include "mp3/mp3frames.h"
#include "mp3/taglayout.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace eb {

namespace {

constexpr ssize_t kHeadBytes = 65536;  // enough for the first frames after the tags

bool Later(const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec != b.st_mtim.tv_sec ? a.st_mtim.tv_sec > b.st_mtim.tv_sec
                                                : a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

// The first frames after the ID3v2 tags at the start of the open file.
bool HoldsMp3Audio(int fd, off_t size) {
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, size);
    if (!layout)
        return false;
    QByteArray head(kHeadBytes, '\0');
    const ssize_t n = posix::RetryOnEintr(
        [&] { return ::pread(fd, head.data(), kHeadBytes, layout->audioStart); });
    if (n <= 0)
        return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(head.constData());
    return ScanMp3Frames({bytes, static_cast<std::size_t>(n)}).valid;
}

}  // namespace

bool IsUpToDate(const QString& output, const QString& input) {
    const QByteArray name = QFile::encodeName(output);
    struct stat out {};
    struct stat in {};
    if (::lstat(name.constData(), &out) != 0 || !S_ISREG(out.st_mode) ||
        ::stat(QFile::encodeName(input).constData(), &in) != 0 || !Later(out, in))
        return false;
    const posix::UniqueFd fd(
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    return fd && ::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
           HoldsMp3Audio(fd.get(), opened.st_size);
}

}  // namespace eb
