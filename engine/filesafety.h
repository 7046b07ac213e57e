// Checks made before this program opens or runs a file that someone else might have prepared:
// what kind of file a path names (without opening it), a non-blocking open of a regular file,
// and whether other users could change a file or swap it through a folder above it.
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

// Opens a regular file read-only and close-on-exec without ever blocking: anything else is
// refused before it is opened, and the open itself is non-blocking and checked with fstat.
Result<posix::UniqueFd> OpenRegularFile(const QByteArray& path);

// True when a user other than root and the running user could replace or change the file at
// the resolved, absolute `path`: the file or a folder above it is not owned by one of them,
// others may write the file or its own folder, or a folder further up without the sticky bit
// ("others": all users, or a group other than root's and the running user's own).
bool OthersMayChange(const QByteArray& path);

}  // namespace eb
