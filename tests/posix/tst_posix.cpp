// The helpers over the system calls, against real descriptors and real signals.
#include "posix/dirstream.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

using eb::posix::DirStream;
using eb::posix::RetryOnEintr;
using eb::posix::UniqueFd;

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

struct Pipe {
    UniqueFd read, write;
    Pipe() {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read.reset(fds[0]);
            write.reset(fds[1]);
        }
    }
};

std::atomic<int> g_signals{0};
void CountSignal(int) {
    ++g_signals;
}

// Runs `call` while another thread sends this thread SIGUSR1 (handled without SA_RESTART, so
// a blocked system call fails with EINTR or returns short) every 20 ms until `enough()` or
// the call's return, and then runs `release` there so that the call can finish.
template <typename Call, typename Enough, typename Release>
auto Interrupted(Call call, Enough enough, Release release) {
    struct sigaction count {};
    struct sigaction previous {};
    count.sa_handler = CountSignal;
    sigemptyset(&count.sa_mask);
    ::sigaction(SIGUSR1, &count, &previous);
    const pthread_t caller = ::pthread_self();
    std::atomic<bool> returned{false};
    std::thread interrupter([&] {
        while (!enough() && !returned) {
            ::pthread_kill(caller, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        release();
    });
    const auto result = call();
    returned = true;
    interrupter.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    return result;
}

}  // namespace

class TestPosix : public QObject {
    Q_OBJECT

private slots:
    // A read interrupted by a signal is made again and gets the byte written later; any
    // other failure comes back at once with its errno.
    void retryOnEintr() {
        Pipe pipe;
        QVERIFY(pipe.read && pipe.write);
        std::atomic<int> calls{0};
        char byte = 0;
        ssize_t sent = 0;
        const ssize_t n = Interrupted(
            [&] {
                return RetryOnEintr([&] {
                    ++calls;
                    return ::read(pipe.read.get(), &byte, 1);
                });
            },
            [&] { return calls.load() >= 2; }, [&] { sent = ::write(pipe.write.get(), "x", 1); });
        QCOMPARE(sent, ssize_t{1});
        QCOMPARE(n, ssize_t{1});
        QCOMPARE(byte, 'x');

        int tries = 0;
        const ssize_t bad = RetryOnEintr([&] {
            ++tries;
            return ::read(-1, &byte, 1);
        });
        QCOMPARE(bad, ssize_t{-1});
        QCOMPARE(errno, EBADF);
        QCOMPARE(tries, 1);
    }

    // A write into a full pipe, cut short and interrupted by signals, still delivers every
    // byte; a read at an offset gets exactly its bytes, and past the end fails with EIO.
    void wholeTransfers() {
        Pipe pipe;
        QVERIFY(pipe.read && pipe.write);
        const int capacity = ::fcntl(pipe.write.get(), F_GETPIPE_SZ);
        QVERIFY(capacity > 0);
        std::string data(static_cast<size_t>(capacity) * 2, '\0');
        for (size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<char>('a' + k % 26);
        const int before = g_signals.load();
        std::string received;
        const bool written = Interrupted(
            [&] {
                const bool all = eb::posix::WriteAll(pipe.write.get(), data.data(),
                                                     static_cast<std::int64_t>(data.size()));
                pipe.write.reset();  // the reader's end of the stream
                return all;
            },
            [&] { return g_signals.load() >= before + 3; },
            [&] {
                char buffer[4096];
                for (ssize_t n; (n = ::read(pipe.read.get(), buffer, sizeof buffer)) > 0;)
                    received.append(buffer, static_cast<size_t>(n));
            });
        QVERIFY(written);
        QVERIFY(received == data);

        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("f")));
        const UniqueFd file(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        QVERIFY(file && eb::posix::WriteAll(file.get(), "abcdef", 6));
        char buffer[4] = {};
        QVERIFY(eb::posix::ReadAt(file.get(), 2, buffer, 4));
        QCOMPARE(QByteArray(buffer, 4), QByteArray("cdef"));
        QVERIFY(!eb::posix::ReadAt(file.get(), 4, buffer, 4));
        QCOMPARE(errno, EIO);
    }

    // Exactly one owner closes a descriptor: a move hands it over, an assignment closes what
    // the target held, release gives it up, and a failed listing still closes the folder's fd.
    void uniqueFdOwnership() {
        Pipe pipe;
        const int fd = pipe.read.get();
        {
            UniqueFd moved(std::move(pipe.read));
            QVERIFY(!pipe.read && moved.get() == fd && IsOpen(fd));
            UniqueFd target(std::move(pipe.write));
            const int replaced = target.get();
            target = std::move(moved);
            QVERIFY(!moved && target.get() == fd && IsOpen(fd) && !IsOpen(replaced));
        }
        QVERIFY(!IsOpen(fd));

        Pipe other;
        const int kept = other.write.release();
        QVERIFY(!other.write && IsOpen(kept));
        const int readEnd = other.read.get();
        other.read.reset(kept);
        QVERIFY(!IsOpen(readEnd) && IsOpen(kept));
        QVERIFY(other.read.close() && !other.read && !IsOpen(kept));
        QVERIFY(other.read.close());  // an empty owner closes nothing

        QTemporaryDir dir;
        QVERIFY(DirStream::open(QFile::encodeName(dir.path()).constData()));
        const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("plain")));
        UniqueFd plain(::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        const int plainFd = plain.get();
        const DirStream notAFolder(std::move(plain));
        QVERIFY(!notAFolder);
        QCOMPARE(errno, ENOTDIR);
        QVERIFY(!IsOpen(plainFd));
    }
};

QTEST_GUILESS_MAIN(TestPosix)
#include "tst_posix.moc"
