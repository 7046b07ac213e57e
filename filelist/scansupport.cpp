#include "filelist/scansupport.h"

#include "posix/uniquefd.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace eb::scan {

void Pacer::tick() {
    if (timer_.isValid() && timer_.elapsed() < yield_.intervalMs)
        return;
    if (yield_.call)
        yield_.call();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    timer_.start();
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool PresentAt(int dirFd, const char* name, bool knownRegular) {
    struct stat st {};
    if (!knownRegular && (fstatat(dirFd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)))
        return false;
    // O_PATH asks for neither read nor write access: a file the user may not read is still
    // there (the batch then names it with its reason), and nothing is ever opened for I/O.
    const posix::UniqueFd fd(openat(dirFd, name, O_PATH | O_CLOEXEC));
    return fd && fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace eb::scan
