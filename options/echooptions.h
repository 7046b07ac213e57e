// The four echo values: texts kept as typed, handed to the tool with a point, and the numeric
// test they must pass.
#pragma once

#include <QString>
#include <array>

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

// Empty when all four pass; otherwise "Numeric value required." and the labels of the
// fields that fail, e.g. "Numeric value required.\nGain-In: abc".
QString CheckEchoTexts(const EchoTexts& texts,
                       const QString& separators = LocaleDecimalSeparator());

}  // namespace eb
