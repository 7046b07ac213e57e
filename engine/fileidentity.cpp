#include "engine/fileidentity.h"

#include <QFile>

#include <sys/stat.h>

namespace eb {

std::optional<FileIdentity> IdentityOf(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

}  // namespace eb
