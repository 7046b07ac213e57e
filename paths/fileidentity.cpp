#include "paths/fileidentity.h"

#include "paths/pathtext.h"

#include <QFile>

#include <sys/stat.h>

namespace eb {

std::optional<FileIdentity> IdentityOf(const QString& path) {
    // A text holding bytes that are not UTF-8 names no file this program may look at.
    if (path.isEmpty() || HasUndecodableBytes(path))
        return std::nullopt;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

}  // namespace eb
