#include "mp3/bytewindow.h"

#include "posix/fileio.h"

#include <algorithm>

namespace eb {

ByteWindow::ByteWindow(std::span<const unsigned char> bytes)
    : memory_(bytes), size_(static_cast<std::int64_t>(bytes.size())) {}

ByteWindow::ByteWindow(int fd, std::int64_t size) : fd_(fd), size_(std::max<std::int64_t>(size, 0)) {}

const unsigned char* ByteWindow::at(std::int64_t at, std::int64_t count) {
    // What a read past the end gives: zeros, as many as any caller reads at once.
    static constexpr unsigned char kNothing[1 << 14] = {};
    if (at < 0 || at >= size_)
        return kNothing;
    if (fd_ < 0)
        return memory_.data() + at;
    const std::int64_t want = std::min(std::max(count, std::int64_t{1}), size_ - at);
    const auto have = static_cast<std::int64_t>(window_.size());
    if (at >= windowAt_ && at + want <= windowAt_ + have)
        return window_.data() + (at - windowAt_);
    const std::int64_t length = std::min(std::max(want, kWindowBytes), size_ - at);
    window_.resize(static_cast<std::size_t>(length));
    windowAt_ = at;
    if (!posix::ReadAt(fd_, at, reinterpret_cast<char*>(window_.data()), length)) {
        // A file cut short meanwhile: what could not be read ends it here.
        failed_ = true;
        size_ = at;
        window_.clear();
        return kNothing;
    }
    return window_.data();
}

}  // namespace eb
