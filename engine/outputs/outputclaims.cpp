#include "engine/outputs/outputclaims.h"

#include "core/usertext.h"
#include "engine/outputs/outputpath.h"
#include "engine/outputs/outputtree.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <fcntl.h>

namespace eb {

QString OutputClaims::keyOf(const QString& output) {
    // The deepest folder on the way that exists, by identity, then the names still to be made.
    // Never the file's own identity: the key must not change once an earlier entry wrote it,
    // and a rename replaces the name, not the file.
    QString path = ResolvedPath(AbsolutePath(output));
    QString folder = path;
    QString rest;
    std::optional<FileIdentity> id;
    while (!id && folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf(u'/');
        rest = folder.mid(slash + 1) + (rest.isEmpty() ? QString() : u'/' + rest);
        folder = folder.left(qMax<qsizetype>(slash, 1));
        id = IdentityOf(folder);
    }
    if (!id)
        return path;
    const posix::UniqueFd fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd && FoldsCase(fd.get()))
        rest = rest.toCaseFolded();
    return QStringLiteral("%1:%2/").arg(id->device).arg(id->inode) + rest;
}

namespace {
// Two entries of the same file (the same path, or another spelling of it): each is converted,
// the later writing the same output again.
bool SameInput(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const auto id = IdentityOf(a);
    return id && id == IdentityOf(b);
}
}  // namespace

QString OutputClaims::claim(const QString& output, const QString& entry) {
    const QString key = keyOf(output);
    const auto it = owners_.constFind(key);
    if (it != owners_.constEnd())
        return SameInput(*it, entry) ? QString() : *it;
    owners_.insert(key, entry);
    return QString();
}

std::vector<int> EarlierOwners(qsizetype count, const std::function<QString(qsizetype)>& outputOf,
                               const std::function<QString(qsizetype)>& inputOf,
                               const IdentitySet& listFiles) {
    QHash<QString, int> claimed;
    std::vector<int> owners(static_cast<size_t>(count), -1);
    for (qsizetype k = 0; k < count; ++k) {
        const QString output = outputOf(k);
        const auto existing = output.isEmpty() ? std::nullopt : IdentityOf(output);
        if (output.isEmpty() || (existing && listFiles.contains(*existing)))
            continue;
        const QString key = OutputClaims::keyOf(output);
        if (const auto it = claimed.constFind(key); it != claimed.constEnd()) {
            if (!SameInput(inputOf(*it), inputOf(k)))
                owners[static_cast<size_t>(k)] = *it;
        } else {
            claimed.insert(key, static_cast<int>(k));
        }
    }
    return owners;
}

QString SkippedReason(const QString& why) {
    return UserText::tr("skipped: %1").arg(why);
}

bool IsSkippedReason(const QString& reason) {
    return reason.startsWith(SkippedReason(QString()));
}

QString ReplacesEarlierOutput(const QString& earlierEntry) {
    return SkippedReason(UserText::tr("its output would replace the output of ") + earlierEntry);
}

}  // namespace eb
