// Where the entries of a batch go when their albums are kept below the output folder: how many
// outputs share a name, and the folder below the output folder for each entry.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace eb {

// How many of `inputs` would write an output name that another file of them writes too (a
// file listed twice is converted twice, and shares its name with nobody).
int SharedNames(const QStringList& inputs);

// The folder below the output folder for each of `inputs` (by its text), the entries found in
// one added folder kept together; where two outputs would still meet, more of the path above
// is taken for both, as far as there is one.
// `addedFrom` holds the folder each entry was added from (empty: picked by itself).
QHash<QString, QString> KeptFolders(const QStringList& inputs, const QStringList& addedFrom);

}  // namespace eb
