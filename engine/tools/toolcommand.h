// The tool's command line and what its messages on standard error say: the arguments of one
// conversion, the reason a run failed, the samples it clipped.
#pragma once

#include "options/echooptions.h"
#include "process/toolrun.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace eb {

// What the tool is given: absolute paths, each preceded by --no-glob (the tool would expand
// wildcard characters in a name), the output's compression (-C, engine/audio/encodingclass.h) before
// the output when given, then "echos" and the four texts exactly as they are. `decoded`, when
// given, takes the input's place: the samples an MP3 input is decoded to, on the tool's
// standard input (DecodedArguments, engine/audio/gaplessinput.h). `outputType`, when given, names the
// output's format (-t) for an output named without an extension (/dev/fd/3).
QStringList ToolArguments(const QString& input, const QString& output, const EchoTexts& echo,
                          const QString& compression = QString(),
                          const QStringList& decoded = QStringList(),
                          const QString& outputType = QString());

// The samples the tool reports as clipped ("sox WARN echos: echos clipped N samples; decrease
// volume?"), summed over its warnings; 0 when none.
qint64 ClippedSamples(const QByteArray& stderrText);
// The effect part of those arguments: "echos" and the four texts exactly as they are.
QStringList EchoArguments(const EchoTexts& echo);

// Why a run of `program` that ended with `outcome` failed: stopped, not started, the tool's
// "FAIL" line in the program's words (FailReason), the signal, or the last line of a non-zero
// exit. Empty for a clean exit.
QString ToolFailure(const ToolRun::Outcome& outcome, const QString& program);

// Why a file that was stopped is not converted: "stopped".
QString StoppedReason();

// The last line of a program's standard error that is not empty; empty when there is none.
QString LastLine(const QByteArray& stderrText);

// The last line of the tool's standard error that reports a failure ("sox FAIL ..."); empty
// when there is none.
QString FailLine(const QByteArray& stderrText);

// What the tool's "FAIL" line says, in the program's words: a missing input is "no such file"
// (NoSuchFileReason), input without a sound the decoder can give is "no audio"
// (NoAudioReason), a file no reader takes "no decoder reads ...", the system's reasons in the
// user's language; any other line after "SoX failed: ".
QString FailReason(const QString& failLine);

// "no audio: ...": an input too short to hold any sound.
QString NoAudioReason();

}  // namespace eb
