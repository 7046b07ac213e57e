#include "cli/listinput.h"

#include "core/usertext.h"
#include "paths/pathtext.h"

#include <QFile>

#include <climits>
#include <cstdio>

namespace eb {

namespace {

// No path the system can open is longer; a longer "entry" means the file is not a list of
// paths (a binary file, /dev/zero), and reading on would only fill the memory.
constexpr qsizetype kLongestEntry = PATH_MAX;

// More entries than this are refused before they fill the memory (each costs a few hundred
// bytes on its way through the batch).
constexpr qsizetype kMostEntries = 10'000'000;

// One entry of a newline-separated list: a CR before the newline (a list written on Windows)
// is not part of the name.
QByteArrayView EntryOf(QByteArrayView line, bool nulSeparated) {
    if (!nulSeparated && line.endsWith('\r'))
        line.chop(1);
    return line;
}

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
        if (!nulSeparated && chunk.contains('\0'))
            return failed(
                UserText::tr("it holds NUL bytes; give -0 (--null) for a list whose "
                             "paths end with a NUL byte"));
        pending += chunk;
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf(separator, start)) >= 0; start = end + 1) {
            const QByteArrayView entry =
                EntryOf(QByteArrayView(pending).sliced(start, end - start), nulSeparated);
            if (!entry.isEmpty())
                paths << DecodePathBytes(entry.toByteArray());
        }
        if (paths.size() > kMostEntries)
            return failed(
                UserText::tr("it holds more than %1 entries; split it").arg(kMostEntries));
        pending.remove(0, start);
        if (pending.size() > kLongestEntry)
            return failed(UserText::tr("an entry is longer than %1 bytes; is it a list of paths?")
                              .arg(kLongestEntry));
        if (chunk.isEmpty())
            break;
    }
    if (const QByteArrayView entry = EntryOf(pending, nulSeparated); !entry.isEmpty())
        paths << DecodePathBytes(entry.toByteArray());
    return paths;
}

}  // namespace eb
