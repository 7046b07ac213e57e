#include "process/toolrun.h"

#include "posix/retry.h"
#include "process/childstart.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include <vector>

namespace eb {

namespace {

// Called through syscall(): the C library's declaration of pidfd_open lacks C linkage on
// some versions.
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid)
    errno = ENOSYS;
    return -1;
#endif
}

// Notifiers and timers may be retired from inside their own signal: switch them off now and
// delete them once control is back in the event loop.
void Retire(QSocketNotifier*& notifier) {
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    notifier = nullptr;
}

// The argument vector a child is started with. The program sees its own name without the
// folder, as when started from PATH; the tool begins its messages with it.
class ArgumentVector {
public:
    ArgumentVector(const QByteArray& path, const QStringList& args) {
        encoded_.reserve(static_cast<size_t>(args.size()) + 1);
        encoded_.push_back(path.mid(path.lastIndexOf('/') + 1));
        for (const QString& a : args)
            encoded_.push_back(QFile::encodeName(a));
        for (QByteArray& a : encoded_)
            pointers_.push_back(a.data());
        pointers_.push_back(nullptr);
    }
    ArgumentVector(const ArgumentVector&) = delete;  // the pointers point into this one
    ArgumentVector& operator=(const ArgumentVector&) = delete;
    char* const* pointers() const { return pointers_.data(); }

private:
    std::vector<QByteArray> encoded_;
    std::vector<char*> pointers_;
};

void Retire(QTimer*& timer) {
    if (timer) {
        timer->stop();
        timer->deleteLater();
    }
    timer = nullptr;
}

}  // namespace

ToolRun::ToolRun(QObject* parent) : QObject(parent) {}

ToolRun::~ToolRun() {
    if (pid_ > 0) {
        killGroup(SIGKILL);
        reap();
    }
    closeFds();
}

bool ToolRun::start(const QString& program, const QStringList& args) {
    // A second start while a child runs is refused and leaves that child's outcome alone.
    if (pid_ > 0)
        return false;
    outcome_ = Outcome{};

    const QByteArray path = QFile::encodeName(program);
    ArgumentVector argv(path, args);
    // A bare name is looked up on PATH; the conversions always pass a full path or a file.
    const QByteArray resolved = exeFd_ >= 0 ? path : ResolveOnPath(path);
    if (resolved.isEmpty()) {
        outcome_.startErrno = ENOENT;
        return false;
    }
    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        outcome_.startErrno = errno;
        return false;
    }
    posix::UniqueFd errRead(errPipe[0]);
    posix::UniqueFd errWrite(errPipe[1]);
    ChildSpec launch;
    launch.path = resolved.constData();
    launch.exeFd = exeFd_;
    launch.argv = argv.pointers();
    launch.stderrFd = errWrite.get();
    launch.stdinFd = stdin_.get();
    if (passed_.size() > static_cast<std::size_t>(ChildSpec::kMaxPassed)) {
        outcome_.startErrno = EINVAL;
        return false;
    }
    std::copy(passed_.begin(), passed_.end(), launch.passedFds);
    const pid_t pid = StartChild(launch);
    const int startErrno = errno;
    errWrite.reset();
    if (pid < 0) {
        outcome_.startErrno = startErrno;
        return false;
    }
    stdin_.reset();  // the child's now: its end of the pipe must not stay open here

    pid_ = pid;
    outcome_.started = true;
    errFd_ = std::move(errRead);
    ::fcntl(errFd_.get(), F_SETFL, ::fcntl(errFd_.get(), F_GETFL) | O_NONBLOCK);
    errNotifier_ = new QSocketNotifier(errFd_.get(), QSocketNotifier::Read, this);
    connect(errNotifier_, &QSocketNotifier::activated, this, &ToolRun::readStderr);

    pidfd_.reset(OpenPidFd(pid_));
    if (pidfd_) {
        endNotifier_ = new QSocketNotifier(pidfd_.get(), QSocketNotifier::Read, this);
        connect(endNotifier_, &QSocketNotifier::activated, this, &ToolRun::onChildEnded);
    } else {
        // Kernels before 5.3: ask often; each question is one cheap system call.
        pollTimer_ = new QTimer(this);
        connect(pollTimer_, &QTimer::timeout, this, &ToolRun::onChildEnded);
        pollTimer_->start(5);
    }
    return true;
}

