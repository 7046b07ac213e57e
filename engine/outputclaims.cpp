#include "engine/outputclaims.h"

#include "engine/outputpath.h"

#include <QDir>

namespace eb {

QString OutputClaims::keyOf(const QString& output) {
    const QString path = QDir::cleanPath(AbsolutePath(output));
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(qMax<qsizetype>(slash, 1));
    const QString name = path.mid(slash + 1);
    if (const auto id = IdentityOf(folder))
        return QStringLiteral("%1:%2/").arg(id->device).arg(id->inode) + name;
    return path;
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

QStringList EarlierOwners(const QStringList& entries, const QStringList& outputs,
                          const IdentitySet& listFiles) {
    OutputClaims claims;
    QStringList owners;
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const auto existing = outputs[k].isEmpty() ? std::nullopt : IdentityOf(outputs[k]);
        const bool claimable =
            !outputs[k].isEmpty() && !(existing && listFiles.contains(*existing));
        owners << (claimable ? claims.claim(outputs[k], entries[k]) : QString());
    }
    return owners;
}

QString ReplacesEarlierOutput(const QString& earlierEntry) {
    return QStringLiteral("skipped: its output would replace the output of ") + earlierEntry;
}

}  // namespace eb
