// Whether an output that is already there may stand for the conversion of its input
// (echobatch-cli --update).
#pragma once

#include <QString>

namespace eb {

// True when `output` is a regular file (not a link, folder, FIFO or device) that holds MP3
// audio (its first frames are found) and was changed after `input`.
bool IsUpToDate(const QString& output, const QString& input);

}  // namespace eb
