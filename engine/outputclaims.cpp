#include "engine/outputclaims.h"

#include "core/usertext.h"
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

QString OutputClaims::claim(const QString& output, const QString& entry) {
    const QString key = keyOf(output);
    const auto it = owners_.constFind(key);
    if (it != owners_.constEnd())
        return *it;
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
