#include "process/processsetup.h"

#include "posix/uniquefd.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>

namespace eb {

void PrepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        posix::UniqueFd opened(::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY));
        if (opened.get() == fd)
            opened.release();  // it fills the gap itself and stays open
        else if (opened)       // a lower number was free as well and is taken by now
            ::dup2(opened.get(), fd);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

long RaiseOpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        struct rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? 1L << 20 : static_cast<long>(limit.rlim_cur);
}

}  // namespace eb
