// An MP3 input decoded here for the tool: a thread decodes it gaplessly (libmpg123, float
// samples at the file's rate, every part in the file's largest channel count) and writes them
// as a WAV stream (a header of unknown length, then the samples) into a pipe whose other end
// is the tool's standard input. The pipe's ends are close-on-exec, so no other child holds the
// tool's input open; a tool that ends early makes the writes fail (EPIPE: the thread blocks
// the signals) and the thread ends; stop() ends it at once, also while it waits for the tool.
#pragma once

#include "core/result.h"
#include "engine/audio/mp3decoder.h"
#include "posix/uniquefd.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

namespace eb {

class DecodedInput {
public:
    struct Outcome {
        std::int64_t samples = 0;  // sample frames written whole into the pipe
        bool complete = false;     // the decoder reached the end of the file
        Said failure;              // why the decoder stopped early; empty otherwise
    };

    DecodedInput() = default;
    // Stops the thread and waits for it.
    ~DecodedInput();
    DecodedInput(const DecodedInput&) = delete;
    DecodedInput& operator=(const DecodedInput&) = delete;

    // Opens the file open as `fd` anew (the caller keeps `fd`), its decoder and the pipe, and
    // starts writing. The pipe's read end is then handed to the tool with takeToolEnd().
    SaidResult<> start(int fd, int sampleRate, int channels);
    posix::UniqueFd takeToolEnd() { return std::move(toolEnd_); }
    // The thread ends at its next step.
    void stop();
    // Waits for the thread's end; what it wrote and why it stopped.
    const Outcome& finish();

private:
    void feed();
    void decode();
    bool give(const unsigned char* data, std::size_t size);

    posix::UniqueFd input_;
    posix::UniqueFd toolEnd_;
    posix::UniqueFd writeEnd_;
    posix::UniqueFd stopFd_;
    Mp3Decoder decoder_;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::atomic<bool> stop_{false};
    Outcome outcome_;
    std::thread thread_;
};

}  // namespace eb
