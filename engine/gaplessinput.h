// What the tool reads of an MP3 input, so that the music comes out where and as long as it was.
//
// The tool's decoder gives every frame it meets: the Xing or Info frame at the start becomes a
// frame of silence, the encoder's delay and the decoder's own 529 samples come before the
// music and the padding after it, and the last frame is lost when no bytes follow it (no tag
// at the end). It also trusts a length frame (TLEN) in the ID3v2 tag. So the tool is handed a
// prepared copy of the input's audio frames only (no tags, no header frame, a few zero bytes
// after the last frame), written into the batch's private folder and removed after the run,
// and a `trim` effect before `echos` drops the samples before the music and ends it where the
// input's gapless information says. The start is the one a gapless decoder gives: with the
// LAME extension the delay plus 529 samples are dropped, without it none.
#pragma once

#include "core/result.h"
#include "engine/encodingclass.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace eb {

struct InputPlan {
    QString refusal;   // why the file is not converted (its sample rate or channels change)
    bool mp3 = false;  // its frames were read: a prepared copy and the trim below are used
    std::int64_t audioStart = 0, audioEnd = 0;  // the bytes the copy takes
    std::int64_t skip = 0;                      // samples the tool's decoder gives before the music
    std::int64_t music = 0;                     // samples of music (per channel)
    int sampleRate = 0;
    InputEncoding encoding;  // the encoding class, from the frames themselves
};

// Reads the frames of an MP3 input (a regular file whose name ends in ".mp3"); for any other
// input `mp3` stays false and the encoding class comes from ReadInputEncoding.
InputPlan PlanInput(const QString& path);

// The effects before "echos": "trim 0s <skip + music>s", then "trim <skip>s" when there is a
// start to drop. Empty when the input is not planned.
QStringList TrimArguments(const InputPlan& plan);

// Writes the prepared copy of `input` into `folder` (a new file, mode 0600). Returns its name.
// WithPreparedCopy then returns the tool's arguments with it in place of the input, after
// "--ignore-length" instead of "--no-glob" (its own name holds no wildcard): without a header,
// the tool would end the music at a length it estimates in whole milliseconds.
Result<QString> WritePreparedCopy(const InputPlan& plan, const QString& input,
                                  const QString& folder);

QStringList WithPreparedCopy(QStringList toolArguments, const QString& copy);

// False when a file of `bytes` would pass the process's file-size limit: writing it would end
// the process (SIGXFSZ), so the copy or the Info frame is then left out.
bool WithinFileSizeLimit(std::int64_t bytes);

// The samples the echo adds after the input: its delay (ms) at the rate, as the tool counts it.
std::int64_t EchoTailSamples(const QString& delayText, int sampleRate);

// "the sample rate changes from 44100 to 48000 Hz at 0:05" and the like.
QString StreamChangeText(int fromRate, int toRate, int fromChannels, int toChannels,
                         std::int64_t atSample);

}  // namespace eb
