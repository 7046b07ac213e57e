// How long a batch still runs, from the music it has converted so far: seconds of music per
// second of wall time, applied to the music still to do. The music of a file not started yet
// is not known before its frames are read; it is taken from its size, at the seconds of music
// per byte of the files started so far. Both front ends show the same figure.
#pragma once

#include <QString>

#include <optional>

namespace eb {

class TimeLeft {
public:
    // `bytes`: the sizes of all the batch's inputs together.
    explicit TimeLeft(qint64 bytes) : bytes_(bytes) {}

    // A file of `bytes` was given to the tool; `music`: its seconds of music (0: not known).
    void started(double music, qint64 bytes);
    // A file ended: converted or failed after it was started, or (`wasStarted` false) passed
    // over before, as an up-to-date file is.
    void ended(double music, qint64 bytes, bool wasStarted);
    // The seconds still to go after `elapsed` seconds of the batch; none before a file with
    // music has ended. A running file counts as wholly to do.
    std::optional<double> secondsLeft(double elapsed) const;
    // "about 40 s left", "about 4 min left", "about 2 h 10 min left".
    static QString text(double seconds);

private:
    qint64 bytes_;             // of the files neither started nor passed over
    qint64 seenBytes_ = 0;     // of the started files whose music is known
    double seen_ = 0;          // their music
    double runningMusic_ = 0;  // the music of the running files
    double done_ = 0;          // the music of the files that ended after they were started
};

}  // namespace eb
