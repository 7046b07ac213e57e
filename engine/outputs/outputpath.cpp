#include "engine/outputs/outputpath.h"

#include "core/steps.h"
#include "core/usertext.h"
#include "paths/pathhelpers.h"

#include <QDir>

namespace eb {

QString OutputPathFor(const QString& outputFolderText, const QString& inputPath) {
    QString base;
    try {
        base = StripExtension(FileNameOf(inputPath));
    } catch (const StepError&) {
        throw StepError(UserText::tr("No output name can be formed: the file name has no \".\""));
    }
    QString path = outputFolderText;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + base + QStringLiteral(".mp3");
}

QString AbsolutePath(const QString& path) {
    if (path.startsWith(QLatin1Char('/')))
        return path;
    return QDir::currentPath() + QLatin1Char('/') + path;
}

}  // namespace eb
