#include "cli/clipaths.h"

#include "engine/pathhelpers.h"

namespace eb {

CliPaths ExpandCliPaths(const QStringList& arguments) {
    CliPaths result;
    for (const QString& path : arguments) {
        if (IsFolder(path))
            result.errors << QStringLiteral("%1: is a folder; folder scanning is not available yet")
                                 .arg(path);
        else
            result.files << path;
    }
    return result;
}

}  // namespace eb
