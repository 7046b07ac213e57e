// Turns the PATH arguments into the list of files to convert.
#pragma once

#include <QString>
#include <QStringList>

namespace eb {

struct CliPaths {
    QStringList files;   // in the order given; duplicates kept
    QStringList errors;  // one line per argument that cannot be used
};

// Files are taken as given. A folder cannot be expanded yet and is an error.
CliPaths ExpandCliPaths(const QStringList& arguments);

}  // namespace eb