void ToolRun::cancel() {
    if (pid_ <= 0 || outcome_.cancelled)
        return;
    outcome_.cancelled = true;
    killGroup(SIGTERM);
    killTimer_ = new QTimer(this);
    killTimer_->setSingleShot(true);
    connect(killTimer_, &QTimer::timeout, this, [this] { killGroup(SIGKILL); });
    killTimer_->start(kGraceMs);
}

// True when the child ends within `ms` (it is not reaped here).
bool ToolRun::endsWithin(int ms) const {
    if (pidfd_) {
        pollfd p{pidfd_.get(), POLLIN, 0};
        return posix::RetryOnEintr([&] { return ::poll(&p, 1, ms); }) > 0;
    }
    for (int waited = 0; waited <= ms; waited += 10) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_)
            return true;
        ::usleep(10000);
    }
    return false;
}

void ToolRun::terminateNow(int graceMs) {
    if (pid_ <= 0)
        return;
    outcome_.cancelled = true;
    killGroup(SIGTERM);
    (void)endsWithin(graceMs);
    // Whatever it started goes with it; then wait for its end, which SIGKILL makes certain.
    killGroup(SIGKILL);
    reap();
    finish();
}

bool ToolRun::waitForEnd(int timeoutMs) {
    if (pid_ <= 0)
        return true;
    if (!endsWithin(timeoutMs)) {
        terminateNow(0);
        return false;
    }
    reap();
    finish();
    return true;
}

void ToolRun::readStderr() {
    if (!errFd_)
        return;
    char buffer[16384];
    for (;;) {
        const ssize_t n =
            posix::RetryOnEintr([&] { return ::read(errFd_.get(), buffer, sizeof buffer); });
        if (n > 0) {
            appendStderr(buffer, n);
            continue;
        }
        if (n == 0 || errno != EAGAIN) {
            // End of the stream (or a broken pipe): stop watching it.
            Retire(errNotifier_);
            errFd_.reset();
        }
        return;
    }
}

void ToolRun::onChildEnded() {
    if (pid_ <= 0)
        return;
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        info.si_pid != pid_)
        return;  // still running
    // A stop reaches the whole group, also what the child left running; the group's id stays
    // reserved until the child is reaped.
    if (outcome_.cancelled)
        killGroup(SIGKILL);
    reap();
    finish();
}

void ToolRun::finish() {
    // Everything the child wrote before it ended is in the pipe now; take it without waiting
    // for the end of the stream, which a grandchild may hold open.
    readStderr();
    closeFds();
    emit finished(outcome_);
}

void ToolRun::reap() {
    int status = 0;
    const pid_t r = posix::RetryOnEintr([&] { return ::waitpid(pid_, &status, 0); });
    if (r == pid_ && WIFEXITED(status)) {
        outcome_.exitCode = WEXITSTATUS(status);
    } else if (r == pid_ && WIFSIGNALED(status)) {
        outcome_.crashed = true;
        outcome_.signal = WTERMSIG(status);
    } else {
        // Reaped elsewhere: nothing is known about how it ended, so it did not end well.
        outcome_.crashed = true;
        outcome_.signal = 0;  // no signal is known; the verdict says so
    }
    pid_ = -1;
}

void ToolRun::appendStderr(const char* data, qsizetype size) {
    QByteArray& tail = outcome_.stderrTail;
    tail.append(data, size);
    if (tail.size() > kStderrLimit)
        tail.remove(0, tail.size() - kStderrLimit);
}

void ToolRun::killGroup(int sig) {
    if (pid_ <= 0)
        return;
    if (::kill(-pid_, sig) != 0)
        ::kill(pid_, sig);
}

void ToolRun::closeFds() {
    Retire(endNotifier_);
    Retire(errNotifier_);
    Retire(pollTimer_);
    Retire(killTimer_);
    pidfd_.reset();
    errFd_.reset();
}

}  // namespace eb
