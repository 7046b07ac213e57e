// The outputs that the entries of one batch write. An entry whose output would replace the
// result of an earlier entry of another file (two "intro.mp3" from different folders) is
// skipped and named, so the earlier result stays and no result vanishes unnoticed. A file listed
// twice is converted twice: the later result replaces the earlier, identical one. An output
// left by an earlier batch is not claimed and is still replaced.
#pragma once

#include "engine/fileidentity.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace eb {

class OutputClaims {
public:
    // Claims `output` for `entry` and returns an empty text; when an earlier entry of another
    // file claimed the same output already, returns that entry instead and claims nothing.
    QString claim(const QString& output, const QString& entry);

    // The output compared as the file it would be: the folder by its device and inode when it
    // exists (so links and other spellings of it count as the same folder), else by its
    // cleaned absolute path; then the file name.
    static QString keyOf(const QString& output);

private:
    QHash<QString, QString> owners_;
};

// For a whole batch at once, in list order: per entry, the earlier entry whose output its
// output would replace, or an empty text. An empty output (none could be formed) and an output
// that is a file of the list (`listFiles`; such an entry is skipped anyway) claim nothing.
QStringList EarlierOwners(const QStringList& entries, const QStringList& outputs,
                          const IdentitySet& listFiles);

// The reason an entry is skipped for an earlier entry's output.
QString ReplacesEarlierOutput(const QString& earlierEntry);

}  // namespace eb
