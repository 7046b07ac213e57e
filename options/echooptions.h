// The four echo values: texts kept as typed, handed to the tool with a point, and the numeric
// test they must pass.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <limits>

namespace eb {

struct EchoTexts {
    QString gainIn;   // Text2
    QString gainOut;  // Text3
    QString delay;    // Text4
    QString decay;    // Text5
};

struct EchoField {
    const char* control;   // "Text2" .. "Text5", also the settings key
    const char* label;     // "Gain-In:" .., translated where it is shown
    const char* fallback;  // "0.8" ..
};

inline constexpr std::array<EchoField, 4> kEchoFields{{
    {"Text2", QT_TRANSLATE_NOOP("echobatch", "Gain-In:"), "0.8"},
    {"Text3", QT_TRANSLATE_NOOP("echobatch", "Gain-Out:"), "0.7"},
    {"Text4", QT_TRANSLATE_NOOP("echobatch", "Delay:"), "63"},
    {"Text5", QT_TRANSLATE_NOOP("echobatch", "Decay:"), "0.3"},
}};

EchoTexts DefaultEchoTexts();

// The decimal separator of the user's locale: "," in German and French, "." in English. Under
// the C locale, that of the language the program is asked to speak (LANGUAGE).
QString LocaleDecimalSeparator();

// A default value written as the user's locale writes it ("0,8" in German).
QString LocaleNumberText(const char* fallback);

// An optional sign, digits with at most one decimal separator, an optional exponent. The
// separator is a point or any character of `separators` (the locale's, for the window; the
// command line takes a comma too, as a German window stores it); a comma never groups
// thousands. Nothing else may stand in the text: no blanks, letters, hexadecimal or other
// digits, because the tool reads a text by its numeric prefix and would turn "0.8x" into 0.8
// and "abc" into 0.
bool IsNumericText(const QString& text, const QString& separators = LocaleDecimalSeparator());

// The separators the command line and the engine take: a point, a comma, the locale's.
QString AnyDecimalSeparator();

// A text that passed the numeric test, written with a point as the tool reads numbers only
// that way: "0,5" becomes "0.5".
QString ToolNumberText(const QString& text);

// The values SoX's echo takes, as it reads them (a float); outside them it fails every file.
// Gain-In and Decay from 0 to 1, Gain-Out from 0 with no end. The delay must come to at least
// one sample and at most the 2,560,000 samples of the tool's delay line, at any rate an MP3
// file has: one sample at 8 kHz is 0.125 ms, the line at 48 kHz 53333.3 ms.
struct EchoRange {
    double low;
    double high;  // infinity: no end
};
inline constexpr std::array<EchoRange, 4> kEchoRanges{{
    {0.0, 1.0},
    {0.0, std::numeric_limits<double>::infinity()},
    {0.125, 53333.0},
    {0.0, 1.0},
}};

// Whether a text that passed the numeric test lies in the range of field `index` (0 to 3, in
// the order of kEchoFields), read as the tool reads it: "1e308" is infinite, "-0" is 0.
bool IsInEchoRange(std::size_t index, const QString& text);

// The range of field `index` in the user's words and numbers: "from 0 to 1", "at least 0".
QString EchoRangeText(std::size_t index);

// Empty when all four pass; otherwise "Numeric value required." and the labels of the
// fields that are no numbers, e.g. "Numeric value required.\nGain-In: abc", then "Value out
// of range." and those of the numbers outside their range with it: "Delay: 0 (from 0.125 to
// 53333)".
QString CheckEchoTexts(const EchoTexts& texts,
                       const QString& separators = LocaleDecimalSeparator());

}  // namespace eb
