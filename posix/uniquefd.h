// The one owner of a file descriptor: it closes the descriptor when it goes, and can be moved
// but not copied, so every open descriptor has exactly one owner.
#pragma once

namespace eb::posix {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Gives the descriptor up without closing it; the owner is empty afterwards.
    int release();
    // Closes the descriptor held (if any) and takes `fd` instead. errno is kept.
    void reset(int fd = -1);
    // Closes now and tells whether the close succeeded, which for a written file says whether
    // the last writes reached the file system (errno tells why not). The owner is empty
    // afterwards; closing an empty owner succeeds.
    bool close();

private:
    int fd_ = -1;
};

}  // namespace eb::posix
