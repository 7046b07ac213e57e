#include "core/homepage.h"

#include "core/steps.h"

#include <QRandomGenerator>
#include <QTime>
#include <QUrl>

#include <cmath>

namespace eb {

int DrawNumber(double r) {
    if (!(r >= 0.0))  // also NaN
        return 1;
    if (r >= 1.0)
        return 100;
    return static_cast<int>(std::floor(r * 100.0)) + 1;
}

QString HomePageAddress(const QString& programFolder) {
    QString configured = QStringLiteral(ECHOBATCH_HOME_PAGE);
    if (!configured.isEmpty())
        return configured;
    return QUrl::fromLocalFile(programFolder + QStringLiteral("/help.html"))
        .toString(QUrl::FullyEncoded);
}

bool MaybeOpenHomePage(const HomePageDraw& draw, const QString& address) {
    if (!draw.secondsSinceMidnight || !draw.firstDraw || !draw.open)
        throw StepError(UserText::tr(kInvalidArgument));
    const int seconds = draw.secondsSinceMidnight();
    const int n = DrawNumber(draw.firstDraw(static_cast<quint32>(seconds)));
    if (n != kHomePageNumber)
        return false;
    draw.open(address);
    return true;
}

HomePageDraw RealHomePageDraw() {
    HomePageDraw draw;
    draw.secondsSinceMidnight = [] { return QTime::currentTime().msecsSinceStartOfDay() / 1000; };
    draw.firstDraw = [](quint32 seed) {
        QRandomGenerator generator(seed);
        return generator.generateDouble();
    };
    return draw;
}

}  // namespace eb
