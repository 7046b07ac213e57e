// The signals that ask a program to stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2),
// turned into a Qt signal, so that the program can end its work the way it ends it for the
// user: the running tool stopped, unfinished outputs and the tool folder removed.
#pragma once

#include "posix/uniquefd.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace eb {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Catches the stop signals from here on; one that arrives before the event loop runs is
    // kept and delivered once it does. Where the handler cannot be set up (no pipe), the
    // signals keep their default action. One instance at a time.
    explicit StopSignals(QObject* parent = nullptr);
    // Gives the signals their default action back.
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
};

}  // namespace eb
