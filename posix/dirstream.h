// A folder's directory stream that closes itself (and with it the folder's descriptor).
#pragma once

#include "posix/uniquefd.h"

#include <dirent.h>

namespace eb::posix {

class DirStream {
public:
    // Opens the folder at `path` (close-on-exec, links followed) for listing.
    static DirStream open(const char* path);
    // Lists the folder open as `folder`; the stream takes the descriptor over.
    explicit DirStream(UniqueFd folder);
    ~DirStream();
    DirStream(DirStream&& other) noexcept;
    DirStream& operator=(DirStream&&) = delete;
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    // False when the folder could not be opened or listed (errno tells why).
    explicit operator bool() const { return dir_ != nullptr; }
    DIR* get() const { return dir_; }
    // The folder's descriptor, for the *at() calls on its entries.
    int fd() const { return ::dirfd(dir_); }

private:
    DIR* dir_ = nullptr;
};

}  // namespace eb::posix
