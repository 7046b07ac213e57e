#include "cli/listinput.h"

#include "engine/pathtext.h"

#include <QFile>

#include <cstdio>

namespace eb {

Result<QStringList> ReadPathList(const QString& file, bool nulSeparated) {
    QFile list;
    const bool fromStdin = file == QStringLiteral("-");
    const bool opened = fromStdin ? list.open(stdin, QIODevice::ReadOnly)
                                  : (list.setFileName(file), list.open(QIODevice::ReadOnly));
    const QString name = fromStdin ? QStringLiteral("standard input") : file;
    if (!opened)
        return Failed{QStringLiteral("cannot read the list %1: %2").arg(name, list.errorString())};
    // A folder opens but cannot be read: only a read that ends without an error counts.
    const QByteArray bytes = list.readAll();
    if (list.error() != QFileDevice::NoError)
        return Failed{QStringLiteral("cannot read the list %1: %2").arg(name, list.errorString())};
    QStringList paths;
    for (const QByteArray& entry : bytes.split(nulSeparated ? '\0' : '\n')) {
        if (!entry.isEmpty())
            paths << DecodePathBytes(entry);
    }
    return paths;
}

}  // namespace eb
