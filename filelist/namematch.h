// Tests on single file and folder names: the listing's wildcard pattern and the characters that
// keep the folder scan out of a folder.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace eb {

// A wildcard pattern for the names of one folder: "*" matches any run of characters, "?" one
// character, everything else itself without regard to letter case. "*.*" matches every name,
// with or without a dot.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString& pattern);
    bool matches(QStringView name) const;

private:
    QString folded_;
    bool matchesAll_ = false;
};

// True when the name holds a character that the folder scan does not enter: a code point below
// 32, from 127 to 159, "?", or U+FFFD (what an undecodable byte sequence becomes) or a lone
// surrogate. An empty name is safe.
bool HasUnsafeChars(const QString& name);

// The same test on a name as the file system stores it: a byte sequence that is not valid
// UTF-8 is unsafe; a correctly encoded U+FFFD is a character like any other.
bool HasUnsafeNameBytes(QByteArrayView raw);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF), so that the name survives the round trip through QString unchanged.
bool IsValidUtf8(QByteArrayView raw);

}  // namespace eb
