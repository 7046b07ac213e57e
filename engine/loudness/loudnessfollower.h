// The loudness of the tool's output, measured while the tool writes it: a thread reads the
// file as it grows, decodes it and meters it on a core of its own, so that when the tool ends
// only its last bytes are left to measure. The tool's raw output holds the decoder's and the
// encoder's delay before the music and padding after it; only the `music` samples between
// them are metered, the same ones a gapless decoder gives of the finished file.
#pragma once

#include "engine/loudness/replaygain.h"
#include "posix/uniquefd.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace eb {

class LoudnessFollower {
public:
    // Follows the file open as `fd` (the file the tool writes, through a descriptor of its
    // own) whose frames carry `music` samples after the delays.
    LoudnessFollower(int fd, std::int64_t music);
    // Stops following.
    ~LoudnessFollower();
    LoudnessFollower(const LoudnessFollower&) = delete;
    LoudnessFollower& operator=(const LoudnessFollower&) = delete;

    // Once the writer has ended: reads the rest and gives the loudness of the music. Null when
    // the file could not be followed (not MP3 as expected, a change of format, shorter than
    // its music); the finished file is then measured instead.
    std::shared_ptr<Loudness> finish();

private:
    void raise(std::atomic<bool>& flag);
    void follow();
    bool consume(std::span<const unsigned char> bytes);
    bool startStream();
    bool decode(const unsigned char* bytes, std::size_t count);
    bool meter(const float* samples, std::int64_t frames);

    posix::UniqueFd fd_;
    std::int64_t music_;
    std::vector<unsigned char> head_;  // the bytes before the first frame is known
    bool streaming_ = false;
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    std::shared_ptr<Loudness> loudness_;
    int channels_ = 0;
    long rate_ = 0;
    std::int64_t decoded_ = 0;  // sample frames decoded so far
    bool failed_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> writerEnded_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace eb
