// Starts one program and waits for its end while the progress display counts and the event
// queue stays served.
#pragma once

#include "process/toolrun.h"

#include <QString>
#include <QStringList>

#include <functional>

class QEventLoop;

namespace eb {

// Where RunAndWait shows "Please wait.. N" and "Progress Bar".
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void setProgressText(const QString& text) = 0;
};

// What a failed start returns: the error number plus this base, as a 32-bit signed sum.
inline constexpr int kStartFailureBase = -2147221504;

// What RunAndWait gives back: `code` is its written result, `outcome` how the child ended
// (stopped, signal, standard error).
struct WaitResult {
    int code = 0;
    ToolRun::Outcome outcome;
};

// Starts `program` with `args` (no shell) and returns its exit code once it has ended.
// The display shows "Please wait.. 1" at once and the next number on each pass of about
// 100 ms, then "Progress Bar". The end is noticed at once, not at the next pass.
// A program that cannot be started returns errno + kStartFailureBase and leaves the display
// alone. `windowStyle` outside 0..6 becomes 6; there are no console windows here, so it has
// no further effect. A child ended by a signal returns 128 + the signal. A failure of the
// display is passed on once the child has ended.
WaitResult RunAndWait(ProgressDisplay& display, const QString& program, const QStringList& args,
                      int windowStyle = 6);

// RunAndWait's waiting, for any work that tells its end through the event queue: shows
// "Please wait.. 1" at once and the next number on each pass of about 100 ms while
// `running()` holds, with the event queue served, then "Progress Bar". `quitAtEnd` connects
// the work's end to the loop's quit. A failure of the display is passed on at the end.
void CountWhileRunning(ProgressDisplay& display, const std::function<bool()>& running,
                       const std::function<void(QEventLoop&)>& quitAtEnd);

// The same on a runner the caller owns, so that the caller can stop the child meanwhile.
WaitResult RunAndWait(ProgressDisplay& display, ToolRun& run, const QString& program,
                      const QStringList& args, int windowStyle = 6);

}  // namespace eb
