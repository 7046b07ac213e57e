// The unsafe-name tests on any bytes a file system may hold, against an independent reading:
// a name is unsafe when it is not well-formed UTF-8 (Qt's decoder reports an error or does not
// give the same bytes back) or holds a control character, a C1 control or "?". The lossless
// reading of names keeps every byte: encoding it back gives the same bytes, and it marks
// exactly the names that are not well-formed.
#include "filelist/namematch.h"
#include "fuzzsupport.h"
#include "paths/pathtext.h"

#include <QList>
#include <QStringDecoder>

namespace {

bool UnsafeCode(char32_t c) {
    return c < 32 || (c >= 127 && c <= 159) || c == U'?';
}

// The bytes of a lossless reading: U+DC80..U+DCFF stand for the bytes 0x80..0xFF.
QByteArray BytesOf(const QString& text) {
    QByteArray bytes;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t u = text[k].unicode();
        if (u >= 0xDC80 && u <= 0xDCFF)
            bytes += char(u - 0xDC00);
        else if (QChar::isHighSurrogate(u) && k + 1 < text.size())
            bytes += text.mid(k++, 2).toUtf8();
        else
            bytes += QString(QChar(u)).toUtf8();
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw = ebfuzz::Bytes(data, size);
    // Qt's decoder in one piece (a cut sequence at the end is an error too), keeping a leading
    // byte-order mark as the character it is.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = decoder.decode(raw);
    const bool wellFormed = !decoder.hasError() && decoded.toUtf8() == raw;
    bool unsafeCode = false;
    for (const uint c : decoded.toUcs4())
        unsafeCode = unsafeCode || UnsafeCode(c);
    const QString hex = QString::fromLatin1(raw.toHex());

    FUZZ_CHECK(eb::IsValidUtf8(raw) == wellFormed, hex);
    const QString lossless = eb::DecodePathBytes(raw);
    FUZZ_CHECK(BytesOf(lossless) == raw, hex);
    FUZZ_CHECK(eb::HasUndecodableBytes(lossless) == !wellFormed, hex);
    if (wellFormed)
        FUZZ_CHECK(lossless == decoded, hex);
    FUZZ_CHECK(eb::HasUnsafeNameBytes(raw) == (!wellFormed || unsafeCode), hex);
    // The same name seen through Qt: undecodable bytes arrive as U+FFFD and stay unsafe.
    if (!wellFormed)
        FUZZ_CHECK(eb::HasUnsafeChars(decoded), hex);
    else
        FUZZ_CHECK(eb::HasUnsafeChars(decoded) == (unsafeCode || decoded.contains(QChar(0xFFFD))),
                   hex);

    // Any UTF-16 text a field can hold: lone surrogates and U+FFFD count as unsafe too.
    const QString text = ebfuzz::Text(raw);
    bool unsafeUnit = !text.isValidUtf16() || text.contains(QChar(0xFFFD));
    for (QChar ch : text)
        unsafeUnit = unsafeUnit || (!ch.isSurrogate() && UnsafeCode(ch.unicode()));
    FUZZ_CHECK(eb::HasUnsafeChars(text) == unsafeUnit, QString::fromLatin1(raw.toHex()));
    return 0;
}
