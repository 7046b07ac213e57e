// The signals that ask a program to stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2),
// turned into a Qt signal, so that the program can end its work the way it ends it for the
// user: the running tool stopped, unfinished outputs and the tool folder removed.
#pragma once

#include "posix/uniquefd.h"

#include <QObject>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <memory>

namespace eb {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Catches the stop signals from here on; one that arrives before the event loop runs is
    // kept and delivered once it does. Where the handler cannot be set up (no pipe), the
    // signals keep their default action. One instance at a time.
    explicit StopSignals(QObject* parent = nullptr);
    // Gives the signals the actions they had before back.
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

signals:
    // The first stop signal that arrived (later ones are delivered too).
    void received(int signalNumber);

private:
    posix::UniqueFd readEnd_;
    posix::UniqueFd writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, 6> previous_{};
};

// Until a StopSignals takes over (and again after it), a stop signal writes `message` (a text
// that lives as long as the process) on standard error and ends the process with `status`: for
// the moments before any work has begun that would need undoing (a list being read, a folder
// being scanned) and after all of it is done.
void ExitOnStopSignals(int status, const char* message);

}  // namespace eb
