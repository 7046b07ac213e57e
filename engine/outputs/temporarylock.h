// Hidden temporary outputs (".<base>.echobatch-XXXXXX.mp3") carry an advisory lock (flock)
// for as long as the run that made them lives: the lock goes when the run ends in any way, a
// SIGKILL included. A later batch may therefore remove such a file exactly when it can take
// its lock and the run recorded it as made (engine/runrecord.h), never by its name or age.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace eb {

// Creates a hidden temporary from the mkostemps pattern (six X before the four-byte suffix),
// locked, recorded (engine/runrecord.h) and kept open until ReleaseTemporary. Returns its name;
// fails with the reason when it cannot be made or recorded (then nothing is left of it).
SaidResult<QByteArray> CreateLockedTemporary(const QByteArray& pattern);

// True when the folder this process made the temporary `name` in is no longer found at its
// path (renamed away or removed): the output can then not be put in place.
bool TemporaryFolderGone(const QByteArray& name);

// Closes the lock of a temporary that has been renamed or removed (nothing when none is held).
void ReleaseTemporary(const QByteArray& name);

// Closes the locks of temporaries that have been removed meanwhile (no name left).
void ReleaseUnlinkedTemporaries();

// Removes a temporary this process made and still holds, and closes its lock: the file goes
// only while it is still the one that was made, found in its folder also after the folder was
// renamed. Nothing when none is held under that name.
void RemoveTemporary(const QByteArray& name);

}  // namespace eb
