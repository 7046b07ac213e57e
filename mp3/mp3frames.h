// The frames of an MP3 file, walked without a decoder: where its audio lies between the tags,
// how many frames it holds at which bitrates, what its Xing, Info or VBRI header says (with
// the encoder's delay and padding from the LAME extension), how many samples of music it
// holds, where its sample rate changes and the most channels a frame has. Plain C++ over a
// byte range, so it serves the input's reading and the check of the output alike.
#pragma once

#include "mp3/bytewindow.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace eb {

// The bitrates (kbps) of a frame header's bitrate index 0 to 14, for MPEG-1 and for MPEG-2 and
// 2.5; index 0 is free format. The one table of them: the encoder's choices come from it too.
inline constexpr std::array<int, 15> kMpeg1Kbps{0,   32,  40,  48,  56,  64,  80, 96,
                                                112, 128, 160, 192, 224, 256, 320};
inline constexpr std::array<int, 15> kMpeg2Kbps{0,  8,  16, 24,  32,  40,  48, 56,
                                                64, 80, 96, 112, 128, 144, 160};

// One frame header of MPEG audio layer III. A free-format frame (bitrate index 0) is read only
// when the length of its frames without the padding slot is known (`freeBytes`).
struct FrameHeader {
    int version = 0;  // 10: MPEG-1, 20: MPEG-2, 25: MPEG-2.5
    int kbps = 0;
    int sampleRate = 0;
    int channels = 0;
    int bytes = 0;          // the whole frame with its header
    int samples = 0;        // per channel: 1152 (MPEG-1) or 576
    int sideInfoBytes = 0;  // what follows the 4 header bytes (and the CRC, when present)
    bool crc = false;
};
// False when the four bytes are no layer III header.
bool ParseFrameHeader(const unsigned char* p, FrameHeader& h, int freeBytes = 0);

struct Mp3Frames {
    bool valid = false;             // at least one audio frame was found
    std::int64_t audioStart = 0;    // the first audio frame (after the header frame)
    std::int64_t audioEnd = 0;      // the end of the last whole frame
    std::int64_t headerFrame = -1;  // the Xing, Info or VBRI frame; -1: none
    int headerFrameBytes = 0;
    std::int64_t headerFrameCount = -1;  // the audio frames the Xing or Info header counts
    bool xing = false;                   // "Xing": the encoder wrote it variable
    bool info = false;                   // "Info": the same header for a constant bitrate
    bool vbri = false;
    bool lame = false;      // the LAME extension is present
    int encoderDelay = -1;  // samples, from the LAME extension
    int encoderPadding = -1;
    int lameMethod = -1;      // 1, 8: CBR; 2, 9: ABR; 3 to 6: VBR
    int lameQuality = -1;     // 0 best to 9, for a VBR method
    FrameHeader first;        // the first audio frame
    std::int64_t frames = 0;  // audio frames, the header frame not counted
    std::int64_t audioBytes = 0;
    int minKbps = 0, maxKbps = 0;
    int commonKbps = 0;  // the bitrate most frames have (the first frame not counted)
    std::int64_t commonFrames = 0;
    int freeBytes = 0;    // free format: the frames' length without the padding slot; 0: none
    int maxChannels = 0;  // the most channels a frame has (a mono part may join a stereo one)
    // The first place where the sample rate changes (0: none), in samples of music from the
    // start.
    std::int64_t changeAt = 0;
    int changedRate = 0;

    // Samples per channel that the frames decode to, without the header frame.
    std::int64_t decodedSamples() const { return frames * first.samples; }
    // The music: the decoded samples less the encoder's delay and padding when they are known.
    std::int64_t musicSamples() const;
    // The same for the frames the header counts, when it counts them: what a whole file holds.
    std::int64_t promisedSamples() const;
    // Average bitrate of the audio frames, kbps.
    int averageKbps() const;
    // Variable when a Xing or VBRI header says so, else when the frames differ in bitrate.
    bool variable() const;
};

// Walks `bytes`: ID3v2 tags at the start are passed over by their sizes; junk between frames
// is passed over to the next frame that another frame (or the end) follows; the walk ends at a
// tag at the end (ID3v1, APEv2, Lyrics3). CRC-protected and free-format frames are read.
Mp3Frames ScanMp3Frames(std::span<const unsigned char> bytes);
// The same over a file read in pieces (mp3/bytewindow.h).
Mp3Frames ScanMp3Frames(ByteWindow& bytes);

// The 16-bit CRC the LAME extension uses (polynomial 0x8005, reflected, start 0).
std::uint16_t LameCrc(std::span<const unsigned char> bytes, std::uint16_t crc = 0);

}  // namespace eb
