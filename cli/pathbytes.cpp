#include "cli/pathbytes.h"

#include <QUtf8StringView>

namespace eb {

namespace {

constexpr char16_t kRawBase = 0xDC00;

bool IsRawByte(QChar c) {
    return c.unicode() >= kRawBase + 0x80 && c.unicode() <= kRawBase + 0xFF;
}

// The length a UTF-8 sequence starting with `lead` would have; 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

}  // namespace

QString PathFromBytes(const QByteArray& bytes) {
    if (QUtf8StringView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = SequenceLength(lead);
        const QByteArrayView sequence(bytes.constData() + i,
                                      qMin<qsizetype>(length, bytes.size() - i));
        if (length > 0 && sequence.size() == length && QUtf8StringView(sequence).isValidUtf8()) {
            text += QString::fromUtf8(sequence);
            i += length;
        } else {
            text += QChar(char16_t(kRawBase + lead));
            ++i;
        }
    }
    return text;
}

QByteArray PathToBytes(const QString& text) {
    if (!HoldsRawBytes(text))
        return text.toUtf8();
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsRawByte(text[i]))
            continue;
        bytes += QStringView(text).mid(start, i - start).toUtf8();
        if (i < text.size())
            bytes += static_cast<char>(text[i].unicode() - kRawBase);
        start = i + 1;
    }
    return bytes;
}

bool HoldsRawBytes(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), IsRawByte);
}

QString PathForDisplay(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        if (IsRawByte(c))
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

}  // namespace eb
