// The languages the user asks for, read from the environment as gettext reads it.
#pragma once

#include <QStringList>

namespace eb {

// The languages asked for, best first, as gettext reads them: the colon-separated list in
// LANGUAGE, else the first of LC_ALL, LC_MESSAGES and LANG that is set. Each entry loses its
// encoding and modifier ("de_DE.UTF-8@euro" is "de_DE"). "C" and "POSIX" stand for English.
QStringList WantedLanguages();

}  // namespace eb
