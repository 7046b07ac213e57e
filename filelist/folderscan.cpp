#include "filelist/folderscan.h"

#include "filelist/naturalsort.h"
#include "shell/steps.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace eb {

namespace {

// Serves the event queue at most once per interval while a scan runs.
class ScanPacer {
public:
    explicit ScanPacer(const ScanYield& yield) : yield_(yield) {}

    void tick() {
        if (timer_.isValid() && timer_.elapsed() < yield_.intervalMs)
            return;
        if (yield_.call)
            yield_.call();
        else if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        timer_.start();
    }

private:
    const ScanYield& yield_;
    QElapsedTimer timer_;
};

// Closes a directory stream on every way out.
class DirStream {
public:
    explicit DirStream(DIR* dir) : dir_(dir) {}
    ~DirStream() {
        if (dir_)
            closedir(dir_);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    DIR* get() const { return dir_; }
    int fd() const { return dirfd(dir_); }

private:
    DIR* dir_;
};

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The presence test on `name` relative to the folder open as `dirFd` (or AT_FDCWD). Anything
// that is not a regular file is refused before it is opened, so a FIFO never blocks and a
// device is never touched; `knownRegular` skips that look when the listing already said so.
bool PresentAt(int dirFd, const char* name, bool knownRegular) {
    struct stat st {};
    if (!knownRegular && (fstatat(dirFd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)))
        return false;
    const int fd = openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular;
}

QString DescribeLookupFailure(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("Path not found");
    if (error == EACCES || error == EPERM)
        return QStringLiteral("Permission denied");
    return QString::fromLocal8Bit(std::strerror(error));
}

// Paths joined below the root start with "//"; every "//" becomes "/".
QString FixDoubledSeparators(QString path) {
    return path.replace(QLatin1String("//"), QLatin1String("/"));
}

class Collector {
public:
    explicit Collector(const ScanYield& yield) : pacer_(yield) {}

    void run(FolderSet& set, bool recurse) {
        std::vector<QStringList> deeper;  // levels 1, 2, ... as far as they were examined
        const auto merge = [&set, &deeper] {
            for (const QStringList& level : deeper)
                set += level;
        };
        try {
            QStringList found;
            examineLevel(set, found, /*keepNotEntered=*/true);
            if (!recurse) {
                keepDescendable(found);
                set += found;
                return;
            }
            while (!found.isEmpty()) {
                deeper.push_back(std::move(found));
                found = QStringList();
                examineLevel(deeper.back(), found, /*keepNotEntered=*/false);
            }
        } catch (...) {
            merge();
            throw;
        }
        merge();
    }

private:
    enum class Outcome { Entered, NotEntered, Removed };

    // Examines every folder of one level, appending the next level to `found`. Folders that
    // are not entered stay only when `keepNotEntered`; removed folders go. On a failure the
    // folders not examined yet are dropped from a deeper level.
    void examineLevel(QStringList& level, QStringList& found, bool keepNotEntered) {
        qsizetype i = 0;
        try {
            while (i < level.size()) {
                const Outcome outcome = examine(level[i], found);
                if (outcome == Outcome::Entered ||
                    (outcome == Outcome::NotEntered && keepNotEntered))
                    ++i;
                else
                    level.removeAt(i);
            }
        } catch (...) {
            if (!keepNotEntered)
                level.erase(level.begin() + i, level.end());
            throw;
        }
    }

    // The descend test; a folder that cannot be looked at ends the scan.
    bool mayDescend(const QString& folder) {
        const std::optional<int> attributes = FileAttributesWith(folder, table_);
        if (!attributes)
            throw StepError(DescribeLookupFailure(errno));
        return MayDescend(*attributes, IsRootFolder(folder));
    }

