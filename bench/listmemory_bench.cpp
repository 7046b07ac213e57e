// The window holding 100,000 entries, added as "Add All MP3 File(s) In Folder" adds them: a tree
// of 1,000 folders with 100 MP3 files each is scanned through PushButton3_Click on the offscreen
// platform. Prints the peak memory of the process (VmHWM), the time of the add, the longest time
// the window did not serve its events during it, and the cost of the list's first paint and of
// scrolling to its end.
//   listmemory_bench [PARENT]   builds the tree in a temporary folder under PARENT (default:
//   TMPDIR)
#include "filelist/filelistmodel.h"
#include "filelist/folderscan.h"
#include "posix/uniquefd.h"
#include "shell/form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr long kTargetKb = 150 * 1024;

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

bool MakeTree(const QString& root) {
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = root + QStringLiteral("/group %1/album %2").arg(f / 100).arg(f);
        if (!QDir().mkpath(folder))
            return false;
        const QByteArray raw = QFile::encodeName(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const QByteArray path = raw + "/track " + QByteArray::number(i) + ".mp3";
            if (!eb::posix::UniqueFd(
                    ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644)))
                return false;
        }
    }
    return true;
}

long StatusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QString Mb(long kb) {
    return QString::number(double(kb) / 1024.0, 'f', 1) + QStringLiteral(" MB");
}

// Answers the folder picker with the tree; nothing else is asked during an add.
class BenchPrompter : public eb::Prompter {
public:
    explicit BenchPrompter(QString folder) : folder_(std::move(folder)) {}
    void message(const QString& text, Icon, const QString&) override {
        out() << "listmemory_bench: unexpected box: " << text << Qt::endl;
    }
    bool askYesNo(const QString&) override { return false; }
    int choose(const QString&, const QStringList&, int defaultButton) override {
        return defaultButton;
    }
    void ask(const QString&, const QStringList&, int defaultButton,
             std::function<void(int)> answered) override {
        answered(defaultButton);
    }
    void closeQuestion() override {}
    void messageWithDetails(const QString& text, const QString&) override {
        message(text, Icon::None, QString());
    }
    QString openFiles(const QString&, const QString&, int) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return folder_; }
    bool openExternally(const QString&) override { return false; }

private:
    QString folder_;
};

// The longest time between two services of the event queue while it runs.
class StallMeter {
public:
    StallMeter() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        longestMs_ = 0;
        clock_.start();
        timer_.start();
    }
    double stop() {
        tick();
        timer_.stop();
        return longestMs_;
    }

private:
    void tick() {
        longestMs_ = std::max(longestMs_, double(clock_.nsecsElapsed()) / 1e6);
        clock_.start();
    }
    QTimer timer_;
    QElapsedTimer clock_;
    double longestMs_ = 0;
};

double ElapsedMs(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window stores its settings at start-up: into a scratch folder, never the user's.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = home.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString parent = args.size() > 1 ? args[1] : QDir::tempPath();
    QTemporaryDir temp(parent + QStringLiteral("/listmemory_bench-XXXXXX"));
    QElapsedTimer timer;
    timer.start();
    if (!temp.isValid() || !MakeTree(temp.path())) {
        out() << "listmemory_bench: cannot build the tree under " << parent << Qt::endl;
        return 1;
    }
    const int expected = kFolders * kFilesPerFolder;
    out() << "tree: " << kFolders << " folders, " << expected << " MP3 files, made in "
          << timer.elapsed() << " ms" << Qt::endl;
    eb::ScanFolderFiles(temp.path(), QStringLiteral("*.mp3"));  // warms the cache

    BenchPrompter prompter(temp.path());
    eb::Form1 form(&prompter);
    form.show();
    QApplication::processEvents();
    const long baseKb = StatusKb("VmRSS:");

    // The add as the button runs it, then the list's first paint with its 100,000 rows.
    StallMeter stall;
    stall.start();
    timer.start();
    form.PushButton3_Click();
    const double addMs = ElapsedMs(timer);
    timer.start();
    form.controls().ListView1->repaint();
    QApplication::processEvents();
    const double paintMs = ElapsedMs(timer);
    const double longestStallMs = stall.stop();
    if (form.entryCount() != expected) {
        out() << "listmemory_bench: " << form.entryCount() << " entries, not " << expected
              << Qt::endl;
        return 1;
    }
    const long peakKb = StatusKb("VmHWM:");
    const long heldKb = StatusKb("VmRSS:");

    timer.start();
    form.controls().ListView1->scrollToBottom();
    form.controls().ListView1->repaint();
    QApplication::processEvents();
    const double scrollMs = ElapsedMs(timer);

    // The insert alone, into the emptied list, from a finished scan.
    const QStringList files = eb::ScanFolderFiles(temp.path(), QStringLiteral("*.mp3")).files;
    form.fileList().clear();
    QApplication::processEvents();
    timer.start();
    form.addEntries(files, temp.path());
    const double insertMs = ElapsedMs(timer);

    out() << "window (offscreen) with " << expected
          << " entries added by PushButton3_Click:" << Qt::endl
          << "  add (scan + insert): " << QString::number(addMs, 'f', 1) << " ms" << Qt::endl
          << "  insert alone (addEntries): " << QString::number(insertMs, 'f', 1) << " ms"
          << Qt::endl
          << "  first paint of the full list: " << QString::number(paintMs, 'f', 1) << " ms"
          << Qt::endl
          << "  scroll to the last entry and paint: " << QString::number(scrollMs, 'f', 1) << " ms"
          << Qt::endl
          << "  longest time without serving events: " << QString::number(longestStallMs, 'f', 1)
          << " ms" << Qt::endl
          << "  memory: " << Mb(baseKb) << " before the add, " << Mb(heldKb) << " holding it, peak "
          << Mb(peakKb) << (peakKb < kTargetKb ? "  (target < 150 MB met)" : "  (target MISSED)")
          << Qt::endl;
    return 0;
}
