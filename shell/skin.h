// The optional skin: a style sheet in "x/o.cjs" beside the program.
#pragma once

#include <QString>

class QWidget;

namespace eb {

// The skin file's path under a program folder.
QString SkinFilePath(const QString& programFolder);

// True when the path is an ordinary file: not a folder, not hidden, not a system file.
bool SkinFilePresent(const QString& path);

// When the skin file is present, gives the window and its frames, labels, option buttons and
// check boxes the button-face colour and applies the file to the window as a style sheet.
// Throws StepError when the file cannot be read or is not a style sheet the window can take
// (the window then keeps its colours and no sheet). Without the file nothing changes.
void ApplySkin(QWidget& window, const QString& programFolder);

}  // namespace eb
