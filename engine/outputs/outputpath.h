// Where a file's result goes: the output-folder text, the input's file name without its
// extension, ".mp3". Plain text operations; nothing here touches the file system.
#pragma once

#include <QString>

namespace eb {

// The output folder text, a "/" unless it ends with one, the input's file name without its
// extension, ".mp3". Throws StepError when the file name has no ".".
QString OutputPathFor(const QString& outputFolderText, const QString& inputPath);

// The path made absolute against the working folder, without any other change.
QString AbsolutePath(const QString& path);

}  // namespace eb
