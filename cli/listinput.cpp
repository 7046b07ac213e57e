#include "cli/listinput.h"

#include "core/usertext.h"
#include "engine/pathtext.h"

#include <QFile>

#include <climits>
#include <cstdio>

namespace eb {

namespace {

// No path the system can open is longer; a longer "entry" means the file is not a list of
// paths (a binary file, /dev/zero), and reading on would only fill the memory.
constexpr qsizetype kLongestEntry = PATH_MAX;

}  // namespace

Result<QStringList> ReadPathList(const QString& file, bool nulSeparated) {
    QFile list;
    const bool fromStdin = file == QStringLiteral("-");
    const bool opened = fromStdin ? list.open(stdin, QIODevice::ReadOnly)
                                  : (list.setFileName(file), list.open(QIODevice::ReadOnly));
    const QString name = fromStdin ? UserText::tr("standard input") : file;
    const auto failed = [&name](const QString& why) {
        return Failed{UserText::tr("cannot read the list %1: %2").arg(name, why)};
    };
    if (!opened)
        return failed(list.errorString());
    const char separator = nulSeparated ? '\0' : '\n';
    QStringList paths;
    QByteArray pending;
    for (;;) {
        const QByteArray chunk = list.read(1 << 16);
        // A folder opens but cannot be read: only a read that ends without an error counts.
        if (list.error() != QFileDevice::NoError)
            return failed(list.errorString());
        pending += chunk;
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf(separator, start)) >= 0; start = end + 1) {
            if (end > start)
                paths << DecodePathBytes(pending.sliced(start, end - start));
        }
        pending.remove(0, start);
        if (pending.size() > kLongestEntry)
            return failed(UserText::tr("an entry is longer than %1 bytes; is it a list of paths?")
                              .arg(kLongestEntry));
        if (chunk.isEmpty())
            break;
    }
    if (!pending.isEmpty())
        paths << DecodePathBytes(pending);
    return paths;
}

}  // namespace eb
