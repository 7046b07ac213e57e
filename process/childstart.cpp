#include "process/childstart.h"

#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QByteArrayList>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

extern char** environ;

namespace eb {

namespace {

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

// A descriptor the child keeps, moved above `floor` (the standard streams and the places of
// the passed descriptors) when it is below.
int Above(int fd, int floor) {
    return fd >= 0 && fd < floor ? ::fcntl(fd, F_DUPFD_CLOEXEC, floor) : fd;
}

[[noreturn]] void Fail(int statusFd, int error) {
    [[maybe_unused]] const ssize_t n = ::write(statusFd, &error, sizeof error);
    ::_exit(127);
}

// Runs in the child: only async-signal-safe calls from here to the exec.
[[noreturn]] void ChildMain(ChildSpec launch, int statusFd, pid_t parent, long fdLimit) {
    int passed = 0;
    while (passed < ChildSpec::kMaxPassed && launch.passedFds[passed] >= 0)
        ++passed;
    const int floor = 3 + passed;
    statusFd = Above(statusFd, floor);
    launch.stderrFd = Above(launch.stderrFd, floor);
    launch.exeFd = Above(launch.exeFd, floor);
    launch.stdinFd = Above(launch.stdinFd, floor);
    // Each passed descriptor is first copied above its place, so that putting one in place
    // never closes another that is still to come.
    for (int k = 0; k < passed; ++k) {
        launch.passedFds[k] = ::fcntl(launch.passedFds[k], F_DUPFD_CLOEXEC, floor);
        if (launch.passedFds[k] < 0)
            Fail(statusFd, errno);
    }
    ::setpgid(0, 0);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        Fail(statusFd, errno);
    if (::getppid() != parent)  // the parent ended before the request took hold
        ::_exit(127);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &standard, nullptr);

    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0 || ::dup2(launch.stdinFd >= 0 ? launch.stdinFd : null, 0) < 0 ||
        ::dup2(null, 1) < 0 || ::dup2(launch.stderrFd, 2) < 0)
        Fail(statusFd, errno);
    for (int k = 0; k < passed; ++k) {
        if (::dup2(launch.passedFds[k], 3 + k) < 0)
            Fail(statusFd, errno);
    }
    // Nothing else of the parent's reaches the program.
    if (::syscall(SYS_close_range, static_cast<unsigned>(floor), ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = floor; fd < fdLimit; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (launch.exeFd >= 0) {
        // Left open across the exec: an interpreted program is read by its interpreter
        // through /dev/fd/N.
        ::fcntl(launch.exeFd, F_SETFD, 0);
        ::syscall(SYS_execveat, launch.exeFd, "", launch.argv, environ, AT_EMPTY_PATH);
    } else {
        ::execve(launch.path, launch.argv, environ);
    }
    Fail(statusFd, errno);
}

}  // namespace

pid_t StartChild(const ChildSpec& launch) {
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return -1;
    posix::UniqueFd statusRead(status[0]);
    posix::UniqueFd statusWrite(status[1]);
    struct rlimit files {};
    const long fdLimit = ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < 65536
                             ? long(files.rlim_cur)
                             : 65536;
    // No handler of the parent's may run in the child before the defaults are back (a stop
    // handler would write into the parent's own signal pipe).
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t parent = ::getpid();
    // vfork: the child borrows the parent's memory until its exec, so starting a tool costs
    // the same whatever the parent's size (a fork copies its page tables; under the
    // sanitizers, whose shadow memory is huge, that took over 10 ms a start). The parent waits
    // meanwhile; the child runs only the system calls in ChildMain and never returns.
    const pid_t pid = ::vfork();
    if (pid == 0)
        ChildMain(launch, statusWrite.get(), parent, fdLimit);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    statusWrite.reset();
    if (pid < 0) {
        errno = forkError;
        return -1;
    }
    int childError = 0;
    const ssize_t n = posix::RetryOnEintr(
        [&] { return ::read(statusRead.get(), &childError, sizeof childError); });
    statusRead.reset();
    if (n == 0)
        return pid;
    // The exec failed (or the child ended before it): reap it and say why.
    int ignored = 0;
    posix::RetryOnEintr([&] { return ::waitpid(pid, &ignored, 0); });
    errno = n == sizeof childError && childError != 0 ? childError : ECHILD;
    return -1;
}

QByteArray ResolveOnPath(const QByteArray& name) {
    if (name.contains('/'))
        return name;
    const QByteArray path = qgetenv("PATH");
    for (const QByteArray& folder : path.split(':')) {
        QByteArray candidate = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + name;
        struct stat st {};
        if (::stat(candidate.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.constData(), X_OK) == 0)
            return candidate;
    }
    return QByteArray();
}

}  // namespace eb
