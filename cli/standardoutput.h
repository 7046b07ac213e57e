// Standard output as echobatch-cli writes its reports to it (--json, --dry-run, --help): a
// write that fails is said once on standard error as the system's own tools say it
// ("echobatch-cli: write error: No space left on device"), and the program then ends with
// exit status 1, so a report that was lost never passes for a complete one.
#pragma once

#include <QByteArray>

#include <cstdio>

namespace eb {

// Writes `bytes` to `stream` (flushed at once when `flush`). A failure on standard output is
// said and remembered; later writes to it are dropped. False when the bytes were not written.
bool WriteStandardOutput(const QByteArray& bytes, bool flush = true, std::FILE* stream = stdout);

// Flushes standard output. When a write to it failed (now or before), returns 1 for a
// `status` of 0; else `status`.
int FinishStandardOutput(int status);

}  // namespace eb
