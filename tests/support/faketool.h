// The tool for the engine's tests: the installed SoX, one conversion run to its end, and shell
// scripts that stand in for the tool where a fault cannot be produced for real.
#pragma once

#include "engine/conversionjob.h"
#include "engine/tools/tooldeploy.h"
#include "shell/batch/batchhost.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringList>

namespace ebtest {

// Writes an executable /bin/sh script with the given body, which finds the tool's output (the
// argument before "echos" and its four texts) in $out.
inline QString writeScript(const QString& path, const QByteArray& body) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n[ $# -lt 6 ] || eval \"out=\\${$(($# - 5))}\"\n" + body + '\n');
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                     QFile::ExeGroup);
    return path;
}

// The hidden temporary outputs a conversion may have left in a folder.
inline QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*echobatch-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

// The private tool folders left in the temporary folder.
inline QStringList toolFolders(const QString& temp) {
    return QDir(temp).entryList({QStringLiteral("echobatch-*")}, QDir::Dirs | QDir::Hidden);
}

struct RecordingDisplay : eb::ProgressDisplay {
    QStringList texts;
    void setProgressText(const QString& text) override { texts << text; }
};

// The installed SoX as the only tool (no private copy).
inline eb::ToolSet InstalledTool() {
    return eb::ToolSet{{}, {}, eb::InstalledSox(), false};
}

// Starts a planned job and serves the event queue until it has ended.
inline void RunToEnd(eb::ConversionJob& job, eb::ToolSet& tools) {
    QSignalSpy done(&job, &eb::ConversionJob::finished);
    job.start(tools);
    if (done.isEmpty())
        done.wait(120000);
}

// Plans `input` into `folder` and, when the plan holds, runs the tool to its end; the result.
inline eb::ConversionResult ConvertNow(const QString& input, const QString& folder,
                                       eb::ToolSet tools = InstalledTool(),
                                       const eb::EchoTexts& echo = eb::DefaultEchoTexts(),
                                       const eb::IdentitySet& list = {}) {
    eb::AlbumLedger albums;
    eb::ConversionJob job(input, albums);
    if (job.plan(folder, echo, list))
        RunToEnd(job, tools);
    return job.result();
}

}  // namespace ebtest
