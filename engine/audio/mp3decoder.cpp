#include "engine/audio/mp3decoder.h"

#include <QFile>

#include <mpg123.h>

namespace eb {

void Mp3DecoderDeleter::operator()(mpg123_handle_struct* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
}

namespace {

Mp3Decoder NewFloatDecoder(long addFlags, long removeFlags, int channels = 0) {
    int error = 0;
    Mp3Decoder decoder(mpg123_new(nullptr, &error));
    if (!decoder)
        return nullptr;
    mpg123_handle* h = decoder.get();
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | addFlags, 0);
    if (removeFlags)
        mpg123_param(h, MPG123_REMOVE_FLAGS, removeFlags, 0);
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t k = 0; k < count; ++k)
        mpg123_format(h, rates[k],
                      channels == 1   ? MPG123_MONO
                      : channels == 2 ? MPG123_STEREO
                                      : MPG123_MONO | MPG123_STEREO,
                      MPG123_ENC_FLOAT_32);
    return decoder;
}

}  // namespace

Mp3Decoder OpenMp3File(const QString& path) {
    Mp3Decoder decoder = NewFloatDecoder(MPG123_GAPLESS, 0);
    if (!decoder || mpg123_open(decoder.get(), QFile::encodeName(path).constData()) != MPG123_OK)
        return nullptr;
    return decoder;
}

Mp3Decoder OpenMp3Fd(int fd, int channels) {
    Mp3Decoder decoder = NewFloatDecoder(MPG123_GAPLESS, 0, channels);
    if (!decoder || mpg123_open_fd(decoder.get(), fd) != MPG123_OK)
        return nullptr;
    return decoder;
}

Mp3Decoder OpenMp3Feed() {
    Mp3Decoder decoder = NewFloatDecoder(0, MPG123_GAPLESS);
    if (!decoder || mpg123_open_feed(decoder.get()) != MPG123_OK)
        return nullptr;
    return decoder;
}

}  // namespace eb
