#include "paths/pathtext.h"

#include "core/usertext.h"
#include "posix/dirstream.h"

#include <QFile>

#include <dirent.h>

namespace eb {

namespace {

constexpr char16_t kEscapeBase = 0xDC80;

// The length of the valid UTF-8 sequence at `p` (at most `left` bytes) and its code point in
// `cp`; 0 when there is none.
int ValidSequence(const unsigned char* p, qsizetype left, char32_t& cp) {
    const unsigned char c = p[0];
    int length = 0;
    cp = c;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Unit `k` of `text` stands for an undecodable byte: a low surrogate in U+DC80..U+DCFF that
// is not the second half of a pair.
bool IsEscapedByte(const QString& text, qsizetype k) {
    const char16_t u = text[k].unicode();
    return u >= kEscapeBase && u <= kEscapeBase + 0x7F &&
           (k == 0 || !QChar::isHighSurrogate(text[k - 1].unicode()));
}

}  // namespace

QString DecodePathBytes(const QByteArray& bytes) {
    QString text;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        char32_t cp = 0;
        const int length = ValidSequence(p + i, size - i, cp);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + (p[i] & 0x7F)));
            ++i;
        } else if (QChar::requiresSurrogates(cp)) {
            text += QChar(QChar::highSurrogate(cp));
            text += QChar(QChar::lowSurrogate(cp));
            i += length;
        } else {
            text += QChar(char16_t(cp));
            i += length;
        }
    }
    return text;
}

bool HasUndecodableBytes(const QString& text) {
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (IsEscapedByte(text, k))
            return true;
    }
    return false;
}

QByteArray EncodePathBytes(const QString& text) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype k = 0; k <= text.size(); ++k) {
        if (k < text.size() && !IsEscapedByte(text, k))
            continue;
        bytes += QStringView(text).mid(start, k - start).toUtf8();
        if (k < text.size())
            bytes += static_cast<char>(0x80 + (text[k].unicode() - kEscapeBase));
        start = k + 1;
    }
    return bytes;
}

QString ReplacedText(const QString& text) {
    QString shown = text;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (IsEscapedByte(text, k))
            shown[k] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString EscapedText(const QString& text, bool controls) {
    QString shown;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text[k];
        const char16_t u = c.unicode();
        if (IsEscapedByte(text, k))
            shown += QStringLiteral("\\x%1").arg(0x80 + (u - kEscapeBase), 2, 16, QLatin1Char('0'));
        else if (controls && (u < 0x20 || (u >= 0x7F && u <= 0x9F)))
            shown += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString LookAlikeDoubt(const QString& absolutePath) {
    if (!absolutePath.contains(QChar(0xFFFD)))
        return QString();
    const QStringList parts = absolutePath.split(QLatin1Char('/'));
    QString folder = QStringLiteral("/");
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        if (part.contains(QChar(0xFFFD))) {
            if (const posix::DirStream dir =
                    posix::DirStream::open(QFile::encodeName(folder).constData())) {
                bool doubt = false;
                while (const dirent* entry = ::readdir(dir.get())) {
                    const QByteArray raw(entry->d_name);
                    if (HasUndecodableBytes(DecodePathBytes(raw)) &&
                        QString::fromUtf8(raw) == part) {
                        doubt = true;
                        break;
                    }
                }
                if (doubt)
                    return UserText::tr(
                               "the name \"%1\" in %2 may stand for another file: a name there "
                               "that is not valid UTF-8 reads the same")
                        .arg(part, folder);
            }
        }
        folder += (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) + part;
    }
    return QString();
}

}  // namespace eb
