#include "engine/audio/gaplessoutput.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/gaplessinput.h"
#include "mp3/mp3frames.h"

#include "posix/fileio.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace eb {

namespace {

// The encoder's delay before the music in every file it writes.
constexpr int kEncoderDelay = 576;

void PutBigEndian32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// The LAME extension after the Info header that starts at `x` in `f`.
void PutLameExtension(QByteArray& f, int x, const Mp3Frames& m, int padding) {
    auto* p = reinterpret_cast<unsigned char*>(f.data());
    const int e = x + 120;  // "Info", flags, frames, bytes, the seek table, the quality
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a nine-byte field, no terminator
    std::memcpy(p + e, "LAME3.100", 9);
    p[e + 9] = 1;  // revision 0, constant bitrate
    p[e + 20] = static_cast<unsigned char>(std::min(m.first.kbps, 255));
    p[e + 21] = static_cast<unsigned char>(kEncoderDelay >> 4);
    p[e + 22] = static_cast<unsigned char>(((kEncoderDelay & 0x0f) << 4) | (padding >> 8));
    p[e + 23] = static_cast<unsigned char>(padding & 0xff);
    const int rate = m.first.sampleRate;
    p[e + 24] = static_cast<unsigned char>((rate > 48000    ? 3
                                            : rate == 48000 ? 2
                                            : rate == 44100 ? 1
                                                            : 0)
                                           << 6);
    PutBigEndian32(p + e + 28, static_cast<std::uint32_t>(f.size() + m.audioBytes));
    const std::uint16_t tagCrc = LameCrc({p, static_cast<std::size_t>(e + 34)});
    p[e + 34] = static_cast<unsigned char>(tagCrc >> 8);
    p[e + 35] = static_cast<unsigned char>(tagCrc & 0xff);
}

// The CRC of the audio frames `m` of the file read through `bytes`, a window at a time.
std::uint16_t MusicCrc(ByteWindow& bytes, const Mp3Frames& m) {
    std::uint16_t crc = 0;
    for (std::int64_t at = m.audioStart; at < m.audioEnd; at += ByteWindow::kWindowBytes) {
        const std::int64_t n = std::min(ByteWindow::kWindowBytes, m.audioEnd - at);
        crc = LameCrc({bytes.at(at, n), static_cast<std::size_t>(n)}, crc);
    }
    return crc;
}

// An Info frame for the CBR audio `m` whose first frame starts with `first` and whose frames'
// CRC is `musicCrc`: the first frame's header without padding or CRC, at the lowest bitrate
// whose frame holds the header (at low bitrates the encoder does the same), empty side
// information (a decoder gives silence or passes it over), "Info" with the frame and byte
// counts, a linear seek table, and the LAME extension.
QByteArray InfoFrame(const unsigned char* first, std::uint16_t musicCrc, const Mp3Frames& m,
                     int padding) {
    unsigned char head[4];
    std::memcpy(head, first, 4);
    head[1] |= 1;     // no CRC
    head[2] &= 0x0d;  // no padding slot, the bitrate chosen below
    const int x = 4 + m.first.sideInfoBytes;
    FrameHeader h;
    for (int index = 1; index < 15; ++index) {
        head[2] = static_cast<unsigned char>((head[2] & 0x0f) | (index << 4));
        if (ParseFrameHeader(head, h) && h.bytes >= x + 156)
            break;
    }
    if (h.bytes < x + 156)
        return {};
    QByteArray f(h.bytes, '\0');
    auto* p = reinterpret_cast<unsigned char*>(f.data());
    std::memcpy(p, head, 4);
    const int size = h.bytes;
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a four-byte tag, no terminator
    std::memcpy(p + x, "Info", 4);
    PutBigEndian32(p + x + 4, 0x0f);
    PutBigEndian32(p + x + 8, static_cast<std::uint32_t>(m.frames));
    PutBigEndian32(p + x + 12, static_cast<std::uint32_t>(size + m.audioBytes));
    for (int i = 0; i < 100; ++i)
        p[x + 16 + i] = static_cast<unsigned char>(i * 256 / 100);
    p[x + 120 + 32] = static_cast<unsigned char>(musicCrc >> 8);
    p[x + 120 + 33] = static_cast<unsigned char>(musicCrc & 0xff);
    PutLameExtension(f, x, m, padding);
    return f;
}

QString Shorter(std::int64_t got, std::int64_t want, int rate) {
    // The count picks the plural form; a count past int's range is shown exactly.
    return UserText::tr("the output is shorter than the input: %1 of %2 (%3 of %4 samples)",
                        nullptr, static_cast<int>(qMin<std::int64_t>(want, 0x7fffffff)))
        .arg(SecondsText(got, rate), SecondsText(want, rate))
        .arg(got)
        .arg(want);
}

// Moves the bytes of the file open as `fd` from `from` to its end `size` by `by` bytes towards
// the end, a window at a time from the end backwards, so that nothing is read over before it
// is moved and no more than a window is held. 0, or the errno of the failed read or write.
int MoveTail(int fd, std::int64_t from, std::int64_t size, std::int64_t by) {
    std::vector<char> chunk;
    for (std::int64_t end = size; end > from;) {
        const std::int64_t at = std::max(from, end - ByteWindow::kWindowBytes);
        chunk.resize(static_cast<std::size_t>(end - at));
        if (!posix::ReadAt(fd, at, chunk.data(), end - at) ||
            !posix::WriteAt(fd, at + by, chunk.data(), end - at))
            return errno;
        end = at;
    }
    return 0;
}

// Empty when the frame is written or not wanted; else the system's error.
QString WriteInfoFrame(int fd, ByteWindow& bytes, const Mp3Frames& m, int padding) {
    // The tags the tool wrote before and after the audio stay where they are.
    unsigned char first[4];
    std::memcpy(first, bytes.at(m.audioStart, 4), 4);
    const QByteArray info = InfoFrame(first, MusicCrc(bytes, m), m, padding);
    if (bytes.failed())
        return ErrnoText(EIO);
    if (info.isEmpty() || !WithinFileSizeLimit(bytes.size() + info.size()))
        return {};  // no frame of this version holds the header, or the file may not grow
    if (const int error = MoveTail(fd, m.audioStart, bytes.size(), info.size()); error != 0)
        return ErrnoText(error);
    if (!posix::WriteAt(fd, m.audioStart, info.constData(), info.size()))
        return ErrnoText(errno);
    return {};
}

}  // namespace

