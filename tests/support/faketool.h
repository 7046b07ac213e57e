// Shell scripts that stand in for the tool where a fault cannot be produced for real.
#pragma once

#include "engine/batchhost.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace ebtest {

// Writes an executable /bin/sh script with the given body.
inline QString writeScript(const QString& path, const QByteArray& body) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n" + body + '\n');
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

}  // namespace ebtest
