// Hidden temporary outputs (".<base>.echobatch-XXXXXX.mp3") carry an advisory lock (flock)
// for as long as the run that made them lives: the lock goes when the run ends in any way, a
// SIGKILL included. A later batch may therefore remove such a file exactly when it can take
// its lock, and never by its name or age alone.
#pragma once

#include <QByteArray>
#include <QString>

namespace eb {

// Creates a hidden temporary from the mkostemps pattern (six X before the four-byte suffix),
// locked and kept open until ReleaseTemporary. Returns its name, or an empty name with errno
// set.
QByteArray CreateLockedTemporary(const QByteArray& pattern);

// Closes the lock of a temporary that has been renamed or removed (nothing when none is held).
void ReleaseTemporary(const QByteArray& name);

// Closes the locks of temporaries that have been removed meanwhile (no name left).
void ReleaseUnlinkedTemporaries();

// Removes the files in `folder` named like a hidden temporary of this program, owned by the
// running user, that no live run holds locked; touches nothing else. Returns how many.
int RemoveAbandonedTemporaries(const QString& folder);

// The same for the private tool folders ("echobatch-XXXXXX") in the temporary folder: a batch
// holds its folder locked while it lives; a folder of the running user's that nobody holds
// loses its "sox" and is removed when that leaves it empty. Returns how many.
int RemoveAbandonedToolFolders(const QString& temp);

}  // namespace eb
