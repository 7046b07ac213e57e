// Pointer images loaded from the files beside the program: the hand over the push buttons
// ("HAND-M.CUR") and the pointer for moving a list entry ("drag.ico").
#pragma once

#include <QByteArray>
#include <QCursor>
#include <QPoint>
#include <QString>

#include <optional>

namespace eb {

// The hotspot a cursor file stores for its first image: two little-endian 16-bit values at
// bytes 10..13 (x, then y). Nothing when the bytes are not a cursor file (an icon file has no
// hotspot).
std::optional<QPoint> CursorFileHotspot(const QByteArray& bytes);

// Loads a cursor or icon file as a pointer. A cursor keeps its stored hotspot (when it lies on
// the image); an icon is held by its centre. Throws StepError when the file cannot be read or
// holds no image.
QCursor LoadPointerFile(const QString& path);

// LoadPointerFile, or the ordinary arrow when the file is missing or unreadable.
QCursor PointerFileOrArrow(const QString& path);

}  // namespace eb
