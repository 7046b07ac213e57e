// What a run made outside its own private folders (the hidden temporaries beside the outputs)
// and its tool folders, recorded while it makes them, so that a later run can remove what a
// killed one left and never anything else: a file whose name merely looks like one of ours,
// whoever owns it and however it is locked, is never touched, and neither is anything a record
// names that is not one of ours by its name and place.
//
// The record of a process is a file of its own in the records folder "echobatch" of the user's
// runtime folder: $XDG_RUNTIME_DIR when that is the user's own folder and open to nobody else,
// else $XDG_STATE_HOME, else ~/.local/state. The records folder (mode 0700, the user's) is
// opened once from its checked parent without following links, and every record is made,
// listed, read and removed through that open folder. A record is held under flock while its
// process lives and removed when it ends. An entry names what was made by device, inode and
// absolute path. A record whose lock nobody holds belongs to a run that was killed: each of its
// entries that is named as the program names what it makes, is still the same file under that
// name, the user's, locked by nobody and not one of the caller's files to keep goes; then the
// record goes too. What cannot be recorded is not made (RecordMade fails, and its caller
// removes what it made).
#pragma once

#include "core/result.h"
#include "paths/fileidentity.h"

#include <QByteArray>
#include <QString>

namespace eb {

enum class MadeKind { Temporary, ToolFolder };

// Notes that this process made the file or folder open as `fd` under the absolute `path`.
// Fails, with the reason for the user ("cannot keep a record of the temporary file: No space
// left on device"), when no record can be kept.
SaidResult<> RecordMade(MadeKind kind, int fd, const QByteArray& path);

// Removes what killed runs recorded of `kind` and left behind (see above); `keep` are files
// that stay whatever the records say (the batch's inputs). Returns how many went.
int SweepAbandoned(MadeKind kind, const IdentitySet& keep = {});

// The folder the records are kept in; empty when none can be used.
QString RecordFolder();

// Why $XDG_RUNTIME_DIR was passed over and where the records are kept instead, for a note on
// standard error: given to the first caller only, so that it is said once; empty when the
// folder was used or the variable is not set.
QString TakeRecordFolderNote();

// True when `name` (a file name without its folder) is one the program gives what it makes of
// `kind`: ".<base>.echobatch-XXXXXX.mp3" or "echobatch-XXXXXX".
bool IsMadeName(MadeKind kind, const QByteArray& name);

}  // namespace eb
