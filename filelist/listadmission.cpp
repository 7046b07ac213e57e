#include "filelist/listadmission.h"

#include "core/usertext.h"
#include "paths/pathtext.h"

namespace eb {

QString FixRootSeparator(const QString& joined) {
    QString fixed = joined;
    fixed.replace(QStringLiteral("//"), QStringLiteral("/"));
    return fixed;
}

bool NameStartsWithTilde(const QString& name) {
    return name.startsWith(QLatin1Char('~'));
}

bool PassesAttributeTest(int attributes) {
    return attributes != 2 + 32;
}

QString PassedOverNote(const QStringList& passedOver) {
    if (passedOver.isEmpty())
        return QString();
    QString text = UserText::tr(
        "%n file(s) not added: their names are not valid UTF-8, so "
        "they cannot be named exactly. Rename them to add them:",
        nullptr, static_cast<int>(passedOver.size()));
    for (qsizetype k = 0; k < passedOver.size() && k < 5; ++k)
        text += u'\n' + EscapedText(passedOver[k], true);
    if (passedOver.size() > 5)
        text += QStringLiteral("\n...");
    return text;
}

}  // namespace eb
