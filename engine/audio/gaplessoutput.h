// The tool's finished output before it takes its name: its length is checked from its own
// frames against the input's music, and a CBR output (for which the encoder writes no header)
// gets an Info frame with the LAME extension at its start, so that players know its exact
// length, the encoder's delay and its padding as they do for a VBR output.
#pragma once

#include "core/result.h"

#include <QString>

#include <cstdint>

namespace eb {

struct OutputExpectation {
    std::int64_t inputMusic = -1;  // samples of the input's music; -1: unknown
    std::int64_t fed = -1;         // samples the encoder was given (music and echo); -1: unknown
};

// Checks the output open as `fd` (read and written) and, for a CBR output whose fed samples are
// known, writes the Info frame in front of its audio (the audio moves up in place, a window at
// a time, so that memory stays the same for any length). Fails with why the output must not be
// kept ("the output is shorter than the input: ...").
SaidResult<> FinishOutput(int fd, const OutputExpectation& expected);

}  // namespace eb
