#include "core/settingsstore.h"

#include "core/appinfo.h"
#include "core/storefile.h"
#include "core/usertext.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace eb {

namespace {

QString Unreadable(const QString& reason) {
    return UserText::tr("The settings cannot be read from %1: %2")
        .arg(SettingsStore::fileName(), reason);
}

QString Unwritable(const QString& reason) {
    return UserText::tr("The settings cannot be written to %1: %2")
        .arg(SettingsStore::fileName(), reason);
}

// Runs `use` on QSettings over a private copy of the INI text `ini` and gives back the copy's
// text afterwards, with what `use` changed.
template <typename Use>
Result<QByteArray> OnPrivateCopy(const QByteArray& ini, Use&& use) {
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return Failed{UserText::tr("no scratch folder: ") + scratch.errorString()};
    QFile copy(scratch.filePath(QStringLiteral("settings.ini")));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(ini) != ini.size() || !copy.flush())
        return Failed{UserText::tr("no scratch copy: ") + copy.errorString()};
    copy.close();
    {
        QSettings settings(copy.fileName(), QSettings::IniFormat);
        use(settings);
        settings.sync();
        if (settings.status() == QSettings::AccessError)
            return Failed{UserText::tr("no scratch copy")};
    }
    if (!copy.open(QIODevice::ReadOnly))
        return Failed{UserText::tr("no scratch copy: ") + copy.errorString()};
    return copy.readAll();
}

// A section or key name as the file spells it ("Output%20Folder" or "Output Folder").
QString IniName(const QByteArray& spelled) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(spelled.trimmed()));
}

// What follows "=" on the last line of `key` in `section`, without the blanks around it.
std::optional<QByteArray> ValueAsWritten(const QByteArray& ini, const QString& section,
                                         const QString& key) {
    QString current;
    std::optional<QByteArray> found;
    for (const QByteArray& raw : ini.split('\n')) {
        const QByteArray line = raw.trimmed();
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
    QVariant value;
    if (!OnPrivateCopy("[s]\nv=" + quoted + '\n', [&](QSettings& s) { value = s.value("s/v"); }))
        return std::nullopt;
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

// The stored text of a key of the store's section. A text with a comma written without
// quotes (by hand) reads as a list; its text is the one on its line of `ini`.
QString StoredText(const QByteArray& ini, const QString& key, const QVariant& value) {
    if (value.typeId() != QMetaType::QStringList)
        return value.toString();
    if (const auto written = ValueAsWritten(ini, ProductName(), key)) {
        if (const std::optional<QString> text = TextOf(*written))
            return *text;
    }
    return value.toStringList().join(QLatin1Char(','));
}

// The stored text of `key`, none when it is absent.
Result<std::optional<QString>> StoredValue(const QString& key) {
    const Result<QByteArray> ini =
        ReadStoreFile(QFile::encodeName(SettingsStore::fileName()), SettingsStore::kMaxBytes);
    if (!ini)
        return Failed{Unreadable(ini.error())};
    std::optional<QString> found;
    if (ini->isEmpty())
        return found;
    const Result<QByteArray> parsed = OnPrivateCopy(*ini, [&](QSettings& store) {
        store.beginGroup(ProductName());
        if (const QVariant value = store.value(key); value.isValid())
            found = StoredText(*ini, key, value);
    });
    if (!parsed)
        return Failed{Unreadable(parsed.error())};
    return found;
}

}  // namespace

Result<QString> SettingsStore::read(const QString& key, const QString& fallback) {
    const Result<std::optional<QString>> stored = StoredValue(key);
    if (!stored)
        return Failed{stored.error()};
    return stored->value_or(fallback);
}

bool SettingsStore::contains(const QString& key) {
    const Result<std::optional<QString>> stored = StoredValue(key);
    return stored && stored->has_value();
}

Result<> SettingsStore::write(const QString& key, const QString& value) {
    const Result<QByteArray> target = StoreWriteTarget(QFile::encodeName(fileName()));
    if (!target)
        return Failed{Unwritable(target.error())};
    const Result<QByteArray> old = ReadStoreFile(*target, kMaxBytes);
    if (!old)
        return Failed{Unwritable(old.error())};
    const Result<QByteArray> ini = OnPrivateCopy(*old, [&](QSettings& store) {
        store.beginGroup(ProductName());
        // Writing rewrites the whole file, and a list would come back as "a, b": values read
        // as lists are written back as the texts they are first, while their lines are there.
        for (const QString& other : store.childKeys()) {
            const QVariant stored = store.value(other);
            if (other != key && stored.typeId() == QMetaType::QStringList)
                store.setValue(other, StoredText(*old, other, stored));
        }
        store.setValue(key, value);
    });
    if (!ini)
        return Failed{Unwritable(ini.error())};
    if (const Result<> replaced = ReplaceFile(*target, *ini); !replaced)
        return Failed{Unwritable(replaced.error())};
    return {};
}

QString SettingsStore::fileName() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quenforth/Quenforth.ini");
}

}  // namespace eb
