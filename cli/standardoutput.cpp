#include "cli/standardoutput.h"

#include "core/usertext.h"
#include "posix/errnotext.h"

#include <unistd.h>
#include <cerrno>
#include <string>

namespace eb {

namespace {

bool g_failed = false;

void NoteFailure(int error) {
    if (g_failed)
        return;
    g_failed = true;
    const std::string line = "echobatch-cli: " + UserText::tr("write error: ").toStdString() +
                             posix::ErrnoText(error) + '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace

bool WriteStandardOutput(const QByteArray& bytes, bool flush, std::FILE* stream) {
    if (stream == stdout && g_failed)
        return false;
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                     stream) == static_cast<size_t>(bytes.size()) &&
                         (!flush || std::fflush(stream) == 0);
    if (!written && stream == stdout)
        NoteFailure(errno != 0 ? errno : EIO);
    return written;
}

int FinishStandardOutput(int status) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        NoteFailure(errno != 0 ? errno : EIO);
    return g_failed && status == 0 ? 1 : status;
}

}  // namespace eb
