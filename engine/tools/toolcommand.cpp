#include "engine/tools/toolcommand.h"

#include "core/regularfile.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/outputpath.h"
#include "posix/errnotext.h"

#include <QRegularExpression>

#include <cerrno>
#include <cstring>

namespace eb {

QString LastLine(const QByteArray& stderrText) {
    const QList<QByteArray> lines = stderrText.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QByteArray line = it->trimmed();
        if (!line.isEmpty())
            return QString::fromLocal8Bit(line);
    }
    return QString();
}

QStringList ToolArguments(const QString& input, const QString& output, const EchoTexts& echo,
                          const QString& compression, const QStringList& decoded,
                          const QString& outputType) {
    QStringList args =
        decoded.isEmpty() ? QStringList{QStringLiteral("--no-glob"), AbsolutePath(input)} : decoded;
    if (!compression.isEmpty())
        args << QStringLiteral("-C") << compression;
    if (!outputType.isEmpty())
        args << QStringLiteral("-t") << outputType;
    args << QStringLiteral("--no-glob") << AbsolutePath(output);
    return args + EchoArguments(echo);
}

qint64 ClippedSamples(const QByteArray& stderrText) {
    static const QRegularExpression kClipped(QStringLiteral("\\bclipped (\\d+) samples?\\b"));
    qint64 total = 0;
    for (const QByteArray& line : stderrText.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() < 2 || words[1] != "WARN")
            continue;
        const QRegularExpressionMatch m = kClipped.match(QString::fromLocal8Bit(line));
        if (m.hasMatch())
            total += m.captured(1).toLongLong();
    }
    return total;
}

QStringList EchoArguments(const EchoTexts& echo) {
    return {QStringLiteral("echos"), ToolNumberText(echo.gainIn), ToolNumberText(echo.gainOut),
            ToolNumberText(echo.delay), ToolNumberText(echo.decay)};
}

QString StoppedReason() {
    return UserText::tr("stopped");
}

QString ToolFailure(const ToolRun::Outcome& outcome, const QString& program) {
    if (outcome.cancelled)
        return StoppedReason();
    if (!outcome.started)
        return UserText::tr("the tool could not be started: %1 (%2)")
            .arg(ErrnoText(outcome.startErrno), program);
    if (const QString failLine = FailLine(outcome.stderrTail); !failLine.isEmpty())
        return FailReason(failLine);
    if (outcome.crashed && outcome.signal == 0)
        return UserText::tr("the tool ended, but how it ended could not be learnt");
    if (outcome.crashed)
        return UserText::tr("the tool was ended by signal %1 (%2)")
            .arg(outcome.signal)
            .arg(QString::fromLocal8Bit(strsignal(outcome.signal)));
    if (outcome.exitCode != 0) {
        const QString last = LastLine(outcome.stderrTail);
        return last.isEmpty()
                   ? UserText::tr("the tool ended with exit code %1").arg(outcome.exitCode)
                   : last;
    }
    return QString();
}

namespace {

// The error number whose text SoX wrote (in English, or in the user's language as the
// system's texts are), 0 when the text is none of them.
int ErrorNumberOf(const QString& text) {
    for (int error = 1; error < 200 && !text.isEmpty(); ++error) {
        if (text == QString::fromLocal8Bit(posix::EnglishErrnoText(error)) ||
            text == QString::fromLocal8Bit(posix::ErrnoText(error)))
            return error;
    }
    return 0;
}

QString NoDecoderReason(const QString& detail = QString()) {
    const QString reason = UserText::tr("no decoder reads this file's format");
    return detail.isEmpty() ? reason : reason + QStringLiteral(" (") + detail + u')';
}

// Why SoX could not open its input (`name`, "-" for the samples the program decoded): the
// system's reason, or the reader's.
QString OpenFailure(const QString& name, const QString& why) {
    // The program's own decoder gave no samples, or SoX's found no frame: nothing to hear.
    if (name == QStringLiteral("-") || why.isEmpty())
        return NoAudioReason();
    const int error = ErrorNumberOf(why);
    if (error == ENOENT)
        return NoSuchFileReason();
    // What SoX's own readers say of data they cannot decode (an MP3 reader that loses sync).
    if (error == EINVAL)
        return NoDecoderReason();
    if (error != 0)
        return UserText::tr("cannot open the input: %1").arg(ErrnoText(error));
    return NoDecoderReason(why);
}

}  // namespace

QString NoAudioReason() {
    return UserText::tr("no audio: the file is too short to hold any");
}

QString FailReason(const QString& failLine) {
    // "<program> FAIL <where>: <text>"; <where> is one word.
    const QString text = failLine.section(u' ', 2).section(QStringLiteral(": "), 1);
    static const QRegularExpression kOpen(
        QStringLiteral("^can't open input (?:file )? *`(.*)': ?(.*)$"));
    static const QRegularExpression kExtension(
        QStringLiteral("^no handler for file extension `(.*)'$"));
    static const QRegularExpression kType(QStringLiteral("^can't determine type of "));
    static const QRegularExpression kLongDelay(
        QStringLiteral("delay must be less than ([0-9.e+]+) seconds!$"));
    if (const QRegularExpressionMatch m = kOpen.match(text); m.hasMatch())
        return OpenFailure(m.captured(1), m.captured(2).trimmed());
    if (const QRegularExpressionMatch m = kExtension.match(text); m.hasMatch())
        return UserText::tr("no decoder reads files of the type .%1").arg(m.captured(1));
    if (kType.match(text).hasMatch())
        return NoDecoderReason();
    // The range of the echo's values is checked before the batch for every MP3 sample rate;
    // another file's rate may still ask for less.
    if (const QRegularExpressionMatch m = kLongDelay.match(text); m.hasMatch())
        return UserText::tr("the delay is too long for this file's sample rate (at most %1 s)")
            .arg(m.captured(1));
    if (text.endsWith(QStringLiteral("delay must be positive!")))
        return UserText::tr("the delay is shorter than one sample at this file's sample rate");
    return UserText::tr("SoX failed: %1").arg(failLine.section(u' ', 2));
}

QString FailLine(const QByteArray& stderrText) {
    const QList<QByteArray> lines = stderrText.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        // The tool's messages read "<program> <LEVEL> <where>: <text>".
        const QList<QByteArray> words = it->trimmed().split(' ');
        if (words.size() >= 2 && words[1] == "FAIL")
            return QString::fromLocal8Bit(it->trimmed());
    }
    return QString();
}

}  // namespace eb
