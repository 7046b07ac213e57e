#include "posix/uniquefd.h"

#include <unistd.h>
#include <cerrno>

namespace eb::posix {

UniqueFd::~UniqueFd() {
    reset();
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0 && fd_ != fd) {
        // A close is never repeated, not even after EINTR: on Linux the descriptor is gone
        // either way, and its number may already belong to another thread's file.
        const int saved = errno;
        ::close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

bool UniqueFd::close() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

}  // namespace eb::posix
