// The frame walk on any bytes: it ends, stays inside them, and what it reports holds together
// (frames lie between the tags and the end, the header frame before the audio, counts and
// bitrates agree with each other).
#include "fuzzsupport.h"
#include "mp3/mp3frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const eb::Mp3Frames m = eb::ScanMp3Frames({data, size});
    const QString seen = QString::number(static_cast<qulonglong>(size));
    const auto end = static_cast<std::int64_t>(size);
    FUZZ_CHECK(m.valid == (m.frames > 0), seen);
    if (!m.valid)
        return 0;
    FUZZ_CHECK(0 <= m.audioStart && m.audioStart < m.audioEnd && m.audioEnd <= end, seen);
    FUZZ_CHECK(m.headerFrame < m.audioStart, seen);
    FUZZ_CHECK(m.audioBytes > 0 && m.audioBytes <= m.audioEnd - m.audioStart, seen);
    FUZZ_CHECK(m.first.samples == 1152 || m.first.samples == 576, seen);
    FUZZ_CHECK(m.minKbps <= m.maxKbps && m.maxChannels >= m.first.channels, seen);
    FUZZ_CHECK(m.decodedSamples() == m.frames * m.first.samples && m.musicSamples() >= 0, seen);
    FUZZ_CHECK(m.commonFrames < m.frames, seen);
    (void)eb::LameCrc({data, size});
    return 0;
}
