// Hidden temporary outputs (".<base>.echobatch-XXXXXX.mp3") carry an advisory lock (flock)
// for as long as the run that made them lives: the lock goes when the run ends in any way, a
// SIGKILL included. A later batch may therefore remove such a file exactly when it can take
// its lock and the run recorded it as made (engine/outputs/runrecord.h), never by its name or age.
#pragma once

#include "core/result.h"
#include "posix/uniquefd.h"

#include <QByteArray>
#include <QString>

namespace eb {

// A temporary this process made: its absolute name, which the calls below take, and a
// descriptor of it open for reading and writing, the caller's, through which alone it is
// written (its name is only a place another process could swap).
struct MadeTemporary {
    QByteArray path;
    posix::UniqueFd fd;
};

// Creates a hidden temporary `prefix` + six random characters + `suffix` in the folder open as
// `folderFd` (whose absolute path is `folder`), never through a link (O_CREAT | O_EXCL |
// O_NOFOLLOW from the folder's descriptor), with the permissions a new file gets; locked,
// recorded (engine/outputs/runrecord.h) and kept open until ReleaseTemporary. Fails with the reason
// when it cannot be made or recorded (then nothing is left of it).
SaidResult<MadeTemporary> CreateLockedTemporary(int folderFd, const QByteArray& folder,
                                                const QByteArray& prefix, const QByteArray& suffix);

// The same beside `path`: its folder is opened by its name (links followed, as the user named
// it) and the temporary named ".<name without its extension>.echobatch-XXXXXX<extension>".
SaidResult<MadeTemporary> CreateLockedTemporaryBeside(const QByteArray& path);

// Puts the temporary in place of `name` in the folder it was made in (renameat on that
// folder's descriptor), only while its name still leads to the file that was made; then its
// lock is closed. Fails with why (nothing is renamed then, and the temporary is kept).
SaidResult<> PutTemporaryInPlace(const QByteArray& temporary, const QByteArray& name);

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
