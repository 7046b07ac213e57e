#include "options/echooptions.h"

#include "core/languages.h"

#include <QCoreApplication>
#include <QLocale>

#include <locale.h>
#include <cstdlib>

namespace eb {

EchoTexts DefaultEchoTexts() {
    return {
        QString::fromLatin1(kEchoFields[0].fallback), QString::fromLatin1(kEchoFields[1].fallback),
        QString::fromLatin1(kEchoFields[2].fallback), QString::fromLatin1(kEchoFields[3].fallback)};
}

namespace {

// True when the environment leaves numbers to the C locale (or names none for them).
bool NumbersAreC() {
    const QString numbers = LocaleNameFor("LC_NUMERIC");
    return numbers.isEmpty() || numbers == QLatin1String("C") || numbers == QLatin1String("POSIX");
}

// The locale numbers are written in: the system's (Qt takes its numbers from LC_NUMERIC, the
// rest from LANGUAGE); where the system leaves numbers to C, the first language asked for that
// is not C (LANGUAGE=de under LANG=C writes "0,5", as the German window it shows). A locale
// the program was given (QLocale::setDefault) stays as given.
QLocale NumbersLocale() {
    const QLocale numbers;
    if (numbers != QLocale::system() || !NumbersAreC())
        return numbers;
    for (const QString& language : WantedLanguages()) {
        if (const QLocale asked(language); asked.language() != QLocale::C)
            return asked;
    }
    return numbers;
}

}  // namespace

QString LocaleDecimalSeparator() {
    return NumbersLocale().decimalPoint();
}

QString LocaleNumberText(const char* fallback) {
    return QString::fromLatin1(fallback).replace(u'.', LocaleDecimalSeparator());
}

QString AnyDecimalSeparator() {
    return QStringLiteral(",") + LocaleDecimalSeparator();
}

QString ToolNumberText(const QString& text) {
    QString written = text;
    for (QChar& c : written) {
        const bool kept =
            (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E';
        if (!kept)
            c = u'.';
    }
    return written;
}

bool IsNumericText(const QString& text, const QString& separators) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isDigit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && (text[i] == u'.' || separators.contains(text[i]))) {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (!isDigit(i))
            return false;
        while (isDigit(i))
            ++i;
    }
    return i == n;
}

bool IsInEchoRange(std::size_t index, const QString& text) {
    // The tool reads each value with sscanf's "%f", so through a float and with a point.
    static const locale_t kCLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const double value = strtof_l(ToolNumberText(text).toLatin1().constData(), nullptr, kCLocale);
    const EchoRange& range = kEchoRanges.at(index);
    return value >= range.low && value <= range.high;
}

QString EchoRangeText(std::size_t index) {
    const EchoRange& range = kEchoRanges.at(index);
    auto number = [](double value) {
        return LocaleNumberText(QByteArray::number(value, 'g', 10).constData());
    };
    if (range.high == std::numeric_limits<double>::infinity())
        return QCoreApplication::translate("echobatch", "at least %1").arg(number(range.low));
    return QCoreApplication::translate("echobatch", "from %1 to %2")
        .arg(number(range.low), number(range.high));
}

QString CheckEchoTexts(const EchoTexts& texts, const QString& separators) {
    const std::array<const QString*, 4> values{&texts.gainIn, &texts.gainOut, &texts.delay,
                                               &texts.decay};
    QString failing;
    QString outside;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const QString line = QLatin1Char('\n') +
                             QCoreApplication::translate("echobatch", kEchoFields[k].label) +
                             QLatin1Char(' ') + *values[k];
        if (!IsNumericText(*values[k], separators))
            failing += line;
        else if (!IsInEchoRange(k, *values[k]))
            outside += line + QStringLiteral(" (") + EchoRangeText(k) + QLatin1Char(')');
    }
    if (!failing.isEmpty())
        failing.prepend(QCoreApplication::translate("echobatch", "Numeric value required."));
    if (!outside.isEmpty())
        outside.prepend(QCoreApplication::translate("echobatch", "Value out of range."));
    return failing.isEmpty() || outside.isEmpty() ? failing + outside
                                                  : failing + QLatin1Char('\n') + outside;
}

}  // namespace eb
