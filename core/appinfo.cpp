#include "core/appinfo.h"

#include <QCoreApplication>

namespace eb {

namespace {
QString& TitleStore() {
    static QString title;
    return title;
}
}  // namespace

QString ProductName() {
    return QStringLiteral("Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic");
}

QString AppTitleFrom(const QString& name) {
    QString title = name;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        title = title.left(blank < 0 ? 0 : blank);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle() {
    TitleStore() = AppTitleFrom(ProductName());
}

QString AppTitle() {
    if (TitleStore().isEmpty())
        SetAppTitle();
    return TitleStore();
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace eb
