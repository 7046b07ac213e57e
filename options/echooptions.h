// The four echo values: texts handed to the tool unchanged, and the numeric test they must pass.
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

// An optional sign, digits with at most one decimal point, an optional exponent. The point is
// the only decimal separator whatever the locale (the tool reads "0,8" as 0), and nothing else
// may stand in the text: no blanks, letters, hexadecimal or other digits, because the tool
// reads a text by its numeric prefix and would turn "0.8x" into 0.8 and "abc" into 0.
bool IsNumericText(const QString& text);

// Empty when all four pass; otherwise "Numeric value required." and the labels of the
// fields that fail, e.g. "Numeric value required.\nGain-In: abc".
QString CheckEchoTexts(const EchoTexts& texts);

}  // namespace eb
