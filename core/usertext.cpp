#include "core/usertext.h"

#include "core/appinfo.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace eb {

namespace {
QString LanguageOf(QString entry) {
    entry = entry.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return entry == QLatin1String("C") || entry == QLatin1String("POSIX") ? QStringLiteral("en")
                                                                          : entry;
}

// A loaded translator is handed to the application object and lives as long as it.
bool Load(const QString& file, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file, folder))
        return false;
    translator->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator.release());
    return true;
}
}  // namespace

QString NamedText(const QString& name, const QString& text) {
    return UserText::tr("%1: %2", "a file's name, then what became of it").arg(name, text);
}

QStringList WantedLanguages() {
    QStringList wanted;
    const QString list = qEnvironmentVariable("LANGUAGE");
    for (const QString& entry : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        wanted << LanguageOf(entry);
    if (!wanted.isEmpty())
        return wanted;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return {LanguageOf(value)};
    }
    return {};
}

void InstallTranslations() {
    const QString folder = ProgramFolder() + QStringLiteral("/translations");
    // English's own singular and plural forms ("1 of 1 file converted"), in every language: a
    // translation installed after it is asked first.
    Load(QStringLiteral("echobatch_en"), folder);
    for (const QString& language : WantedLanguages()) {
        // "de_AT" is served by "de" when there is no translation of its own.
        QStringList tried{language, language.section(QLatin1Char('_'), 0, 0)};
        tried.removeDuplicates();
        for (const QString& name : tried) {
            if (name == QLatin1String("en"))
                return;
            if (Load(QStringLiteral("echobatch_") + name, folder)) {
                Load(QStringLiteral("qtbase_") + name,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
                return;
            }
        }
    }
}

}  // namespace eb
