#include "core/desktopfolder.h"

#include "core/steps.h"

#include <QStandardPaths>

namespace eb {

QString GetSpecialFolderPath(int id) {
    if (id != kDesktopFolderId)
        return QString();
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString DesktopFolderFrom(const QString& path) {
    if (path.isEmpty())
        throw StepError(UserText::tr(kInvalidArgument));
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString GetDesktopFolder() {
    return DesktopFolderFrom(GetSpecialFolderPath(kDesktopFolderId));
}

}  // namespace eb
