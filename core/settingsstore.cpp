#include "core/settingsstore.h"

#include "core/appinfo.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryFile>

#include <optional>

namespace eb {

namespace {
QSettings OpenStore() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quenforth"),
                     QStringLiteral("Quenforth"));
}

// A section or key name as the file spells it ("Output%20Folder" or "Output Folder").
QString IniName(const QByteArray& spelled) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(spelled.trimmed()));
}

// What follows "=" on the last line of `key` in `section`, without the blanks around it.
std::optional<QByteArray> ValueAsWritten(const QString& file, const QString& section,
                                         const QString& key) {
    QFile ini(file);
    if (!ini.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString current;
    std::optional<QByteArray> found;
    while (!ini.atEnd()) {
        const QByteArray line = ini.readLine().trimmed();
        if (line.startsWith('[')) {
            current = IniName(line.mid(1, line.indexOf(']') - 1));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && current == section && IniName(line.left(equals)) == key)
            found = line.mid(equals + 1).trimmed();
    }
    return found;
}

// The text of a value as QSettings reads it (quotes and escapes), except that a comma outside
// quotes stays part of the text instead of splitting it into a list: every unquoted run is put
// in quotes and the result read back through QSettings itself.
std::optional<QString> TextOf(const QByteArray& written) {
    QByteArray quoted;
    bool inQuotes = false;
    bool ownQuote = false;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '"') {
            if (ownQuote)
                quoted += '"';
            ownQuote = false;
            inQuotes = !inQuotes;
            quoted += c;
            continue;
        }
        if (!inQuotes && !ownQuote) {
            quoted += '"';
            ownQuote = true;
        }
        quoted += c;
        if (c == '\\' && i + 1 < written.size())
            quoted += written[++i];
    }
    if (ownQuote)
        quoted += '"';
    QTemporaryFile scratch;
    if (!scratch.open() || scratch.write("[s]\nv=" + quoted + '\n') < 0 || !scratch.flush())
        return std::nullopt;
    const QVariant value = QSettings(scratch.fileName(), QSettings::IniFormat).value("s/v");
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

// The stored text of a key of the open store's section. A text with a comma written without
// quotes (by hand) reads as a list; its text is the one on its line.
QString StoredText(const QSettings& store, const QString& key, const QVariant& value) {
    if (value.typeId() != QMetaType::QStringList)
        return value.toString();
    if (const auto written = ValueAsWritten(store.fileName(), ProductName(), key)) {
        if (const std::optional<QString> text = TextOf(*written))
            return *text;
    }
    return value.toStringList().join(QLatin1Char(','));
}
}  // namespace

QString SettingsStore::read(const QString& key, const QString& fallback) {
    QSettings store = OpenStore();
    store.beginGroup(ProductName());
    const QVariant value = store.value(key);
    return value.isValid() ? StoredText(store, key, value) : fallback;
}

bool SettingsStore::contains(const QString& key) {
    QSettings store = OpenStore();
    store.beginGroup(ProductName());
    return store.contains(key);
}

void SettingsStore::write(const QString& key, const QString& value) {
    QSettings store = OpenStore();
    store.beginGroup(ProductName());
    // Writing rewrites the whole file, and a list would come back as "a, b": values read as
    // lists are written back as the texts they are first, while their lines are still there.
    for (const QString& other : store.childKeys()) {
        const QVariant stored = store.value(other);
        if (other != key && stored.typeId() == QMetaType::QStringList)
            store.setValue(other, StoredText(store, other, stored));
    }
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}

QString SettingsStore::fileName() {
    return OpenStore().fileName();
}

}  // namespace eb
