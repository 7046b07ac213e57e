#include "mp3/mp3frames.h"

#include "mp3/id3v2header.h"
#include "mp3/taglayout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace eb {

namespace {

constexpr std::array<int, 3> kMpeg1Rates{44100, 48000, 32000};

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// The size of the ID3v2 tag at `at` (with its footer), as the tag reader sizes it; 0 when
// there is none.
std::int64_t Id3v2Size(ByteWindow& bytes, std::int64_t at) {
    if (at + 10 > bytes.size())
        return 0;
    return std::max<std::int64_t>(id3::TagSize(bytes.at(at, 10)), 0);
}

bool StartsWith(ByteWindow& bytes, std::int64_t at, const char* text) {
    const auto n = static_cast<std::int64_t>(std::strlen(text));
    return at + n <= bytes.size() &&
           std::memcmp(bytes.at(at, n), text, static_cast<std::size_t>(n)) == 0;
}

// A layer III header whose bitrate index is 0: a free-format frame.
bool FreeFormatHeader(const unsigned char* p) {
    FrameHeader h;
    unsigned char standard[4] = {p[0], p[1], static_cast<unsigned char>(p[2] | 0x10), p[3]};
    return (p[2] >> 4) == 0 && ParseFrameHeader(standard, h);
}

// The length without the padding slot of the free-format frame at `at`: up to the next header
// of the same stream, which a third one (or the end) must follow at the same length. 0 when
// there is none within the longest frame there can be.
int FreeFormatBytes(ByteWindow& bytes, std::int64_t at) {
    constexpr std::int64_t kLongest = 8192;
    unsigned char p[4];
    std::memcpy(p, bytes.at(at, 4), 4);
    const std::int64_t size = bytes.size();
    auto sameStream = [&](std::int64_t k) {
        const unsigned char* q = bytes.at(k, 4);
        return k + 4 <= size && q[0] == 0xff && q[1] == p[1] && (q[2] & 0xfc) == (p[2] & 0xfc);
    };
    for (std::int64_t next = at + 24; next + 4 <= size && next - at <= kLongest; ++next) {
        if (!sameStream(next))
            continue;
        const std::int64_t length = next - at - ((p[2] >> 1) & 1);
        const std::int64_t third = next + length + ((*bytes.at(next + 2, 1) >> 1) & 1);
        if (third + 4 > size || sameStream(third))
            return static_cast<int>(length);
    }
    return 0;
}

// What the walk knows of free-format frames: their length once it is learnt, and how many
// more places may be searched for it (each search reads up to the longest frame ahead, so
// bytes crafted to look like free-format headers everywhere cannot make the walk slow).
struct FreeFormat {
    int bytes = 0;
    int probes = 64;
};

// A header at `at`, a free-format one too: its frames' length is learnt from the first one.
bool HeaderAt(ByteWindow& bytes, std::int64_t at, FrameHeader& h, FreeFormat& free) {
    if (at + 4 > bytes.size())
        return false;
    if (ParseFrameHeader(bytes.at(at, 4), h, free.bytes))
        return true;
    if (free.bytes > 0 || free.probes <= 0 || !FreeFormatHeader(bytes.at(at, 4)))
        return false;
    --free.probes;
    const int found = FreeFormatBytes(bytes, at);
    return found > 0 && ParseFrameHeader(bytes.at(at, 4), h, found);
}

// True for a whole frame at `at` whose follower is a frame too, or the end of the bytes.
bool FrameAt(ByteWindow& bytes, std::int64_t at, FrameHeader& h, FreeFormat& free) {
    if (!HeaderAt(bytes, at, h, free) || at + h.bytes > bytes.size())
        return false;
    const unsigned char third = bytes.at(at, 4)[2];
    const bool isFree = (third >> 4) == 0;
    FreeFormat length{isFree ? h.bytes - ((third >> 1) & 1) : free.bytes, 0};
    FrameHeader next;
    const std::int64_t after = at + h.bytes;
    const bool followed = after + 4 > bytes.size() || HeaderAt(bytes, after, next, length) ||
                          StartsWith(bytes, after, "TAG") || StartsWith(bytes, after, "APETAGEX") ||
                          StartsWith(bytes, after, "LYRICS") || StartsWith(bytes, after, "ID3");
    if (followed && isFree)
        free.bytes = length.bytes;
    return followed;
}

// Reads the Xing, Info or VBRI header with its LAME extension from the frame at `at`.
bool ReadHeaderFrame(ByteWindow& bytes, std::int64_t at, const FrameHeader& h, Mp3Frames& m) {
    const unsigned char* f = bytes.at(at, h.bytes);
    if (h.bytes >= 4 + 32 + 26 && std::memcmp(f + 36, "VBRI", 4) == 0) {
        m.vbri = true;
        return true;
    }
    // The encoder writes the header right after the side information, also in a frame that
    // says it carries a CRC; other writers leave room for the CRC.
    auto tagAt = [&](int x) {
        return h.bytes >= x + 8 &&
               (std::memcmp(f + x, "Xing", 4) == 0 || std::memcmp(f + x, "Info", 4) == 0);
    };
    int x = 4 + h.sideInfoBytes;
    if (!tagAt(x) && !(h.crc && tagAt(x += 2)))
        return false;
    m.xing = f[x] == 'X';
    m.info = !m.xing;
    const std::uint32_t flags = BigEndian32(f + x + 4);
    if ((flags & 1) && x + 12 <= h.bytes)
        m.headerFrameCount = BigEndian32(f + x + 8);
    int e = x + 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0);
    const int quality = (flags & 8) && e + 4 <= h.bytes ? static_cast<int>(BigEndian32(f + e)) : -1;
    e += (flags & 8) ? 4 : 0;
    if (e + 36 > h.bytes ||
        !(std::memcmp(f + e, "LAME", 4) == 0 || std::memcmp(f + e, "Lav", 3) == 0 ||
          std::memcmp(f + e, "L3.9", 4) == 0))
        return true;
    m.lame = true;
    m.lameMethod = f[e + 9] & 0x0f;
    m.encoderDelay = (f[e + 21] << 4) | (f[e + 22] >> 4);
    m.encoderPadding = ((f[e + 22] & 0x0f) << 8) | f[e + 23];
    if (m.lameMethod >= 3 && m.lameMethod <= 6 && quality >= 0 && quality <= 100)
        m.lameQuality = std::clamp((100 - quality) / 10, 0, 9);
    return true;
}

