// The bytes of a file as the frame walk reads them: either bytes already in memory, or a file
// read through its descriptor in pieces (pread) into one window, so that walking a file of any
// length holds no more of it than the window, and a file that another process truncates or
// rewrites meanwhile is only read wrong, never a fault of this process (as a mapping would be).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace eb {

class ByteWindow {
public:
    // How much of a file one read takes.
    static constexpr std::int64_t kWindowBytes = std::int64_t{1} << 20;

    explicit ByteWindow(std::span<const unsigned char> bytes);
    // The `size` bytes of the file open as `fd` (which stays the caller's).
    ByteWindow(int fd, std::int64_t size);

    std::int64_t size() const { return size_; }
    // The bytes from `at` on: at least `count` of them, fewer only where the file ends. Valid
    // until the next call that asks for bytes outside what the last one gave.
    const unsigned char* at(std::int64_t at, std::int64_t count);
    // True from the first read that failed (its bytes then read as the end of the file).
    bool failed() const { return failed_; }

private:
    std::span<const unsigned char> memory_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::vector<unsigned char> window_;
    std::int64_t windowAt_ = 0;
    bool failed_ = false;
};

}  // namespace eb
