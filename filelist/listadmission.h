// Building blocks the list adders share. The attribute values themselves and the presence
// test belong to the folder scan (filelist/fileattributes.h, filelist/folderscan.h).
#pragma once

#include <QString>
#include <QStringList>

namespace eb {

// A path joined from a folder, "/" and a name holds "//" when the folder is the root (or was
// built from it); every "//" in the joined path becomes "/".
QString FixRootSeparator(const QString& joined);

// Names that start with "~" (editors' lock and backup files) are never taken from a folder.
bool NameStartsWithTilde(const QString& name);

// A hidden regular file with no other attribute (value 34 = hidden 2 + archive 32) is skipped
// by the folder adders; hidden together with read-only, or any other value, passes.
bool PassesAttributeTest(int attributes);

// The note after a folder add that passed over files for their names (FolderScan::passedOver):
// how many, and the first five named with the odd bytes escaped. Empty when there are none.
QString PassedOverNote(const QStringList& passedOver);

}  // namespace eb
