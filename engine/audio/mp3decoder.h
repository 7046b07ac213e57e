// libmpg123 set up the way the loudness measurement reads MP3: float samples at the stream's
// own rate and channel count.
#pragma once

#include <QString>

#include <memory>

struct mpg123_handle_struct;

namespace eb {

struct Mp3DecoderDeleter {
    void operator()(mpg123_handle_struct* handle) const;
};
using Mp3Decoder = std::unique_ptr<mpg123_handle_struct, Mp3DecoderDeleter>;

// A decoder of the file at `path` that leaves out the encoder's delay and padding when the
// file says what they are. Null when the file cannot be opened.
Mp3Decoder OpenMp3File(const QString& path);
// A gapless decoder of the MP3 file open as `fd` (which stays the caller's), giving `channels`
// channels whatever a part of the file holds (a mono part in both). Null when it cannot be set
// up.
Mp3Decoder OpenMp3Fd(int fd, int channels);
// A decoder of bytes handed to it with mpg123_feed, which gives every decoded sample: nothing
// is left out, whatever a header frame might say.
Mp3Decoder OpenMp3Feed();

}  // namespace eb
