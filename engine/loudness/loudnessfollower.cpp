#include "engine/loudness/loudnessfollower.h"

#include "engine/audio/mp3decoder.h"
#include "mp3/id3v2header.h"
#include "mp3/mp3frames.h"

#include "posix/fileio.h"

#include <QFile>

#include <mpg123.h>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace eb {

namespace {

// Samples before the music in the tool's raw output: the decoder's own delay and the
// encoder's (the finished file's LAME extension names the second).
constexpr std::int64_t kDelaySamples = 529 + 576;
// How often the thread looks for new bytes while the tool writes: SoX writes a 10-second song
// in about 0.1 s, so at 40 ms the end often found 20 KB still to decode, with the batch waiting.
constexpr std::chrono::milliseconds kPollInterval{10};

// The size of an ID3v2 tag at the start of `b` (its header, body and footer), as the tag
// reader sizes it, or 0.
std::size_t LeadingTagBytes(std::span<const unsigned char> b) {
    return b.size() < 10
               ? 0
               : static_cast<std::size_t>(std::max<std::int64_t>(id3::TagSize(b.data()), 0));
}

// A frame that holds no music: the encoder's header frame ("Xing", "Info"), or the blank frame
// it writes in its place until the end, when it fills it in.
bool IsHeaderFrame(std::span<const unsigned char> frame, const FrameHeader& h) {
    const std::size_t at = 4 + static_cast<std::size_t>(h.sideInfoBytes);
    if (frame.size() < at + 4)
        return false;
    if (std::memcmp(frame.data() + at, "Xing", 4) == 0 ||
        std::memcmp(frame.data() + at, "Info", 4) == 0)
        return true;
    return std::all_of(frame.begin() + 4, frame.end(), [](unsigned char c) { return c == 0; });
}

}  // namespace

struct LoudnessFollower::Decoder {
    Mp3Decoder handle = OpenMp3Feed();
    std::vector<float> buffer = std::vector<float>(std::size_t{2} * 8192);
};

LoudnessFollower::LoudnessFollower(int fd, std::int64_t music)
    : fd_(posix::Reopen(fd, O_RDONLY)),
      music_(music),
      decoder_(std::make_unique<Decoder>()) {
    if (fd_ && decoder_->handle && music_ > 0)
        thread_ = std::thread(&LoudnessFollower::follow, this);
    else
        failed_ = true;
}

// The flags are set under the lock, so that a thread about to wait cannot miss the wake.
void LoudnessFollower::raise(std::atomic<bool>& flag) {
    {
        const std::lock_guard lock(mutex_);
        flag = true;
    }
    wake_.notify_all();
}

LoudnessFollower::~LoudnessFollower() {
    raise(stop_);
    if (thread_.joinable())
        thread_.join();
}

std::shared_ptr<Loudness> LoudnessFollower::finish() {
    raise(writerEnded_);
    if (thread_.joinable())
        thread_.join();
    return !failed_ && loudness_ && decoded_ >= kDelaySamples + music_ ? loudness_ : nullptr;
}

// Reads what the tool has written, then waits for more until the tool has ended; a read that
// finds nothing after the end was announced has reached the file's true end.
void LoudnessFollower::follow() {
    std::vector<unsigned char> chunk(1 << 16);
    while (!stop_ && !failed_) {
        const bool ended = writerEnded_;
        const ssize_t got = ::read(fd_.get(), chunk.data(), chunk.size());
        if (got > 0) {
            failed_ = !consume({chunk.data(), static_cast<std::size_t>(got)});
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || ended)
            break;
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, kPollInterval, [this] { return writerEnded_ || stop_; });
    }
}

bool LoudnessFollower::consume(std::span<const unsigned char> bytes) {
    if (streaming_)
        return decode(bytes.data(), bytes.size());
    head_.insert(head_.end(), bytes.begin(), bytes.end());
    return startStream();
}

// Once the first frame has arrived: the tag before it and a header frame are passed over, the
// rest goes to the decoder.
bool LoudnessFollower::startStream() {
    const std::span<const unsigned char> head(head_);
    const std::size_t at = LeadingTagBytes(head);
    if (head.size() < std::max<std::size_t>(at + 4, 10))
        return true;  // more bytes needed
    FrameHeader h;
    if (!ParseFrameHeader(head.data() + at, h))
        return false;
    if (head.size() < at + static_cast<std::size_t>(h.bytes))
        return true;
    const std::size_t skip =
        IsHeaderFrame(head.subspan(at, static_cast<std::size_t>(h.bytes)), h) ? at + h.bytes : at;
    streaming_ = true;
    const bool ok = decode(head.data() + skip, head.size() - skip);
    head_ = {};
    return ok;
}

bool LoudnessFollower::decode(const unsigned char* bytes, std::size_t count) {
    mpg123_handle* h = decoder_->handle.get();
    if (mpg123_feed(h, bytes, count) != MPG123_OK)
        return false;
    for (;;) {
        std::size_t got = 0;
        std::vector<float>& buffer = decoder_->buffer;
        const int rc = mpg123_read(h, buffer.data(), buffer.size() * sizeof(float), &got);
        if (rc == MPG123_NEW_FORMAT) {
            int encoding = 0, channels = 0;
            long rate = 0;
            mpg123_getformat(h, &rate, &channels, &encoding);
            if (loudness_ && (rate != rate_ || channels != channels_))
                return false;  // a stream that changes its format gets no figure from here
            rate_ = rate;
            channels_ = channels;
            loudness_ = loudness_ ? loudness_ : Loudness::create(channels, rate);
            if (!loudness_)
                return false;
            continue;
        }
        if (got > 0 &&
            !meter(buffer.data(), static_cast<std::int64_t>(got / sizeof(float)) / channels_))
            return false;
        if (rc == MPG123_NEED_MORE)
            return true;
        if (rc != MPG123_OK)
            return false;
    }
}

// Meters the part of `frames` decoded frames that lies within the music.
bool LoudnessFollower::meter(const float* samples, std::int64_t frames) {
    if (!loudness_)
        return false;
    const std::int64_t from = std::max(decoded_, kDelaySamples);
    const std::int64_t to = std::min(decoded_ + frames, kDelaySamples + music_);
    if (to > from)
        loudness_->add(samples + (from - decoded_) * channels_,
                       static_cast<std::size_t>(to - from));
    decoded_ += frames;
    return true;
}

}  // namespace eb
