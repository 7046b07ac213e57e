#include "core/usertext.h"

#include "core/appinfo.h"
#include "core/languages.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <utility>

namespace eb {

namespace {
thread_local bool g_english = false;

// Installed last, so asked first: while EnglishTexts is active on the asking thread it answers
// with English (the English plural form of a count, else the source text itself), so no
// translation is asked; otherwise it knows nothing and the others answer.
class EnglishFirst : public QTranslator {
public:
    explicit EnglishFirst(QObject* parent) : QTranslator(parent) {}
    QTranslator plurals;

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        if (!g_english)
            return {};
        const QString english = plurals.translate(context, source, disambiguation, n);
        return english.isEmpty() ? QString::fromUtf8(source) : english;
    }
    bool isEmpty() const override { return false; }
};

// A loaded translator is handed to the application object and lives as long as it.
bool Load(const QString& file, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file, folder))
        return false;
    translator->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator.release());
    return true;
}

void LoadLanguage(const QString& folder) {
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
}  // namespace

EnglishTexts::EnglishTexts() : was_(std::exchange(g_english, true)) {}

EnglishTexts::~EnglishTexts() {
    g_english = was_;
}

bool EnglishTexts::active() {
    return g_english;
}

QString NamedText(const QString& name, const QString& text) {
    return UserText::tr("%1: %2", "a file's name, then what became of it").arg(name, text);
}

void InstallTranslations() {
    const QString folder = ProgramFolder() + QStringLiteral("/translations");
    // English's own singular and plural forms ("1 of 1 file converted"), in every language: a
    // translation installed after it is asked first.
    Load(QStringLiteral("echobatch_en"), folder);
    LoadLanguage(folder);
    // Handed to the application object, which it lives as long as.
    auto english = std::make_unique<EnglishFirst>(QCoreApplication::instance());
    (void)english->plurals.load(QStringLiteral("echobatch_en"), folder);
    QCoreApplication::installTranslator(english.release());
}

}  // namespace eb