// The next frame at or after `at` (junk between frames is passed over); -1 at a tag at the
// end or when there is none. A whole frame right where the one before ended is taken as it
// is; elsewhere the frame after it must be one too (or the end), so that junk never passes
// for a frame.
std::int64_t NextFrame(ByteWindow& bytes, std::int64_t at, FrameHeader& h, bool synced,
                       FreeFormat& free) {
    const std::int64_t size = bytes.size();
    if (synced && at + 4 <= size && ParseFrameHeader(bytes.at(at, 4), h, free.bytes) &&
        at + h.bytes <= size)
        return at;
    for (; at + 4 <= bytes.size(); ++at) {
        if (StartsWith(bytes, at, "APETAGEX") || StartsWith(bytes, at, "LYRICSBEGIN") ||
            (at + 128 == bytes.size() && StartsWith(bytes, at, "TAG")))
            return -1;
        if (const std::int64_t tag = Id3v2Size(bytes, at); tag > 0) {
            at += tag - 1;
            continue;
        }
        if (*bytes.at(at, 4) == 0xff && FrameAt(bytes, at, h, free))
            return at;
    }
    return -1;
}

}  // namespace

bool ParseFrameHeader(const unsigned char* p, FrameHeader& h, int freeBytes) {
    if (p[0] != 0xff || (p[1] & 0xe0) != 0xe0 || ((p[1] >> 1) & 3) != 1)
        return false;
    const int versionBits = (p[1] >> 3) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || (bitrateIndex == 0 && freeBytes <= 0) || bitrateIndex == 15 ||
        rateIndex == 3)
        return false;
    const bool mpeg1 = versionBits == 3;
    const int perKbps = mpeg1 ? 144000 : 72000;  // bytes per frame and kbps, times the rate
    h.version = mpeg1 ? 10 : versionBits == 2 ? 20 : 25;
    h.sampleRate = kMpeg1Rates[rateIndex] / (mpeg1 ? 1 : versionBits == 2 ? 2 : 4);
    h.kbps = bitrateIndex == 0 ? (freeBytes * h.sampleRate + perKbps / 2) / perKbps
             : mpeg1           ? kMpeg1Kbps[bitrateIndex]
                               : kMpeg2Kbps[bitrateIndex];
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    h.samples = mpeg1 ? 1152 : 576;
    h.bytes = (bitrateIndex == 0 ? freeBytes : perKbps * h.kbps / h.sampleRate) + ((p[2] >> 1) & 1);
    h.sideInfoBytes = mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    h.crc = (p[1] & 1) == 0;
    return true;
}

