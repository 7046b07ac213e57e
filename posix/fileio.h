// Whole reads and writes over the short transfers and interruptions a system call may make.
// Both return false with errno set on failure; a file that ends too soon reads as EIO.
#pragma once

#include <cstdint>

namespace eb::posix {

// Reads exactly `size` bytes at `offset` into `buffer`.
bool ReadAt(int fd, std::int64_t offset, char* buffer, std::int64_t size);

// Writes all of `size` bytes of `data` at the descriptor's position.
bool WriteAll(int fd, const char* data, std::int64_t size);

// Writes all of `size` bytes of `data` at `offset`.
bool WriteAt(int fd, std::int64_t offset, const char* data, std::int64_t size);

// A descriptor of its own (its own position), close-on-exec, for the file open as `fd`, opened
// with `flags` through /proc/self/fd, so that it is that same file whatever has become of its
// name; where /proc is not there, a copy of `fd` (sharing its position). -1 with errno on
// failure.
int Reopen(int fd, int flags);

}  // namespace eb::posix
