// Building blocks the list adders share. The attribute values themselves and the presence
// test belong to the folder scan (filelist/fileattributes.h, filelist/folderscan.h).
#pragma once

#include <QString>

namespace eb {

// A path joined from a folder, "/" and a name holds "//" when the folder is the root (or was
// built from it); every "//" in the joined path becomes "/".
QString FixRootSeparator(const QString& joined);

// Names that start with "~" (editors' lock and backup files) are never taken from a folder.
bool NameStartsWithTilde(const QString& name);

// A hidden regular file with no other attribute (value 34 = hidden 2 + archive 32) is skipped
// by the folder adders; hidden together with read-only, or any other value, passes.
bool PassesAttributeTest(int attributes);

}  // namespace eb
