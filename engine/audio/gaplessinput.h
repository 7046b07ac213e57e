// What the tool reads of an MP3 input, so that the music comes out where and as long as it was.
//
// The tool's own MP3 decoder gives every frame it meets (the Xing or Info frame as a frame of
// silence, the encoder's delay and the decoder's own 529 samples before the music, padding
// after it), loses the last frame when no bytes follow it, trusts a length frame (TLEN) in the
// ID3v2 tag and cannot read free-format or damaged streams well. So an MP3 input is decoded
// here, gaplessly (engine/audio/decodedinput.h), and the tool reads the samples as a WAV stream of
// floats from its standard input: it only applies the echo and encodes. The frames are walked first
// for what the decoder does not tell before it starts: the encoding class, the most channels any
// part has (a mono part is given in both channels), a sample rate that changes (refused), and
// how much music the file promises.
#pragma once

#include "core/usertext.h"
#include "engine/audio/encodingclass.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace eb {

struct InputPlan {
    Said refusal;            // why the file is not converted (no frames, its sample rate changes)
    bool mp3 = false;        // its frames were read: it is decoded here for the tool
    std::int64_t music = 0;  // samples of music (per channel) the file promises
    int frameSamples = 0;    // samples per frame
    int sampleRate = 0;
    int channels = 0;        // the most any of its frames has
    InputEncoding encoding;  // the encoding class, from the frames themselves
};

// Reads the frames of an MP3 input (a regular file whose name ends in ".mp3", open as `fd`),
// a window at a time: a file rewritten meanwhile is read wrong, never a fault of the process.
// For any other input `mp3` stays false and the encoding class comes from ReadInputEncoding.
InputPlan PlanInput(const QString& path, int fd);
// The same for the file at `path`, opened for it.
InputPlan PlanInput(const QString& path);

// What the tool reads instead of the input: "--ignore-length -", a WAV stream on its standard
// input whose header cannot know its length. Empty when the input is not planned (the tool
// reads it itself).
QStringList DecodedArguments(const InputPlan& plan);

// Why the decoded music is not the whole of what the file promises ("the audio ends after
// 0.30 s of 4.00 s"), or empty. Up to one frame less passes (a decoder may drop a damaged
// last frame).
QString CutShortReason(const InputPlan& plan, std::int64_t decoded);

// False when a file of `bytes` would pass the process's file-size limit: writing it would end
// the process (SIGXFSZ), so the copy or the Info frame is then left out.
bool WithinFileSizeLimit(std::int64_t bytes);

// The samples the echo adds after the input: its delay (ms, written as the tool is given it,
// with a point) at the rate, as the tool counts it.
std::int64_t EchoTailSamples(const QString& toolDelay, int sampleRate);

// "1.50 s": a length in samples at the rate, as the messages give it.
QString SecondsText(std::int64_t samples, int sampleRate);

// "the sample rate changes from 44100 to 48000 Hz at 0:05".
QString StreamChangeText(int fromRate, int toRate, std::int64_t atSample);

}  // namespace eb
