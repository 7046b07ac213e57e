#include "engine/decodedinput.h"

#include "core/systemerror.h"
#include "core/usertext.h"
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

#include <vector>

namespace eb {

namespace {

// The pipe holds this much, so that the decoder runs ahead of the tool in few wake-ups.
constexpr int kPipeBytes = 256 * 1024;
constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

QString Seconds(std::int64_t samples, int rate) {
    return QString::number(rate > 0 ? static_cast<double>(samples) / rate : 0.0, 'f', 2) +
           QStringLiteral(" s");
}

}  // namespace

DecodedInput::~DecodedInput() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

Result<> DecodedInput::start(const QString& path, int sampleRate, int channels) {
    auto failed = [](const QString& what) {
        return Failed{UserText::tr("cannot decode the input: ") + what};
    };
    input_.reset(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!input_)
        return failed(ErrnoText(errno));
    ::fcntl(input_.get(), F_SETFL, ::fcntl(input_.get(), F_GETFL) & ~O_NONBLOCK);
    decoder_ = OpenMp3Fd(input_.get(), channels);
    if (!decoder_)
        return failed(UserText::tr("the decoder cannot be set up"));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return failed(ErrnoText(errno));
    toolEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    stopFd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!stopFd_)
        return failed(ErrnoText(errno));
    ::fcntl(writeEnd_.get(), F_SETPIPE_SZ, kPipeBytes);  // a smaller pipe only costs wake-ups
    ::fcntl(writeEnd_.get(), F_SETFL, ::fcntl(writeEnd_.get(), F_GETFL) | O_NONBLOCK);
    sampleRate_ = sampleRate;
    channels_ = channels;
    thread_ = std::thread(&DecodedInput::feed, this);
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

// Runs on the thread: decodes chunk by chunk and writes each whole; the write end is closed
// at the end, which the tool reads as the end of its input.
void DecodedInput::feed() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    mpg123_handle* h = decoder_.get();
    std::vector<unsigned char> buffer(kChunkBytes);
    const auto frameBytes = static_cast<std::size_t>(channels_) * sizeof(float);
    while (!stop_.load()) {
        std::size_t done = 0;
        const int rc = mpg123_read(h, buffer.data(), buffer.size(), &done);
        if (done > 0 && !give(buffer.data(), done))
            break;
        outcome_.samples += static_cast<std::int64_t>(done / frameBytes);
        if (rc == MPG123_DONE) {
            outcome_.complete = true;
            break;
        }
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (rc == MPG123_NEW_FORMAT && mpg123_getformat(h, &rate, &channels, &encoding) == 0 &&
            (rate != sampleRate_ || channels != channels_)) {
            outcome_.failure = UserText::tr("the audio changes its format after %1")
                                   .arg(Seconds(outcome_.samples, sampleRate_));
            break;
        }
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
            outcome_.failure = UserText::tr("the audio cannot be decoded after %1 (%2)")
                                   .arg(Seconds(outcome_.samples, sampleRate_),
                                        QString::fromLocal8Bit(mpg123_strerror(h)));
            break;
        }
    }
    writeEnd_.reset();
}

// Writes all of `data`, waiting while the pipe is full. False when the tool has gone (its end
// is closed) or the feed is stopped.
bool DecodedInput::give(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n =
            posix::RetryOnEintr([&] { return ::write(writeEnd_.get(), data, size); });
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0 || errno != EAGAIN)
            return false;  // EPIPE: the tool has ended
        pollfd waits[2] = {{writeEnd_.get(), POLLOUT, 0}, {stopFd_.get(), POLLIN, 0}};
        if (posix::RetryOnEintr([&] { return ::poll(waits, 2, -1); }) < 0 ||
            waits[1].revents != 0)
            return false;
    }
    return true;
}

}  // namespace eb
