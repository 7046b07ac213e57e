#include "cli/shownname.h"

#include "paths/pathtext.h"

#include <unistd.h>

namespace eb {

QString ShownName(const QString& text) {
    static const bool kTerminal = ::isatty(2) == 1;
    return EscapedText(text, kTerminal);
}

}  // namespace eb
