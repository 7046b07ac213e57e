// The user's desktop folder, the default output folder.
#pragma once

#include <QString>

namespace eb {

// The desktop folder's path followed by "/". Throws StepError when the platform names no
// desktop folder: a lone "/" would send every result to the root.
QString GetDesktopFolder();

}  // namespace eb
