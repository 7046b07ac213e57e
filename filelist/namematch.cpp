#include "filelist/namematch.h"

namespace eb {

namespace {

char16_t Fold(QChar c) {
    return c.toCaseFolded().unicode();
}

bool IsUnsafeCode(char32_t code) {
    return code < 32 || (code >= 127 && code <= 159) || code == u'?';
}

}  // namespace

WildcardPattern::WildcardPattern(const QString& pattern)
    : folded_(pattern.toCaseFolded()), matchesAll_(pattern == QLatin1String("*.*")) {}

bool WildcardPattern::matches(QStringView name) const {
    if (matchesAll_)
        return true;
    // Greedy matching that backs up to the last "*" on a mismatch: linear for the usual
    // patterns, never worse than name length times pattern length.
    const QStringView pattern(folded_);
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool HasUnsafeChars(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (IsUnsafeCode(c.unicode()) || c == QChar::ReplacementCharacter)
            return true;
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return true;
    }
    return false;
}

bool HasUnsafeNameBytes(QByteArrayView raw) {
    if (!IsValidUtf8(raw))
        return true;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x80 && IsUnsafeCode(b))
            return true;
        // U+0080..U+009F are encoded as C2 80..C2 9F.
        if (b == 0xC2 && i + 1 < raw.size() && static_cast<unsigned char>(raw[i + 1]) <= 0x9F)
            return true;
    }
    return false;
}

bool IsValidUtf8(QByteArrayView raw) {
    const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
    const qsizetype size = raw.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            code = b & 0x1Fu;
            minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            code = b & 0x0Fu;
            minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            code = b & 0x07u;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= size)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = s[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace eb
