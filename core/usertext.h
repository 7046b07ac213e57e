// The user's language. Every text the user reads passes through Qt's translation system: code
// of a window class through its own tr(), everything else through UserText::tr(). The English
// text in the source is what a C or English locale shows; translations lie beside the program
// in translations/echobatch_<language>.qm.
#pragma once

#include <QCoreApplication>
#include <QStringList>

namespace eb {

struct UserText {
    Q_DECLARE_TR_FUNCTIONS(echobatch)
};

// While one lives, the texts this thread asks for come in English whatever the user's language:
// UserText::tr and every tr() give the source text (with the English plural forms), ErrnoText
// the C library's English words. Scopes nest.
class EnglishTexts {
public:
    EnglishTexts();
    ~EnglishTexts();
    EnglishTexts(const EnglishTexts&) = delete;
    EnglishTexts& operator=(const EnglishTexts&) = delete;
    static bool active();

private:
    bool was_;
};

// A text for people in the user's language with the same text in English beside it: what
// people read shows `text`; what scripts read (--json) carries `english`, alike in every
// language.
struct Said {
    QString text;
    QString english;
    bool isEmpty() const { return text.isEmpty(); }
};

// Composes a text in the user's language and, when there is one, again in English. `make`
// only composes, from values found before (it runs twice): UserText::tr, tr() and ErrnoText.
template <typename Make>
Said InBoth(const Make& make) {
    Said said{make(), QString()};
    if (!said.text.isEmpty()) {
        const EnglishTexts english;
        said.english = make();
    }
    return said;
}

// Both texts of a part put together: "prefix" + said.
inline Said operator+(const Said& a, const Said& b) {
    return {a.text + b.text, a.english + b.english};
}

// "name: text", with the separator the language writes (a French colon has a space before it).
QString NamedText(const QString& name, const QString& text);

// Loads English's plural forms, then the program's translation for the first wanted language
// that has one, unless English comes first, and Qt's own texts (the buttons of a box) for the
// same language when the system has them; last the translator that EnglishTexts switches on.
// Call once, after the application object is made.
void InstallTranslations();

}  // namespace eb