std::int64_t Mp3Frames::musicSamples() const {
    std::int64_t n = decodedSamples();
    if (encoderDelay >= 0)
        n -= encoderDelay + encoderPadding;
    return std::max<std::int64_t>(n, 0);
}

std::int64_t Mp3Frames::promisedSamples() const {
    if (headerFrameCount <= 0)
        return musicSamples();
    std::int64_t n = headerFrameCount * first.samples;
    if (encoderDelay >= 0)
        n -= encoderDelay + encoderPadding;
    return std::max<std::int64_t>(n, 0);
}

int Mp3Frames::averageKbps() const {
    const std::int64_t samples = decodedSamples();
    if (samples <= 0 || first.sampleRate <= 0)
        return 0;
    return static_cast<int>((audioBytes * 8 * first.sampleRate / samples + 500) / 1000);
}

bool Mp3Frames::variable() const {
    if (xing || vbri)
        return true;
    if (info)
        return false;
    // Without a header: constant when nearly every frame after the first shares one bitrate.
    return frames > 1 && commonFrames * 10 < (frames - 1) * 9;
}

Mp3Frames ScanMp3Frames(std::span<const unsigned char> bytes) {
    ByteWindow window(bytes);
    return ScanMp3Frames(window);
}

Mp3Frames ScanMp3Frames(ByteWindow& bytes) {
    Mp3Frames m;
    std::int64_t at = 0;
    // As many leading tags as the tag layout takes; after these the bytes count as audio.
    for (int n = 0; n < tags::kMaxLeadingTags; ++n) {
        const std::int64_t tag = Id3v2Size(bytes, at);
        if (tag == 0)
            break;
        at += tag;
    }
    FrameHeader h;
    FreeFormat free;
    at = NextFrame(bytes, at, h, false, free);
    if (at < 0)
        return m;
    if (ReadHeaderFrame(bytes, at, h, m)) {
        m.headerFrame = at;
        m.headerFrameBytes = h.bytes;
        at = NextFrame(bytes, at + h.bytes, h, true, free);
    }
    std::map<int, std::int64_t> perKbps;
    std::int64_t position = 0;
    for (; at >= 0; at = NextFrame(bytes, at + h.bytes, h, true, free)) {
        if (m.frames == 0) {
            m.first = h;
            m.audioStart = at;
            m.minKbps = m.maxKbps = h.kbps;
        } else {
            ++perKbps[h.kbps];
        }
        if (m.changeAt == 0 && h.sampleRate != m.first.sampleRate) {
            m.changeAt = std::max<std::int64_t>(position - std::max(m.encoderDelay, 0), 1);
            m.changedRate = h.sampleRate;
        }
        m.maxChannels = std::max(m.maxChannels, h.channels);
        m.minKbps = std::min(m.minKbps, h.kbps);
        m.maxKbps = std::max(m.maxKbps, h.kbps);
        m.audioBytes += h.bytes;
        m.audioEnd = at + h.bytes;
        position += h.samples;
        ++m.frames;
    }
    m.valid = m.frames > 0;
    m.freeBytes = free.bytes;
    m.commonKbps = m.first.kbps;
    for (const auto& [kbps, count] : perKbps) {
        if (count > m.commonFrames) {
            m.commonKbps = kbps;
            m.commonFrames = count;
        }
    }
    return m;
}

std::uint16_t LameCrc(std::span<const unsigned char> bytes, std::uint16_t crc) {
    static const std::array<std::uint16_t, 256> kTable = [] {
        std::array<std::uint16_t, 256> table{};
        for (unsigned int n = 0; n < 256; ++n) {
            unsigned int c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? (c >> 1) ^ 0xa001 : c >> 1;
            table[n] = static_cast<std::uint16_t>(c);
        }
        return table;
    }();
    for (const unsigned char byte : bytes)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xff]);
    return crc;
}

}  // namespace eb
