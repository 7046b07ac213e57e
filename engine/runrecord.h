// What a run made outside its own private folders (the hidden temporaries beside the outputs)
// and its tool folders, recorded while it makes them, so that a later run can remove what a
// killed one left and never anything else: a file whose name merely looks like one of ours,
// whoever owns it and however it is locked, is never touched.
//
// The record of a process is a file of its own in the user's runtime folder
// ($XDG_RUNTIME_DIR/echobatch, else $XDG_STATE_HOME/echobatch, else ~/.local/state/echobatch;
// mode 0700, the user's), held under flock while the process lives and removed when it ends. An
// entry names what was made by device, inode and absolute path. A record whose lock nobody
// holds belongs to a run that was killed: each of its entries that is still the same file
// under the same name, nobody holds locked and is not one of the caller's files to keep goes;
// then the record goes too.
#pragma once

#include "paths/fileidentity.h"

#include <QByteArray>
#include <QString>

namespace eb {

enum class MadeKind { Temporary, ToolFolder };

// Notes that this process made the file or folder open as `fd` under the absolute `path`.
// Nothing is noted where no runtime folder can be used (then nothing of it is ever swept).
void RecordMade(MadeKind kind, int fd, const QByteArray& path);

// Removes what killed runs recorded of `kind` and left behind (see above); `keep` are files
// that stay whatever the records say (the batch's inputs). Returns how many went.
int SweepAbandoned(MadeKind kind, const IdentitySet& keep = {});

// The folder the records are kept in; empty when none can be used.
QString RecordFolder();

}  // namespace eb
