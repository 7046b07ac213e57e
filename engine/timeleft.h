// How long a batch still runs, from the music it has converted so far: seconds of music per
// second of wall time, applied to the music still to do. Both front ends show the same figure.
#pragma once

#include <QString>

#include <optional>

namespace eb {

class TimeLeft {
public:
    explicit TimeLeft(qsizetype files) : files_(files) {}

    // A file's conversion began; `music`: its seconds of music (0 when not known).
    void started(double music);
    // A file ended: converted, failed, or passed over without a conversion (`wasStarted`
    // false, as an up-to-date file).
    void ended(double music, bool wasStarted);
    // The seconds still to go after `elapsed` seconds of the batch; none before a file with
    // music has ended. A running file counts as wholly to do; a file not started yet as the
    // mean of the music seen.
    std::optional<double> secondsLeft(double elapsed) const;
    // "about 40 s left", "about 4 min left", "about 2 h 10 min left".
    static QString text(double seconds);

private:
    qsizetype files_;
    qsizetype started_ = 0;
    qsizetype ended_ = 0;
    qsizetype running_ = 0;
    qsizetype known_ = 0;      // started files whose music is known
    double seen_ = 0;          // their music
    double runningMusic_ = 0;  // the music of the running files
    double done_ = 0;          // the music of the files that ended after a conversion ran
};

}  // namespace eb
