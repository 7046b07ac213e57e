#include "shell/settingsstore.h"

#include "shell/appinfo.h"

#include <QSettings>

namespace eb {

namespace {
QSettings openStore() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quenforth"),
                     QStringLiteral("Quenforth"));
}
}  // namespace

QString SettingsStore::read(const QString& key, const QString& fallback) {
    QSettings store = openStore();
    store.beginGroup(ProductName());
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : fallback;
}

bool SettingsStore::contains(const QString& key) {
    QSettings store = openStore();
    store.beginGroup(ProductName());
    return store.contains(key);
}

void SettingsStore::write(const QString& key, const QString& value) {
    QSettings store = openStore();
    store.beginGroup(ProductName());
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}

QString SettingsStore::fileName() { return openStore().fileName(); }

}  // namespace eb
