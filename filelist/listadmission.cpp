#include "filelist/listadmission.h"

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

}  // namespace eb
