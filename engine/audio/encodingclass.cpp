#include "engine/audio/encodingclass.h"

#include "mp3/mp3frames.h"

#include "mp3/taglayout.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/wavproperties.h>

// These need the tag library's own types declared first.
#include <taglib/aiffproperties.h>
#include <taglib/flacproperties.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <span>

namespace eb {

namespace {

// The bitrates (kbps) the encoder writes: MPEG-1 at 32 to 48 kHz, MPEG-2 at 16 to 24 kHz,
// MPEG-2.5 below (the format allows up to 160 there, the encoder stops at 64).
constexpr std::span<const int> kMpeg1 = std::span(kMpeg1Kbps).subspan(1);
constexpr std::span<const int> kMpeg2 = std::span(kMpeg2Kbps).subspan(1);
constexpr std::span<const int> kMpeg25 = std::span(kMpeg2Kbps).subspan(1, 8);

// Average bitrates of music encoded at VBR quality 0 to 9, 44.1 kHz stereo.
constexpr std::array<int, 10> kVbrAverage{245, 225, 190, 175, 165, 130, 115, 100, 85, 65};

std::span<const int> BitratesAt(int sampleRate) {
    if (sampleRate <= 0 || sampleRate >= 32000)  // unknown rates: the encoder snaps down
        return kMpeg1;
    if (sampleRate >= 16000)
        return kMpeg2;
    return kMpeg25;
}

int NearestNotBelow(std::span<const int> valid, int kbps) {
    const auto it = std::lower_bound(valid.begin(), valid.end(), kbps);
    return kbps <= 0 || it == valid.end() ? valid.back() : *it;
}

// The quality whose usual average is closest to `kbps`; the averages shrink with the rate.
int VbrQualityFor(int kbps, int sampleRate) {
    const double scale = sampleRate > 0 && sampleRate < 32000 ? sampleRate / 44100.0 : 1.0;
    int best = 0;
    for (int q = 1; q < static_cast<int>(kVbrAverage.size()); ++q) {
        if (std::abs(kVbrAverage[q] * scale - kbps) < std::abs(kVbrAverage[best] * scale - kbps))
            best = q;
    }
    return best;
}

// The first bytes as a stream as long as the whole file, for formats other than MP3: a WAV
// whose audio chunk runs past the bytes read is still read, and a format whose bitrate is its
// size over its length (FLAC) gets the whole file's. Reads past the bytes give nothing.
class HeadStream : public TagLib::ByteVectorStream {
public:
    HeadStream(const TagLib::ByteVector& head, long fileLength)
        : TagLib::ByteVectorStream(head), fileLength_(fileLength) {}
    long length() override { return fileLength_; }

private:
    long fileLength_;
};

// The exact length of the formats whose header gives it.
long long SampleFrames(const TagLib::AudioProperties* props) {
    if (const auto* wav = dynamic_cast<const TagLib::RIFF::WAV::Properties*>(props))
        return wav->sampleFrames();
    if (const auto* aiff = dynamic_cast<const TagLib::RIFF::AIFF::Properties*>(props))
        return aiff->sampleFrames();
    if (const auto* flac = dynamic_cast<const TagLib::FLAC::Properties*>(props))
        return flac->sampleFrames() > 0 ? static_cast<long long>(flac->sampleFrames()) : -1;
    return -1;
}

}  // namespace

QByteArray AudioHead(int fd, off_t size) {
    constexpr qsizetype kHeadBytes = qsizetype{64} * 1024;
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, size);
    const std::int64_t at = layout ? layout->audioStart : 0;
    QByteArray head(kHeadBytes, Qt::Uninitialized);
    const ssize_t got =
        at < size ? posix::RetryOnEintr([&] { return ::pread(fd, head.data(), head.size(), at); })
                  : 0;
    head.resize(got > 0 ? got : 0);
    return head;
}

InputEncoding ReadInputEncoding(const QString& path) {
    // Only a regular file is read: opening a FIFO or a device could block or consume it.
    const posix::UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    return fd ? ReadInputEncoding(path, fd.get()) : InputEncoding();
}

InputEncoding ReadInputEncoding(const QString& path, int fd) {
    InputEncoding e;
    struct stat st {};
    QByteArray head;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        head = AudioHead(fd, st.st_size);
    if (head.isEmpty())
        return e;
    // An MP3's class comes from its frames, as the conversion reads it; other formats' from
    // TagLib.
    if (path.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive)) {
        const Mp3Frames m = ScanMp3Frames({reinterpret_cast<const unsigned char*>(head.constData()),
                                           static_cast<std::size_t>(head.size())});
        return m.valid ? EncodingOfFrames(m) : e;
    }
    TagLib::ByteVector bytes(head.constData(), static_cast<unsigned int>(head.size()));
    HeadStream whole(bytes, static_cast<long>(st.st_size));
    // The reference owns the file it is given.
    const TagLib::FileRef ref(&whole, true, TagLib::AudioProperties::Fast);
    const TagLib::AudioProperties* props = ref.isNull() ? nullptr : ref.audioProperties();
    if (!props || props->sampleRate() <= 0)
        return e;
    e.known = true;
    e.kbps = props->bitrate();
    e.sampleRate = props->sampleRate();
    e.samples = SampleFrames(props);
    return e;
}

InputEncoding EncodingOfFrames(const Mp3Frames& m) {
    InputEncoding e;
    e.known = true;
    e.mp3 = true;
    e.sampleRate = m.first.sampleRate;
    e.vbr = m.variable();
    e.kbps = e.vbr ? m.averageKbps() : m.commonKbps;
    e.vbrQuality = e.vbr ? m.lameQuality : -1;
    return e;
}

QString CompressionFor(const InputEncoding& input, int fixedKbps) {
    const std::span<const int> valid = BitratesAt(input.sampleRate);
    if (fixedKbps > 0)
        return QString::number(input.known ? NearestNotBelow(valid, fixedKbps) : fixedKbps);
    if (!input.known)
        return QString::number(valid.back());
    if (input.mp3 && input.vbr) {
        const int q =
            input.vbrQuality >= 0 ? input.vbrQuality : VbrQualityFor(input.kbps, input.sampleRate);
        return u'-' + QString::number(q);
    }
    return QString::number(NearestNotBelow(valid, input.kbps));
}

bool IsEncoderBitrate(int kbps) {
    return std::binary_search(kMpeg1.begin(), kMpeg1.end(), kbps) ||
           std::binary_search(kMpeg2.begin(), kMpeg2.end(), kbps);
}

}  // namespace eb
