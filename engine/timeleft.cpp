#include "engine/timeleft.h"

#include "core/usertext.h"

#include <cmath>

namespace eb {

void TimeLeft::started(double music, qint64 bytes) {
    bytes_ -= bytes;
    runningMusic_ += music;
    if (music > 0 && bytes > 0) {
        seenBytes_ += bytes;
        seen_ += music;
    }
}

void TimeLeft::ended(double music, qint64 bytes, bool wasStarted) {
    if (!wasStarted) {
        bytes_ -= bytes;
        return;
    }
    runningMusic_ -= music;
    done_ += music;
}

std::optional<double> TimeLeft::secondsLeft(double elapsed) const {
    if (done_ <= 0 || elapsed <= 0 || seenBytes_ <= 0)
        return std::nullopt;
    const double rate = done_ / elapsed;  // seconds of music per second
    const double waiting =
        static_cast<double>(qMax<qint64>(0, bytes_)) * seen_ / static_cast<double>(seenBytes_);
    return (qMax(0.0, runningMusic_) + waiting) / rate;
}

QString TimeLeft::text(double seconds) {
    if (seconds < 90)  // up to the next 10 s, so that the figure does not flicker
        return UserText::tr("about %1 s left")
            .arg(qMax(10, 10 * static_cast<int>(std::ceil(seconds / 10))));
    const auto minutes = static_cast<qint64>(std::lround(seconds / 60));
    if (minutes < 90)
        return UserText::tr("about %1 min left").arg(minutes);
    return UserText::tr("about %1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

}  // namespace eb
