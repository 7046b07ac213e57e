// Checks made before this program opens or runs a file that someone else might have prepared:
// whether other users could change a file or swap it through a folder above it (what kind of
// file a path names and the non-blocking open are in core/regularfile.h).
#pragma once

#include "core/regularfile.h"

#include <QByteArray>
#include <QString>

namespace eb {

// True when a user other than root and the running user could replace or change the file at
// the resolved, absolute `path`: the file or a folder above it is not owned by one of them,
// others may write the file or its own folder, or a folder further up without the sticky bit
// ("others": all users, or a group other than root's and the running user's own).
bool OthersMayChange(const QByteArray& path);

}  // namespace eb