    Outcome examine(const QString& folder, QStringList& found) {
        pacer_.tick();
        if (!mayDescend(folder))
            return Outcome::NotEntered;
        const QByteArray raw = QFile::encodeName(folder);
        const int fd = open(raw.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno == EACCES || errno == EPERM ? Outcome::Removed : Outcome::Entered;
        DIR* dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            return Outcome::Entered;
        }
        DirStream stream(dir);
        struct stat st {};
        if (fstat(stream.fd(), &st) != 0)
            return Outcome::Entered;
        // A second path to a folder already entered (a link loop, a bind mount) leaves the set.
        if (entered_.contains({quint64(st.st_dev), quint64(st.st_ino)}))
            return Outcome::Removed;
        entered_.insert({quint64(st.st_dev), quint64(st.st_ino)});
        // Names that may be read but not searched cannot be looked at: as good as no listing.
        if (faccessat(stream.fd(), ".", X_OK, AT_EACCESS) != 0 && errno == EACCES)
            return Outcome::Removed;

        QStringList names;
        while (const dirent* entry = readdir(stream.get())) {
            pacer_.tick();
            if (IsDotOrDotDot(entry->d_name))
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                struct stat target {};
                isFolder =
                    fstatat(stream.fd(), entry->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
            }
            if (isFolder && !HasUnsafeNameBytes(QByteArrayView(entry->d_name)))
                names.append(QFile::decodeName(entry->d_name));
        }
        NaturalSort(names);
        const QString prefix = folder.endsWith(u'/') ? folder : folder + QLatin1Char('/');
        for (const QString& name : std::as_const(names))
            found.append(prefix + name + QLatin1Char('/'));
        return Outcome::Entered;
    }

    // Without recursion the next level is only tested, not entered.
    void keepDescendable(QStringList& found) {
        QStringList kept;
        for (const QString& folder : std::as_const(found)) {
            pacer_.tick();
            if (mayDescend(folder))
                kept.append(folder);
        }
        found = std::move(kept);
    }

    ScanPacer pacer_;
    PseudoFsTable table_;
    QSet<QPair<quint64, quint64>> entered_;
};

}  // namespace

void CollectSubfolders(FolderSet& set, bool recurse, const ScanYield& yield) {
    Collector(yield).run(set, recurse);
}

QStringList ListFolderFiles(const QString& folder, const QString& pattern) {
    QStringList names;
    if (folder.isEmpty() || folder.contains(QChar(u'\0')))
        return names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    DirStream stream(dir);
    const WildcardPattern wildcard(pattern);
    while (const dirent* entry = readdir(stream.get())) {
        if (entry->d_type == DT_DIR || IsDotOrDotDot(entry->d_name))
            continue;
        const QByteArrayView raw(entry->d_name);
        if (!IsValidUtf8(raw))
            continue;
        const QString name = QString::fromUtf8(raw);
        if (wildcard.matches(name) &&
            PresentAt(stream.fd(), entry->d_name, entry->d_type == DT_REG))
            names.append(name);
    }
    NaturalSort(names);
    return names;
}

bool FileIsPresent(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    return PresentAt(AT_FDCWD, QFile::encodeName(path).constData(), false);
}

QStringList AdmittedFolderFiles(const FolderSet& set, const QString& pattern,
                                const ScanYield& yield) {
    ScanPacer pacer(yield);
    QStringList admitted;
    for (const QString& entry : set) {
        pacer.tick();
        const QString folder = entry.endsWith(u'/') ? entry.chopped(1) : entry;
        const QStringList names = ListFolderFiles(folder, pattern);
        for (const QString& name : names) {
            if (name.startsWith(u'~'))
                continue;
            const QString path = folder + QLatin1Char('/') + name;
            if (!FileIsPresent(path))
                continue;
            // Only a hidden name can give the value 34, so other names skip the lookup.
            if (name.startsWith(u'.') &&
                FileAttributes(path) == std::optional<int>(kAttrHidden | kAttrArchive))
                continue;
            admitted.append(FixDoubledSeparators(path));
        }
    }
    return admitted;
}

FolderScan ScanFolderFiles(const QString& folder, const QString& pattern, const ScanYield& yield) {
    FolderScan scan;
    FolderSet set{folder + QLatin1Char('/')};
    try {
        CollectSubfolders(set, true, yield);
    } catch (const StepError& e) {
        scan.failure = e.description();
    }
    scan.files = AdmittedFolderFiles(set, pattern, yield);
    return scan;
}

}  // namespace eb
