#include "engine/outputs/uptodate.h"

#include "engine/audio/encodingclass.h"
#include "mp3/mp3frames.h"
#include "paths/pathhelpers.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace eb {

bool IsUpToDate(const QString& output, const QString& input) {
    const QByteArray name = QFile::encodeName(output);
    struct stat out {};
    if (::lstat(name.constData(), &out) != 0 || !S_ISREG(out.st_mode) ||
        !IsNewerThan(output, input))
        return false;
    const posix::UniqueFd fd(
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!fd || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode))
        return false;
    const QByteArray head = AudioHead(fd.get(), opened.st_size);
    return ScanMp3Frames({reinterpret_cast<const unsigned char*>(head.constData()),
                          static_cast<std::size_t>(head.size())})
        .valid;
}

}  // namespace eb