SaidResult<> FinishOutput(int fd, const OutputExpectation& expected) {
    if (expected.inputMusic < 0 && expected.fed < 0)
        return {};  // an input of unknown length: nothing to check or to write
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        return Failed{InBoth(
            [&] { return UserText::tr("cannot read the tool's output: ") + ErrnoText(error); })};
    }
    ByteWindow bytes(fd, st.st_size);
    const Mp3Frames m = ScanMp3Frames(bytes);
    if (!m.valid)
        return Failed{InBoth([] { return UserText::tr("the tool's output holds no MP3 audio"); })};
    const int rate = m.first.sampleRate;
    // What its frames hold: with the encoder's header its own count, else every frame.
    const std::int64_t holds = m.lame ? m.musicSamples() : m.decodedSamples();
    if (expected.inputMusic > 0 && holds < expected.inputMusic)
        return Failed{InBoth([&] { return Shorter(holds, expected.inputMusic, rate); })};
    if (m.headerFrame >= 0 || expected.fed < 0)
        return {};
    // Frames that hold less than the encoder was given (the input's music is there, the echo's
    // end is not) or far more are not the encoder's usual end: no header rather than a wrong one.
    const std::int64_t padding = m.decodedSamples() - kEncoderDelay - expected.fed;
    if (padding < 0 || padding > 0x0fff)
        return {};
    if (const QString error = WriteInfoFrame(fd, bytes, m, static_cast<int>(padding));
        !error.isEmpty())
        return Failed{
            InBoth([&] { return UserText::tr("cannot write the output's Info frame: ") + error; })};
    return {};
}

}  // namespace eb
