// How a converted file is encoded. The tool's encoder would write every file at its own default
// (128 kbps CBR at 44.1 kHz, far less at lower rates), so each file's encoding class is read from
// the input and handed to the tool as its compression value (-C): a CBR input keeps its
// bitrate, a VBR input stays VBR at a quality of about its average bitrate. Sample rate and
// channels stay as they are: only bitrates the encoder can write at the input's rate are chosen.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace eb {

struct Mp3Frames;

struct InputEncoding {
    bool known = false;      // the input's audio properties could be read
    bool mp3 = false;        // MPEG layer 3
    bool vbr = false;        // variable bitrate (a Xing or VBRI header says so)
    int kbps = 0;            // CBR: the frames' bitrate; VBR and other formats: the average
    int sampleRate = 0;      // Hz
    int vbrQuality = -1;     // the encoder's VBR quality (0 best to 9), when its tag tells it
    long long samples = -1;  // WAV, AIFF and FLAC: the samples per channel; -1: not known
};

// Reads the input's audio properties quickly (no scan of the whole file) from its first audio
// bytes: an MP3's from its frames, another format's with TagLib; the tags at its start are
// passed over, never parsed.
InputEncoding ReadInputEncoding(const QString& path);
// The same for the file open as `fd`; `path` only says by its name whether it is an MP3.
InputEncoding ReadInputEncoding(const QString& path, int fd);

// The first 64 KiB of the open file after the ID3v2 tags at its start, which are passed over by
// the size their headers give and never parsed (a crafted tag can exhaust a parser's stack or
// memory; only the tag copy, in a process of its own, reads tags). The audio's first frames
// and their Xing, Info or VBRI header lie in these bytes.
QByteArray AudioHead(int fd, off_t size);

// The encoding class as an MP3's frames tell it: a header's word first (with its quality),
// else the spread of the frames' bitrates; a CBR input's bitrate is the one most of its frames
// have.
InputEncoding EncodingOfFrames(const Mp3Frames& m);

// The tool's compression value for the output: "-N" (VBR of quality N) for a VBR MP3 input;
// otherwise a CBR bitrate, the input's own when the encoder can write it at the input's sample
// rate, else the nearest one above, else the highest. `fixedKbps` (not 0) asks for that CBR
// bitrate instead, again the nearest valid one at the input's rate. An input whose properties
// cannot be read gets the highest bitrate (the encoder takes the highest its rate allows).
QString CompressionFor(const InputEncoding& input, int fixedKbps = 0);

// True for a bitrate the encoder can write at some sample rate (8 to 320 kbps, MPEG's steps).
bool IsEncoderBitrate(int kbps);

}  // namespace eb
