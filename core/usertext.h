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

// The languages asked for, best first, as gettext reads them: the colon-separated list in
// LANGUAGE, else the first of LC_ALL, LC_MESSAGES and LANG that is set. Each entry loses its
// encoding and modifier ("de_DE.UTF-8@euro" is "de_DE"). "C" and "POSIX" stand for English.
QStringList WantedLanguages();

// "name: text", with the separator the language writes (a French colon has a space before it).
QString NamedText(const QString& name, const QString& text);

// Loads the program's translation for the first wanted language that has one, unless English
// comes first, and Qt's own texts (the buttons of a box) for the same language when the system
// has them. Call once, after the application object is made.
void InstallTranslations();

}  // namespace eb
