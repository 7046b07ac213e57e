// The outputs that the entries of one batch write. An entry whose output would replace the
// result of an earlier entry of another file (two "intro.mp3" from different folders) is
// skipped and named, so the earlier result stays and no result vanishes unnoticed. A file listed
// twice is converted twice: the later result replaces the earlier, identical one. An output
// left by an earlier batch is not claimed and is still replaced.
#pragma once

#include "paths/fileidentity.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace eb {

class OutputClaims {
public:
    // Claims `output` for `entry` and returns an empty text; when an earlier entry of another
    // file claimed the same output already, returns that entry instead and claims nothing.
    QString claim(const QString& output, const QString& entry);

    // The output compared as the file it would be, its path resolved through links and ".."
    // (ResolvedPath): the deepest existing folder on the way by its device and inode (so links,
    // bind mounts and other spellings count as the same folder), then the names below it,
    // letter case folded where that folder's file system folds it.
    static QString keyOf(const QString& output);

private:
    QHash<QString, QString> owners_;
};

// For a whole batch at once, in list order: per entry, the position of the earlier entry whose
// output its output would replace, or -1. `outputOf(k)` is entry k's output; an empty output
// (none could be formed) and an output that is a file of the list (`listFiles`; such an entry
// is skipped anyway) claim nothing. An entry of the same file as the earlier one (`inputOf`) is
// converted again, as the window does. Only the outputs' keys are kept meanwhile.
std::vector<int> EarlierOwners(qsizetype count, const std::function<QString(qsizetype)>& outputOf,
                               const std::function<QString(qsizetype)>& inputOf,
                               const IdentitySet& listFiles);

// The reason an entry is skipped for an earlier entry's output.
QString ReplacesEarlierOutput(const QString& earlierEntry);

// A file left alone on purpose says so first: "skipped: <why>" in the user's language.
// IsSkippedReason tells such a reason from a failure in whatever language it was made.
QString SkippedReason(const QString& why);
bool IsSkippedReason(const QString& reason);

}  // namespace eb
