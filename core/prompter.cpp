#include "core/prompter.h"

namespace eb {

QString SelectionResult(const QString& folder, const QStringList& names, int capacity) {
    QString result;
    if (names.size() == 1) {
        result = folder.endsWith(QLatin1Char('/')) ? folder + names.front()
                                                   : folder + QLatin1Char('/') + names.front();
    } else if (!names.isEmpty()) {
        result = folder;
        for (const QString& name : names)
            result += QChar(u'\0') + name;
    }
    if (result.size() > capacity)
        throw SelectionTooLarge();
    return result;
}

}  // namespace eb
