// One child process started from an argument list, without a shell.
//
// The child is forked and execs the program itself; a failed exec sends its real errno back
// through a close-on-exec pipe (ENOENT for a missing program, EACCES for one that may not be
// executed), where QProcess only says "failed to start". Before the exec the child asks the
// kernel to kill it when the thread that started it ends (PR_SET_PDEATHSIG), so a front end
// killed outright leaves no tool running, and it gets every signal's default back. Its end is
// learnt at once from a pidfd watched by a QSocketNotifier, so nobody polls and no SIGCHLD handler
// competes with Qt's own. The child gets /dev/null as standard output, a pipe as standard
// error, of which the last 64 KiB are kept, and /dev/null or the caller's descriptor as
// standard input. It runs in a process group of its own, so a
// stop reaches everything it started.
#pragma once

#include "posix/uniquefd.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <vector>

class QSocketNotifier;
class QTimer;

namespace eb {

class ToolRun : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        bool started = false;    // the program could be started
        int startErrno = 0;      // why not, when it could not
        int exitCode = 0;        // the exit status when it ended normally
        bool crashed = false;    // ended by a signal
        int signal = 0;          // that signal
        bool cancelled = false;  // we stopped it (never read from the exit code)
        QByteArray stderrTail;   // the last kStderrLimit bytes of its standard error
    };

    static constexpr qsizetype kStderrLimit = qsizetype{64} * 1024;
    // After SIGTERM a child gets this long before SIGKILL.
    static constexpr int kGraceMs = 1000;

    explicit ToolRun(QObject* parent = nullptr);
    // A child still running is killed and reaped.
    ~ToolRun() override;

    // Starts `program` with `args`. Returns false when it could not be started (outcome()
    // then holds startErrno, and finished() is not emitted); otherwise finished() follows once
    // the child has ended.
    bool start(const QString& program, const QStringList& args);
    // The next starts execute the file open as `fd` (read-only, kept open by the caller while
    // children start) instead of looking `program` up by its path, so what runs is the file
    // that was checked, whatever happens to its path meanwhile; `program` then only gives the
    // child its name. -1 goes back to the path.
    void setExecutable(int fd) { exeFd_ = fd; }
    // The next child that starts gets `fd` as its standard input, which is closed here once it
    // has it (kept for another try while starts fail).
    void setStandardInput(posix::UniqueFd fd) { stdin_ = std::move(fd); }
    // The next children get these open files as their descriptors 3, 4, ... (at most
    // ChildSpec::kMaxPassed; they stay the caller's and must stay open while children start),
    // so that a child is told of a file as /dev/fd/3 instead of by a name another process could
    // swap. Empty: none.
    void setPassedFds(std::vector<int> fds) { passed_ = std::move(fds); }
    // Asks the child to stop: SIGTERM to its process group, SIGKILL after kGraceMs.
    void cancel();
    // Stops the child before returning: SIGTERM, up to graceMs for it to end, then SIGKILL.
    // finished() is emitted before this returns.
    void terminateNow(int graceMs = kGraceMs);
    // Waits up to `timeoutMs` for the child's end without serving the event queue (for a short
    // helper whose caller must not be re-entered meanwhile); a child that has not ended by then
    // is stopped as terminateNow stops it. finished() has been emitted when this returns. True
    // when the child ended by itself.
    bool waitForEnd(int timeoutMs);

    bool isRunning() const { return pid_ > 0; }
    const Outcome& outcome() const { return outcome_; }

signals:
    // The child has ended; `outcome` is the same as outcome().
    void finished(const eb::ToolRun::Outcome& outcome);

private:
    void readStderr();
    void onChildEnded();
    bool endsWithin(int ms) const;
    void finish();
    void reap();  // waits for the child's end and records it
    void appendStderr(const char* data, qsizetype size);
    void killGroup(int sig);
    void closeFds();

    pid_t pid_ = -1;
    int exeFd_ = -1;
    posix::UniqueFd stdin_;
    std::vector<int> passed_;
    posix::UniqueFd pidfd_;
    posix::UniqueFd errFd_;
    QSocketNotifier* endNotifier_ = nullptr;
    QSocketNotifier* errNotifier_ = nullptr;
    QTimer* pollTimer_ = nullptr;  // only when the kernel has no pidfd
    QTimer* killTimer_ = nullptr;
    Outcome outcome_;
};

}  // namespace eb
