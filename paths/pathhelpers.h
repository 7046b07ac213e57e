// Small path helpers of the conversion run. Paths are plain texts with "/" as separator; none
// of these normalises a path or resolves a relative one.
#pragma once

#include <QString>

namespace eb {

// True when the file system can tell the path's modification time; false for a missing,
// empty or malformed path. Never throws.
bool FileExists(const QString& path);

// Everything before the last "." of the text ("a.b.mp3" -> "a.b", ".mp3" -> "").
// Throws StepError(kInvalidArgument) for a text without "."; a last "." past position 32767
// throws StepError("Overflow").
QString StripExtension(const QString& name);

// Everything after the last "/" (the whole text when there is none). Never throws.
QString FileNameOf(const QString& path);

// True when the path names a folder, with or without a final "/". Never throws.
bool IsFolder(const QString& path);

// "TEMP" when set and not empty, else the system's temporary folder.
QString TemporaryFolder();

// True when both files are there and `path` was modified later than `other` (to the
// nanosecond the file system keeps). Never throws.
bool IsNewerThan(const QString& path, const QString& other);

// Yields to the event queue once, then deletes exactly the named file, ignoring every failure.
void DeleteFileQuiet(const QString& path);

}  // namespace eb
