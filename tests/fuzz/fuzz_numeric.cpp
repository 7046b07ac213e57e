// The numeric test of the echo values against an independent reading of the same grammar by
// the C library: a text passes when it consists only of signs, digits, points and exponent
// letters, and strtod in the "C" locale reads all of it as a number.
#include "fuzzsupport.h"
#include "options/echooptions.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace {

bool OracleAccepts(const QString& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    if (text.isEmpty())
        return false;
    QByteArray ascii;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        // Only these may stand in a number; they also keep out what strtod would take beyond
        // the grammar: leading blanks, hexadecimal, "inf" and "nan".
        if (u > 127 || !std::strchr("+-.0123456789eE", static_cast<char>(u)) || u == 0)
            return false;
        ascii += static_cast<char>(u);
    }
    char* end = nullptr;
    strtod_l(ascii.constData(), &end, c);
    return end == ascii.constData() + ascii.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = ebfuzz::Text(ebfuzz::Bytes(data, size));
    const bool accepted = eb::IsNumericText(text);
    FUZZ_CHECK(accepted == OracleAccepts(text), text);
    // The four-field check agrees with the test of each field and its range.
    const eb::EchoTexts texts{text, QStringLiteral("0.7"), text, QStringLiteral("0.3")};
    const QString message = eb::CheckEchoTexts(texts);
    FUZZ_CHECK(
        message.isEmpty() == (accepted && eb::IsInEchoRange(0, text) && eb::IsInEchoRange(2, text)),
        text);
    FUZZ_CHECK(accepted || message.startsWith(QStringLiteral("Numeric value required.\n")), text);
    return 0;
}
