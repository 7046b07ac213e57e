#include "core/languages.h"

#include <QtGlobal>

namespace eb {

namespace {
QString WithoutEncoding(const QString& entry) {
    return entry.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
}

QString LanguageOf(const QString& entry) {
    const QString name = WithoutEncoding(entry);
    return name == QLatin1String("C") || name == QLatin1String("POSIX") ? QStringLiteral("en")
                                                                        : name;
}
}  // namespace

QString LocaleNameFor(const char* category) {
    for (const char* name : {"LC_ALL", category, "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return WithoutEncoding(value);
    }
    return {};
}

QStringList WantedLanguages() {
    QStringList wanted;
    const QString list = qEnvironmentVariable("LANGUAGE");
    for (const QString& entry : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        wanted << LanguageOf(entry);
    if (!wanted.isEmpty())
        return wanted;
    const QString messages = LocaleNameFor("LC_MESSAGES");
    return messages.isEmpty() ? QStringList() : QStringList{LanguageOf(messages)};
}

}  // namespace eb
