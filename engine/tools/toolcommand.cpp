#include "engine/tools/toolcommand.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/outputpath.h"

#include <QRegularExpression>

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
    if (QString failLine = FailLine(outcome.stderrTail); !failLine.isEmpty())
        return failLine;
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
