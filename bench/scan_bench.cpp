// Folder scan benchmark: a generated tree of 100,000 files in 1,000 folders (half of them MP3
// names), scanned as "Add All" does, against `find DIR -iname '*.mp3'` on the same warm tree.
// Also times the natural sort of 100,000 names and the cost of serving the event queue.
//   scan_bench [PARENT]   builds the tree in a temporary folder under PARENT (default: TMPDIR)
#include "filelist/folderscan.h"
#include "filelist/naturalsort.h"
#include "posix/uniquefd.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <QThread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <vector>

namespace {

constexpr int kGroups = 10;
constexpr int kFoldersPerGroup = 99;  // 10 groups + 990 folders inside them = 1,000 folders
constexpr int kFilesPerFolder = 100;

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

bool MakeFile(const QByteArray& path) {
    return eb::posix::UniqueFd(::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644))
        .valid();
}

// Fills the folder with files; every second one is an MP3 name, some in upper case.
bool FillFolder(const QString& folder) {
    const QByteArray raw = QFile::encodeName(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        const char* extension = i % 2 ? ".txt" : (i % 10 == 0 ? ".MP3" : ".mp3");
        if (!MakeFile(raw + "/track " + QByteArray::number(i) + extension))
            return false;
    }
    return true;
}

bool MakeTree(const QString& root) {
    QDir dir(root);
    for (int g = 0; g < kGroups; ++g) {
        const QString group = QStringLiteral("group %1").arg(g);
        if (!dir.mkpath(group) || !FillFolder(dir.filePath(group)))
            return false;
        for (int f = 0; f < kFoldersPerGroup; ++f) {
            const QString folder = group + QStringLiteral("/album %1").arg(f);
            if (!dir.mkpath(folder) || !FillFolder(dir.filePath(folder)))
                return false;
        }
    }
    return true;
}

struct Timing {
    double wallMs = 0;
    double cpuMs = 0;  // user + system time
};

double Ms(const timeval& t) {
    return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Ms(usage.ru_utime) + Ms(usage.ru_stime);
}

// Runs find with its output into a pipe that is read here (as a caller of find would), and
// returns the number of paths it printed (-1 on failure) with its wall and CPU time.
qsizetype RunFind(const QString& root, Timing* timing) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    const QByteArray dir = QFile::encodeName(root);
    char* argv[] = {const_cast<char*>("find"), const_cast<char*>(dir.constData()),
                    const_cast<char*>("-iname"), const_cast<char*>("*.mp3"), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "find", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    qsizetype lines = 0;
    char buffer[65536];
    for (ssize_t n; spawned == 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        lines += std::count(buffer, buffer + n, '\n');
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    if (timing)
        *timing = {double(timer.nsecsElapsed()) / 1e6, Ms(usage.ru_utime) + Ms(usage.ru_stime)};
    return lines;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString LoadAverage() {
    QFile load(QStringLiteral("/proc/loadavg"));
    if (!load.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(load.readAll()).section(u' ', 0, 2);
}

long PeakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString parent = args.size() > 1 ? args[1] : QDir::tempPath();
    QTemporaryDir temp(parent + QStringLiteral("/scan_bench-XXXXXX"));
    const QString root = temp.path();
    QElapsedTimer timer;
    timer.start();
    if (!temp.isValid() || !MakeTree(root)) {
        out() << "scan_bench: cannot build the tree under " << parent << Qt::endl;
        return 1;
    }
    out() << "tree: " << kGroups * (kFoldersPerGroup + 1) << " folders, "
          << kGroups * (kFoldersPerGroup + 1) * kFilesPerFolder << " files, made in "
          << timer.elapsed() << " ms" << Qt::endl;

    const qsizetype expected = RunFind(root, nullptr);  // warms the cache
    constexpr int kRounds = 5;
    std::vector<double> findWall, findCpu, scanWall, scanCpu;
    qsizetype found = 0;
    for (int round = 0; round < kRounds; ++round) {
        Timing find;
        const qsizetype findCount = RunFind(root, &find);
        findWall.push_back(find.wallMs);
        findCpu.push_back(find.cpuMs);
        const double cpuBefore = ProcessCpuMs();
        timer.start();
        const eb::FolderScan scan = eb::ScanFolderFiles(root, QStringLiteral("*.mp3"));
        scanWall.push_back(double(timer.nsecsElapsed()) / 1e6);
        scanCpu.push_back(ProcessCpuMs() - cpuBefore);
        found = scan.files.size();
        if (findCount != expected || found != expected || !scan.failure.isEmpty()) {
            out() << "scan_bench: counts differ: find " << findCount << ", scan " << found << " "
                  << scan.failure << Qt::endl;
            return 1;
        }
    }
    const auto print = [](const char* what, const std::vector<double>& values) {
        out() << "  " << what << " ms:";
        for (double ms : values)
            out() << ' ' << QString::number(ms, 'f', 1);
        out() << "  (median " << QString::number(Median(values), 'f', 1) << ')' << Qt::endl;
    };
    out() << "find -iname '*.mp3' (" << expected << " files) against ScanFolderFiles \"*.mp3\" ("
          << found << " files), " << kRounds << " alternating warm runs on "
          << QThread::idealThreadCount() << " cores:" << Qt::endl;
    print("find wall", findWall);
    print("find cpu ", findCpu);
    print("scan wall", scanWall);
    print("scan cpu ", scanCpu);
    const double ratio = Median(scanWall) / Median(findWall);
    out() << "ratio scan/find, wall-clock medians: " << QString::number(ratio, 'f', 2)
          << (ratio <= 2.0 ? "  (target <= 2.0 met)" : "  (target <= 2.0 MISSED)") << Qt::endl
          << "ratio scan/find, CPU-time medians: "
          << QString::number(Median(scanCpu) / Median(findCpu), 'f', 2) << Qt::endl;
    out() << "machine load (1, 5, 15 min): " << LoadAverage() << Qt::endl;

    // Serving the event queue at every opportunity instead of every 20 ms.
    for (const int interval : {0, 20}) {
        int calls = 0;
        timer.start();
        eb::ScanFolderFiles(root, QStringLiteral("*.mp3"),
                            {[&calls] {
                                 ++calls;
                                 QCoreApplication::processEvents();
                             },
                             interval});
        out() << "scan serving events every " << interval
              << " ms: " << QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 1) << " ms, "
              << calls << " calls" << Qt::endl;
    }

    // Sorting 100,000 names: the scan's own order against QCollator's numeric mode.
    QStringList names;
    QRandomGenerator random(12345);
    for (int i = 0; i < 100000; ++i)
        names << QStringLiteral("Track %1 take %2.mp3").arg(random.bounded(5000)).arg(i);
    QStringList copy = names;
    timer.start();
    eb::NaturalSort(copy);
    out() << "NaturalSort of 100,000 names: "
          << QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 1) << " ms" << Qt::endl;
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    copy = names;
    timer.start();
    std::sort(copy.begin(), copy.end(), collator);
    out() << "QCollator numeric sort of 100,000 names: "
          << QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 1) << " ms" << Qt::endl;
    out() << "peak memory: " << PeakMemoryKb() / 1024 << " MB" << Qt::endl;
    return 0;
}
