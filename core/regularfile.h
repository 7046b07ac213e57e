// What kind of file a path names, looked at without opening it, and a non-blocking open of a
// regular file: the checks made before the program reads a file that anyone might have put
// there (an input, a tool, the settings store).
#pragma once

#include "core/result.h"
#include "posix/uniquefd.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace eb {

// "a FIFO", "a character device", "a block device", "a socket", "a folder", or empty for a
// regular file.
QString KindOfMode(mode_t mode);

// The start of every reason that a path is not a regular file, in the user's language.
QString NotRegularPrefix();

// Why the path cannot be taken as a regular file ("not a regular file: a FIFO"), or the
// system's reason when it cannot be looked at; empty when it names a regular file (links
// followed). Opens nothing.
QString NotRegularReason(const QByteArray& path);

// "no such file": the reason for a path that names nothing.
QString NoSuchFileReason();

// True when nothing is found at `path`: no such name, a link that leads nowhere, or a folder on
// the way that is missing or is a file.
bool NamesNothing(const QByteArray& path);

// Opens a regular file read-only and close-on-exec without ever blocking: anything else is
// refused before it is opened, and the open itself is non-blocking and checked with fstat.
Result<posix::UniqueFd> OpenRegularFile(const QByteArray& path);

}  // namespace eb
