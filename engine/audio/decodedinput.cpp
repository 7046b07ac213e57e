#include "engine/audio/decodedinput.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/gaplessinput.h"
#include "posix/fileio.h"
#include "posix/retry.h"

#include <QFile>

#include <fcntl.h>
#include <mpg123.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

namespace eb {

namespace {

// The pipe holds this much, so that the decoder runs ahead of the tool in few wake-ups.
constexpr int kPipeBytes = 256 * 1024;
constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

// A WAV header for 32-bit float samples whose count is not known: both lengths the largest.
std::array<unsigned char, 46> WavHeader(int rate, int channels) {
    std::array<unsigned char, 46> h{};
    std::size_t at = 0;
    auto text = [&](const char* four) {
        for (int k = 0; k < 4; ++k)
            h[at++] = static_cast<unsigned char>(four[k]);
    };
    auto number = [&](std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k)
            h[at++] = static_cast<unsigned char>(value >> (8 * k));
    };
    const auto frame = static_cast<std::uint32_t>(channels) * 4;
    text("RIFF");
    number(0xffffffff, 4);
    text("WAVE");
    text("fmt ");
    number(18, 4);
    number(3, 2);  // IEEE float
    number(static_cast<std::uint32_t>(channels), 2);
    number(static_cast<std::uint32_t>(rate), 4);
    number(static_cast<std::uint32_t>(rate) * frame, 4);
    number(frame, 2);
    number(32, 2);
    number(0, 2);
    text("data");
    number(0xffffffff, 4);
    return h;
}

}  // namespace

DecodedInput::~DecodedInput() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

SaidResult<> DecodedInput::start(int fd, int sampleRate, int channels) {
    auto failed = [](int error) {
        return Failed{InBoth([&] {
            return UserText::tr("cannot decode the input: ") +
                   (error != 0 ? ErrnoText(error) : UserText::tr("the decoder cannot be set up"));
        })};
    };
    // A descriptor of its own: the decoder reads on from its own position.
    input_.reset(posix::Reopen(fd, O_RDONLY));
    if (!input_)
        return failed(errno);
    decoder_ = OpenMp3Fd(input_.get(), channels);
    if (!decoder_)
        return failed(0);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return failed(errno);
    toolEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    stopFd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!stopFd_)
        return failed(errno);
    ::fcntl(writeEnd_.get(), F_SETPIPE_SZ, kPipeBytes);  // a smaller pipe only costs wake-ups
    ::fcntl(writeEnd_.get(), F_SETFL, ::fcntl(writeEnd_.get(), F_GETFL) | O_NONBLOCK);
    sampleRate_ = sampleRate;
    channels_ = channels;
    try {
        thread_ = std::thread(&DecodedInput::feed, this);
    } catch (const std::system_error& e) {
        return failed(e.code().value());
    }
    return {};
}

void DecodedInput::stop() {
    if (stop_.exchange(true) || !stopFd_)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n =
        posix::RetryOnEintr([&] { return ::write(stopFd_.get(), &one, sizeof one); });
}

const DecodedInput::Outcome& DecodedInput::finish() {
    if (thread_.joinable())
        thread_.join();
    return outcome_;
}

// Runs on the thread; the write end is closed at the end, which the tool reads as the end of
// its input. Every signal that can be is blocked here: a write to a tool that has gone fails
// with EPIPE instead of raising SIGPIPE, and the stop signals reach the other threads.
void DecodedInput::feed() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
    decode();
    writeEnd_.reset();
}

// Decodes chunk by chunk and writes each whole. The header goes in one write with the first
// samples: the tool learns the type of a pipe from its first bytes, and gets back to them only
// when its first read held them all.
void DecodedInput::decode() {
    mpg123_handle* h = decoder_.get();
    const std::array<unsigned char, 46> header = WavHeader(sampleRate_, channels_);
    std::vector<unsigned char> buffer(header.size() + kChunkBytes);
    std::copy(header.cbegin(), header.cend(), buffer.begin());
    std::size_t headerLeft = header.size();
    std::uint64_t given = 0;
    const auto frameBytes = static_cast<std::size_t>(channels_) * sizeof(float);
    while (!stop_.load()) {
        std::size_t done = 0;
        const int rc =
            mpg123_read(h, buffer.data() + headerLeft, buffer.size() - headerLeft, &done);
        if ((done > 0 || (rc == MPG123_DONE && headerLeft > 0)) &&
            !give(buffer.data(), done + headerLeft))
            break;
        headerLeft = done > 0 ? 0 : headerLeft;
        given += done;  // a chunk may end inside a sample frame
        outcome_.samples = static_cast<std::int64_t>(given / frameBytes);
        if (rc == MPG123_DONE) {
            outcome_.complete = true;
            break;
        }
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (rc == MPG123_NEW_FORMAT && mpg123_getformat(h, &rate, &channels, &encoding) == 0 &&
            (rate != sampleRate_ || channels != channels_)) {
            outcome_.failure = InBoth([&] {
                return UserText::tr("the audio changes its format after %1")
                    .arg(SecondsText(outcome_.samples, sampleRate_));
            });
            break;
        }
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
            outcome_.failure = InBoth([&] {
                return UserText::tr("the audio cannot be decoded after %1 (%2)")
                    .arg(SecondsText(outcome_.samples, sampleRate_),
                         QString::fromLocal8Bit(mpg123_strerror(h)));
            });
            break;
        }
    }
}

// Writes all of `data`, waiting while the pipe is full. False when the tool has gone (its end
// is closed) or the feed is stopped.
bool DecodedInput::give(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = posix::RetryOnEintr([&] { return ::write(writeEnd_.get(), data, size); });
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0 || errno != EAGAIN)
            return false;  // EPIPE: the tool has ended
        pollfd waits[2] = {{writeEnd_.get(), POLLOUT, 0}, {stopFd_.get(), POLLIN, 0}};
        if (posix::RetryOnEintr([&] { return ::poll(waits, 2, -1); }) < 0 || waits[1].revents != 0)
            return false;
    }
    return true;
}

}  // namespace eb
