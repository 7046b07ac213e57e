#include "paths/pathhelpers.h"

#include "core/steps.h"
#include "core/usertext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace eb {

bool FileExists(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    return QFileInfo(path).lastModified().isValid();
}

QString StripExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        throw StepError(UserText::tr(kInvalidArgument));
    if (dot + 1 > 32767)
        throw StepError(UserText::tr("Overflow"));
    return name.left(dot);
}

QString FileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool IsFolder(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    return QFileInfo(path).isDir();
}

void DeleteFileQuiet(const QString& path) {
    QCoreApplication::processEvents();
    if (path.isEmpty() || path.contains(QChar(u'\0')) || QFileInfo(path).isDir())
        return;
    QFile::remove(path);
}

bool IsNewerThan(const QString& path, const QString& other) {
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(path).constData(), &a) != 0 ||
        ::stat(QFile::encodeName(other).constData(), &b) != 0)
        return false;
    return a.st_mtim.tv_sec != b.st_mtim.tv_sec ? a.st_mtim.tv_sec > b.st_mtim.tv_sec
                                                : a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

QString TemporaryFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    return temp.isEmpty() ? QDir::tempPath() : temp;
}

}  // namespace eb
