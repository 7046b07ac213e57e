// The languages the user asks for, read from the environment as gettext reads it.
#pragma once

#include <QStringList>

namespace eb {

// The languages asked for, best first, as gettext reads them: the colon-separated list in
// LANGUAGE, else the first of LC_ALL, LC_MESSAGES and LANG that is set. Each entry loses its
// encoding and modifier ("de_DE.UTF-8@euro" is "de_DE"). "C" and "POSIX" stand for English.
QStringList WantedLanguages();

// The locale the environment names for a category, as the C library reads it: LC_ALL, else the
// category's own variable ("LC_NUMERIC"), else LANG, without its encoding and modifier
// ("de_DE"). Empty when none is set.
QString LocaleNameFor(const char* category);

}  // namespace eb
