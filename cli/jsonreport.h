// --json: one JSON object per file on standard output as the file ends (JSON Lines), for
// scripts; the human progress stays on standard error.
#pragma once

#include "engine/conversionjob.h"

#include <QJsonObject>

#include <cstdio>

namespace eb {

// "converted", "warning" (converted, with something to know), "up-to-date" (--update passed
// it over: not a failure), "skipped" (never given to the tool for a problem: no output name, the
// output would replace a file of the list) or "failed".
QString ReportStatus(const ConversionResult& result);

// The object for one file: input, output (both as the user gave them), status, reason (not for
// an up-to-date file) or warning, seconds; "note":
// "replaced an existing file" for a converted file whose output was there before the batch. A path
// that is not valid UTF-8 is given with U+FFFD in place of each such byte, and its exact bytes in
// "input_base64" / "output_base64" (standard base64). A file that was never `started` (a stop
// came first) is "skipped".
QJsonObject ReportLine(const ConversionResult& result, double seconds, bool started = true);

// Writes one line, flushed at once so a reader sees each file as it ends (a failure is said
// once, see WriteStandardOutput).
void WriteReportLine(const QJsonObject& line, std::FILE* stream = stdout);

}  // namespace eb
