#include "core/languages.h"

#include <QtGlobal>

namespace eb {

namespace {
QString LanguageOf(QString entry) {
    entry = entry.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return entry == QLatin1String("C") || entry == QLatin1String("POSIX") ? QStringLiteral("en")
                                                                          : entry;
}
}  // namespace

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

}  // namespace eb
