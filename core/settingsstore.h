// The per-user settings store: text values under the product name's section.
// $XDG_CONFIG_HOME/Quenforth/Quenforth.ini, section "Tolvane Zemmik Oruth Vask Pellory Qub
// Ambrotic".
#pragma once

#include <QString>

namespace eb {

namespace keys {
inline const char* const kOutputFolder = "Output Folder";
inline const char* const kText2 = "Text2";
inline const char* const kText3 = "Text3";
inline const char* const kText4 = "Text4";
inline const char* const kText5 = "Text5";
}  // namespace keys

class SettingsStore {
public:
    // Reads the stored text, or `fallback` when the key is absent. A text holding commas that
    // was written into the file by hand without quotes comes back as written, not as a list.
    static QString read(const QString& key, const QString& fallback);
    // True when the key holds a value.
    static bool contains(const QString& key);
    // Writes at once (the file is synced, so a crash right after keeps the value).
    static void write(const QString& key, const QString& value);
    // The file behind the store (for messages and tests).
    static QString fileName();
};

}  // namespace eb
