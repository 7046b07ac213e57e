// File names on Linux are bytes; Qt's texts are UTF-16. A name that is not valid UTF-8 is kept
// here without loss: every byte that is not part of a valid UTF-8 sequence becomes the lone
// surrogate U+DC00 + byte (U+DC80 to U+DCFF), which no valid UTF-8 ever decodes to.
#pragma once

#include <QByteArray>
#include <QString>

namespace eb {

// The bytes as text: valid UTF-8 as it is, every other byte as U+DC00 + byte.
QString PathFromBytes(const QByteArray& bytes);

// The inverse of PathFromBytes: the exact bytes the text stands for.
QByteArray PathToBytes(const QString& text);

// True when the text holds a byte that is not valid UTF-8 (see PathFromBytes).
bool HoldsRawBytes(const QString& text);

// The text for a reader: each raw byte shown as U+FFFD.
QString PathForDisplay(const QString& text);

}  // namespace eb
