// The list of paths given with --from: one path a line, or NUL-separated.
#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

namespace eb {

// Reads the paths from `file` ("-": standard input), split at each newline, or at each NUL
// byte when `nulSeparated`; empty entries are passed over. A newline-separated list loses the
// CR at the end of each line (a CRLF list) and may hold no NUL byte (the list is then refused,
// told to use -0); a name that really ends with CR is given in a NUL-separated list. A list of
// more than 10 million entries is refused before it is read further. Each path keeps its exact
// bytes (see PathFromBytes), so names with blanks, newlines or bytes that are not UTF-8 survive.
// The failure says why the list could not be read.
Result<QStringList> ReadPathList(const QString& file, bool nulSeparated);

}  // namespace eb
