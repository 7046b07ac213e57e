// Shared by the fuzz targets: turning fuzzer bytes into texts, and failing loudly.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ebfuzz {

// Stops the run with a message; libFuzzer saves the input that led here.
[[noreturn]] inline void Fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "fuzz check failed: %s [%s]\n", what, detail.toUtf8().constData());
    std::abort();
}

#define FUZZ_CHECK(condition, detail)           \
    do {                                        \
        if (!(condition))                       \
            ::ebfuzz::Fail(#condition, detail); \
    } while (false)

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The first byte chooses how the rest becomes a text: as UTF-8 (what the file system and the
// command line give; broken sequences become U+FFFD), or as raw UTF-16 code units (what a
// text field can hold, lone surrogates included).
inline QString Text(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QString();
    const QByteArray rest = bytes.mid(1);
    if ((bytes[0] & 1) == 0)
        return QString::fromUtf8(rest);
    QString text(rest.size() / 2, Qt::Uninitialized);
    for (qsizetype k = 0; k < text.size(); ++k)
        text[k] = QChar(static_cast<char16_t>(static_cast<uint8_t>(rest[2 * k]) |
                                              static_cast<uint8_t>(rest[2 * k + 1]) << 8));
    return text;
}

}  // namespace ebfuzz
