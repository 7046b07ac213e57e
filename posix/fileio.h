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

}  // namespace eb::posix
