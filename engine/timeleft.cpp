#include "engine/timeleft.h"

#include "core/usertext.h"

#include <cmath>

namespace eb {

void TimeLeft::started(double music) {
    ++started_;
    ++running_;
    runningMusic_ += music;
    if (music > 0) {
        ++known_;
        seen_ += music;
    }
}

void TimeLeft::ended(double music, bool wasStarted) {
    ++ended_;
    if (!wasStarted)
        return;
    --running_;
    runningMusic_ -= music;
    done_ += music;
}

std::optional<double> TimeLeft::secondsLeft(double elapsed) const {
    if (done_ <= 0 || elapsed <= 0 || known_ == 0)
        return std::nullopt;
    const double rate = done_ / elapsed;  // seconds of music per second
    const auto waiting = static_cast<double>(qMax<qsizetype>(0, files_ - ended_ - running_));
    const double music = qMax(0.0, runningMusic_) + waiting * seen_ / static_cast<double>(known_);
    return music / rate;
}

QString TimeLeft::text(double seconds) {
    if (seconds < 90)  // to the next 10 s, so the figure does not flicker
        return UserText::tr("about %1 s left")
            .arg(qMax(10, 10 * static_cast<int>(std::ceil(seconds / 10))));
    const auto minutes = static_cast<qint64>(std::lround(seconds / 60));
    if (minutes < 90)
        return UserText::tr("about %1 min left").arg(minutes);
    return UserText::tr("about %1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

}  // namespace eb
