#include "posix/fileio.h"

#include "posix/retry.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace eb::posix {

namespace {

// Repeats `transfer(done)` until `size` bytes are through; a transfer of nothing is EIO.
template <typename Transfer>
bool TransferAll(std::int64_t size, Transfer transfer) {
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = RetryOnEintr([&] { return transfer(done); });
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

bool ReadAt(int fd, std::int64_t offset, char* buffer, std::int64_t size) {
    return TransferAll(size, [&](std::int64_t done) {
        return ::pread(fd, buffer + done, static_cast<size_t>(size - done),
                       static_cast<off_t>(offset + done));
    });
}

bool WriteAt(int fd, std::int64_t offset, const char* data, std::int64_t size) {
    return TransferAll(size, [&](std::int64_t done) {
        return ::pwrite(fd, data + done, static_cast<size_t>(size - done),
                        static_cast<off_t>(offset + done));
    });
}

int Reopen(int fd, int flags) {
    char name[32];
    std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    const int opened = ::open(name, flags | O_CLOEXEC | O_NOCTTY);
    if (opened >= 0 || errno != ENOENT)
        return opened;
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

bool WriteAll(int fd, const char* data, std::int64_t size) {
    return TransferAll(size, [&](std::int64_t done) {
        return ::write(fd, data + done, static_cast<size_t>(size - done));
    });
}

}  // namespace eb::posix
