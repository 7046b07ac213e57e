// Paths as the system gives them are bytes; Qt's texts are Unicode. A name that is not valid
// UTF-8 would become U+FFFD in Qt's own decoding and then name another file (or none). Such
// bytes are carried here losslessly, each as a lone surrogate U+DC80 + byte (no valid UTF-8
// ever decodes to one), so the program can see them, name them escaped and refuse them; it
// never hands such a text to the file system.
#pragma once

#include <QByteArray>
#include <QString>

namespace eb {

// The bytes as text: valid UTF-8 as it is, every other byte as U+DC80 + byte.
QString DecodePathBytes(const QByteArray& bytes);

// True when the text holds a byte that is not valid UTF-8 (see DecodePathBytes).
bool HasUndecodableBytes(const QString& text);

// The inverse of DecodePathBytes: the exact bytes the text stands for.
QByteArray EncodePathBytes(const QString& text);

// The text as Qt would have decoded the bytes: each undecodable byte as U+FFFD (for formats
// that must hold valid Unicode, such as JSON).
QString ReplacedText(const QString& text);

// The text for people to read: undecodable bytes as "\xNN"; with `controls` also the
// control characters (below 32, 127 to 159), so a name cannot move a terminal's cursor or
// recolour it.
QString EscapedText(const QString& text, bool controls);

// Why the path may stand for another file than the one the user chose: a component holding
// U+FFFD beside a name that is not valid UTF-8 but reads the same once Qt has decoded it.
// Empty when there is no such doubt (the usual case costs nothing: no U+FFFD, no look).
QString LookAlikeDoubt(const QString& absolutePath);

}  // namespace eb
