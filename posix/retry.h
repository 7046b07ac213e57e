// A system call interrupted by a signal before it did anything is made again.
#pragma once

#include <cerrno>

namespace eb::posix {

// Calls `call` until it does not fail with EINTR and returns what it returned last. For calls
// that report failure as a negative result with errno (read, write, waitpid, poll, open, ...).
// A call with a deadline that must not start over on each signal (a poll with a timeout that
// is counted from the first try) handles EINTR itself; close() is never retried (UniqueFd).
template <typename Call>
auto RetryOnEintr(Call&& call) {
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR))
            return result;
    }
}

}  // namespace eb::posix
