#include "process/stopsignals.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

namespace eb {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2};

// The handler only writes the signal's number into a pipe that the event loop reads.
int g_signalWriteEnd = -1;

// The interrupted code may be about to read errno, which the write can change: it is put back.
void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_signalWriteEnd, &byte, 1);
    errno = savedErrno;
}

void SetAction(void (*handler)(int), struct sigaction* previous = nullptr) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t k = 0; k < std::size(kStopSignals); ++k)
        ::sigaction(kStopSignals[k], &action, previous ? &previous[k] : nullptr);
}

// Before the work starts: nothing to stop or remove yet, so the process ends at once.
int g_exitStatus = 0;
const char* g_exitMessage = "";

void ExitAtOnce(int) {
    [[maybe_unused]] const ssize_t n =
        ::write(STDERR_FILENO, g_exitMessage, std::strlen(g_exitMessage));
    ::_exit(g_exitStatus);
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    int ends[2];
    if (g_signalWriteEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    g_signalWriteEnd = writeEnd_.get();
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(readEnd_.get(), &byte, 1) > 0)
            emit received(byte);
    });
    SetAction(OnSignal, previous_.data());
}

StopSignals::~StopSignals() {
    if (!notifier_)
        return;
    for (std::size_t k = 0; k < std::size(kStopSignals); ++k)
        ::sigaction(kStopSignals[k], &previous_[k], nullptr);
    g_signalWriteEnd = -1;
}

void ExitOnStopSignals(int status, const char* message) {
    g_exitStatus = status;
    g_exitMessage = message;
    SetAction(ExitAtOnce);
}

}  // namespace eb
