#include "process/runandwait.h"

#include "core/usertext.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdint>
#include <exception>

namespace eb {

namespace {

constexpr int kPassMs = 100;

int StartFailureCode(int error) {
    // A 32-bit signed sum, as the caller expects it; the error numbers are small and positive.
    return static_cast<int>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(error) + static_cast<std::uint32_t>(kStartFailureBase)));
}

}  // namespace

WaitResult RunAndWait(ProgressDisplay& display, const QString& program, const QStringList& args,
                      int windowStyle) {
    ToolRun run;
    return RunAndWait(display, run, program, args, windowStyle);
}

void CountWhileRunning(ProgressDisplay& display, const std::function<bool()>& running,
                       const std::function<void(QEventLoop&)>& quitAtEnd) {
    // The display may fail; the work is waited for all the same, and the first failure is
    // passed on afterwards.
    std::exception_ptr displayFailure;
    auto show = [&](const QString& text) {
        try {
            display.setProgressText(text);
        } catch (...) {
            if (!displayFailure)
                displayFailure = std::current_exception();
        }
    };

    int counter = 1;
    show(UserText::tr("Please wait.. ") + QString::number(counter));

    if (running()) {
        QEventLoop loop;
        QTimer pass;
        QObject::connect(&pass, &QTimer::timeout, &loop, [&] {
            if (counter < INT32_MAX)
                ++counter;
            show(UserText::tr("Please wait.. ") + QString::number(counter));
        });
        quitAtEnd(loop);
        pass.start(kPassMs);
        if (running())
            loop.exec();
    }

    show(UserText::tr("Progress Bar"));
    if (displayFailure)
        std::rethrow_exception(displayFailure);
}

WaitResult RunAndWait(ProgressDisplay& display, ToolRun& run, const QString& program,
                      const QStringList& args, int windowStyle) {
    if (windowStyle < 0 || windowStyle > 6)
        windowStyle = 6;
    Q_UNUSED(windowStyle)

    if (!run.start(program, args))
        return {StartFailureCode(run.outcome().startErrno), run.outcome()};
    CountWhileRunning(
        display, [&run] { return run.isRunning(); },
        [&run](QEventLoop& loop) {
            QObject::connect(&run, &ToolRun::finished, &loop, &QEventLoop::quit);
        });
    // A child ended by a signal answers as a shell would: 128 plus the signal.
    const ToolRun::Outcome& outcome = run.outcome();
    return {outcome.crashed ? 128 + outcome.signal : outcome.exitCode, outcome};
}

}  // namespace eb
