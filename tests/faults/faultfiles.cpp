#include "faultfiles.h"

#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace ebtest {

namespace {

// Opens the folder `path`, creating what is missing, one component at a time, so that paths
// beyond the system's limit work too. -1 when it cannot.
int OpenFolder(const QStringList& components, bool create) {
    int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString& name : components) {
        if (fd < 0)
            return -1;
        const QByteArray encoded = QFile::encodeName(name);
        if (create && ::mkdirat(fd, encoded.constData(), 0755) != 0 && errno != EEXIST) {
            ::close(fd);
            return -1;
        }
        const int next = ::openat(fd, encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

QByteArray Sha256Of(int fd) {
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

// Calls `visit(dirFd, name, status)` for every entry of the folder `fd` (taken over) but "."
// and ".."; `status` is null when the entry cannot be looked at.
template <typename Visit>
void EachEntry(int fd, Visit visit) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
            continue;
        struct stat st {};
        const bool known = ::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        visit(::dirfd(dir), e->d_name, known ? &st : nullptr);
    }
    ::closedir(dir);
}

constexpr int kNoFollow = O_RDONLY | O_CLOEXEC | O_NOFOLLOW;

// Every entry below the folder `fd` (taken over) by its raw path below `path`: files with their
// checksum, folders (ending with "/") with none, other entries with "special".
void Walk(int fd, const QByteArray& path, QMap<QByteArray, QByteArray>& found) {
    EachEntry(fd, [&](int at, const char* name, const struct stat* st) {
        if (!st)
            return;
        const QByteArray child = path + '/' + name;
        if (S_ISDIR(st->st_mode)) {
            found.insert(child + '/', QByteArray());
            Walk(::openat(at, name, kNoFollow | O_DIRECTORY), child, found);
        } else if (S_ISREG(st->st_mode)) {
            found.insert(child, Sha256Of(::openat(at, name, kNoFollow)));
        } else {
            found.insert(child, QByteArrayLiteral("special"));
        }
    });
}

// Removes everything inside the folder `fd` (taken over), however deep.
void RemoveContents(int fd) {
    EachEntry(fd, [](int at, const char* name, const struct stat* st) {
        if (st && S_ISDIR(st->st_mode)) {
            RemoveContents(::openat(at, name, kNoFollow | O_DIRECTORY));
            ::unlinkat(at, name, AT_REMOVEDIR);
        } else {
            ::unlinkat(at, name, 0);
        }
    });
}

}  // namespace

QMap<QByteArray, QByteArray> EntriesBelow(const QString& root) {
    QMap<QByteArray, QByteArray> found;
    const QByteArray raw = QFile::encodeName(root);
    Walk(::open(raw.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), raw, found);
    return found;
}

QMap<QString, QByteArray> ChecksumsBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    const QMap<QByteArray, QByteArray> found = EntriesBelow(root);
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (!it.key().endsWith('/'))
            files.insert(QFile::decodeName(it.key()),
                         it.value() == "special" ? QByteArray() : it.value());
    }
    return files;
}

void RemoveBelow(const QString& root) {
    RemoveContents(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

QString DeepFolder(const QString& base, int length) {
    QString path = base;
    for (int depth = 0; path.size() < length; ++depth) {
        qsizetype n = std::min<qsizetype>(200, length - path.size() - 1);
        if (n <= 0)
            return QString();
        if (length - (path.size() + 1 + n) == 1)
            --n;  // leave room for one more "/x"
        path += u'/' + QString(n, QChar(u'a' + depth % 26));
    }
    const int fd = OpenFolder(path.split(u'/', Qt::SkipEmptyParts), true);
    if (fd < 0)
        return QString();
    ::close(fd);
    return path;
}

bool WriteAnyPath(const QString& path, const QByteArray& bytes) {
    QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    const QByteArray name = QFile::encodeName(components.takeLast());
    const int folder = OpenFolder(components, true);
    if (folder < 0)
        return false;
    const int fd =
        ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(folder);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) ==
                    static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

bool MatchesPattern(const QString& text, const QString& pattern) {
    QString rx = QRegularExpression::escape(pattern);
    rx.replace(QStringLiteral("\\*"), QStringLiteral(".*"));
    rx.replace(QStringLiteral("\\?"), QStringLiteral("."));
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

FileSizeCap::FileSizeCap(quint64 bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    before_ = limit.rlim_cur;
    limit.rlim_cur = std::min<rlim_t>(bytes, limit.rlim_max);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeCap::~FileSizeCap() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = before_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

QList<pid_t> ProcessesMentioning(const QStringList& needles) {
    QList<pid_t> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric || pid == ::getpid())
            continue;
        QByteArray line = readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        line.replace('\0', ' ');
        // The files it holds open count too: the tool is handed its files as /dev/fd/N.
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System))
            line += ' ' + QFile::encodeName(QFile::symLinkTarget(fds + u'/' + fd));
        if (!line.isEmpty() && std::all_of(needles.cbegin(), needles.cend(), [&](const QString& n) {
                return line.contains(QFile::encodeName(n));
            }))
            pids << pid;
    }
    return pids;
}

bool ToolIsWriting(const QString& folder) {
    const QFileInfoList temps =
        QDir(folder).entryInfoList({QStringLiteral(".*echobatch-*")}, QDir::Files | QDir::Hidden);
    return std::any_of(temps.cbegin(), temps.cend(),
                       [](const QFileInfo& f) { return f.size() > 0; });
}

}  // namespace ebtest
