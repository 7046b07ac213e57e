#include "shell/desktopfolder.h"

#include "shell/steps.h"

#include <QStandardPaths>

namespace eb {

QString GetDesktopFolder() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (path.isEmpty())
        throw StepError(QString::fromLatin1(kInvalidArgument));
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

}  // namespace eb
