// The user's desktop folder, the default output folder.
#pragma once

#include <QString>

namespace eb {

// The special-folder id of the user's desktop.
inline constexpr int kDesktopFolderId = 0;

// The file-system path of a special folder, or empty text when the platform has no such folder
// or it has no path. Only the desktop (id 0) is known here.
QString GetSpecialFolderPath(int id);

// `path` followed by "/". Throws StepError for an empty path: a lone "/" would send every
// result to the root.
QString DesktopFolderFrom(const QString& path);

// The desktop folder's path followed by "/" (DesktopFolderFrom of the desktop's path).
QString GetDesktopFolder();

}  // namespace eb
