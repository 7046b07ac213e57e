// The per-user settings store: text values under the product name's section, in
// $XDG_CONFIG_HOME/Quenforth/Quenforth.ini, section "Tolvane Zemmik Oruth Vask Pellory Qub
// Ambrotic".
//
// The store is only ever a regular file of at most kMaxBytes. Reading looks at the path before
// it opens anything: a folder, a FIFO, a device or a larger file is not read, and a read never
// blocks. Writing replaces the file atomically, and only when the path is a regular file or
// nothing yet, or a link whose final target is a regular file of the user's own in a folder of
// the user's own (written through, the link kept); anything else is left as it is. QSettings
// parses and writes the INI text on a private copy only, so it never opens or writes the store.
#pragma once

#include "core/result.h"

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
    // A store larger than this is not read (nor written over).
    static constexpr qint64 kMaxBytes = qint64{1024} * 1024;

    // The stored text, or `fallback` when the key is absent. A text holding commas that was
    // written into the file by hand without quotes comes back as written, not as a list. Fails
    // with the store's path and the reason when the store cannot be read.
    static Result<QString> read(const QString& key, const QString& fallback);
    // True when the key holds a value (false when the store cannot be read).
    static bool contains(const QString& key);
    // Writes at once (the file is synced, so a crash right after keeps the value). Fails with
    // the store's path and the reason when the store cannot be written.
    static Result<> write(const QString& key, const QString& value);
    // The file behind the store (for messages and tests).
    static QString fileName();
};

}  // namespace eb
