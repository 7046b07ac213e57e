#include "cli/jsonreport.h"

#include "cli/standardoutput.h"
#include "engine/outputs/outputclaims.h"
#include "paths/pathtext.h"

#include <QJsonDocument>

#include <cmath>

namespace eb {

namespace {

void AddPath(QJsonObject& line, const QString& key, const QString& path) {
    line.insert(key, ReplacedText(path));
    if (HasUndecodableBytes(path))
        line.insert(key + QStringLiteral("_base64"),
                    QString::fromLatin1(EncodePathBytes(path).toBase64()));
}

}  // namespace

QString ReportStatus(const ConversionResult& result) {
    if (result.converted)
        return result.warning.isEmpty() ? QStringLiteral("converted") : QStringLiteral("warning");
    if (result.upToDate)
        return QStringLiteral("up-to-date");
    if (result.output.isEmpty() || IsSkippedReason(result.reason))
        return QStringLiteral("skipped");
    return QStringLiteral("failed");
}

QJsonObject ReportLine(const ConversionResult& result, double seconds, bool started) {
    QJsonObject line;
    AddPath(line, QStringLiteral("input"), result.input);
    if (result.output.isEmpty())
        line.insert(QStringLiteral("output"), QJsonValue::Null);
    else
        AddPath(line, QStringLiteral("output"), result.output);
    const QString status = started ? ReportStatus(result) : QStringLiteral("skipped");
    line.insert(QStringLiteral("status"), status);
    // What scripts read is English in every language; the progress and summary say it in the
    // user's.
    if (!result.converted && !(started && result.upToDate))
        line.insert(QStringLiteral("reason"), ReplacedText(result.englishReason));
    if (result.converted && result.replaced)
        line.insert(QStringLiteral("note"), QStringLiteral("replaced an existing file"));
    if (result.albumUpdated)
        line.insert(QStringLiteral("note"), QStringLiteral("album ReplayGain updated"));
    if (!result.warning.isEmpty())
        line.insert(QStringLiteral("warning"), ReplacedText(result.englishWarning));
    line.insert(QStringLiteral("seconds"), std::round(seconds * 1000.0) / 1000.0);
    return line;
}

void WriteReportLine(const QJsonObject& line, std::FILE* stream) {
    QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact);
    bytes += '\n';
    WriteStandardOutput(bytes, true, stream);
}

}  // namespace eb
