// The settings store's file as bytes: what may be read, where a write may go, and the atomic
// replacement (core/settingsstore.h says the rules).
#pragma once

#include "core/result.h"

#include <QByteArray>

namespace eb {

// The file's bytes; empty when nothing is there. Only a regular file of at most `maxBytes` is
// opened, and that without blocking; anything else fails with the reason.
Result<QByteArray> ReadStoreFile(const QByteArray& path, qint64 maxBytes);

// The file that a write of the store at `path` replaces: `path` itself when it is a regular
// file or nothing yet (its folder is made), or the final target of a link when that is a
// regular file of the user's own in a folder of the user's own. Anything else fails with the
// reason ("not a regular file: a FIFO").
Result<QByteArray> StoreWriteTarget(const QByteArray& path);

// Writes `bytes` into a new file beside `target`, synced, and renames it over `target`, whose
// permissions it keeps. A rename never follows a link: whatever stands at `target` by then is
// replaced, never a file behind it.
Result<> ReplaceFile(const QByteArray& target, const QByteArray& bytes);

}  // namespace eb
