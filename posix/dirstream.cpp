#include "posix/dirstream.h"

#include <fcntl.h>
#include <cerrno>

namespace eb::posix {

DirStream DirStream::open(const char* path) {
    return DirStream(UniqueFd(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
}

DirStream::DirStream(UniqueFd folder) {
    if (!folder)
        return;
    dir_ = ::fdopendir(folder.get());
    if (dir_)
        folder.release();
}

DirStream::~DirStream() {
    if (dir_) {
        const int saved = errno;
        ::closedir(dir_);
        errno = saved;
    }
}

DirStream::DirStream(DirStream&& other) noexcept : dir_(other.dir_) {
    other.dir_ = nullptr;
}

}  // namespace eb::posix
