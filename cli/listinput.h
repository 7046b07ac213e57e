// The list of paths given with --from: one path a line, or NUL-separated.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace eb {

// Reads the paths from `file` ("-": standard input), split at each newline, or at each NUL
// byte when `nulSeparated`; empty entries are passed over. Each path keeps its exact bytes
// (see PathFromBytes), so names with blanks, newlines or bytes that are not UTF-8 survive.
// Without a value, `error` says why the list could not be read.
std::optional<QStringList> ReadPathList(const QString& file, bool nulSeparated, QString* error);

}  // namespace eb
