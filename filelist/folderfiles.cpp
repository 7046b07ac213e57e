// Listing the files of the collected folders: the names of one folder, the presence test, and
// the admission of a folder add. The folders of a set are listed by worker threads (opening
// every file is most of a scan's cost) while the calling thread serves the event queue; the
// result is put together in the set's order, so it never depends on the threads' timing.
#include "core/usertext.h"
#include "filelist/folderscan.h"
#include "filelist/listadmission.h"

#include "core/steps.h"
#include "filelist/naturalsort.h"
#include "filelist/scansupport.h"
#include "paths/pathtext.h"
#include "posix/dirstream.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QThreadPool>

#include <fcntl.h>
#include <algorithm>
#include <exception>

namespace eb {

namespace {

// The entries of an open folder that are not folders; links and unknown types stay, the
// presence test sorts them out.
scan::RawEntries ReadEntries(DIR* dir) {
    scan::RawEntries entries;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type != DT_DIR && !scan::IsDotOrDotDot(entry->d_name))
            entries.add(entry->d_name, entry->d_type);
    }
    return entries;
}

// The names among `entries` of the folder open as `dirFd` that match and are present. Names
// that are not valid UTF-8 but would be taken otherwise go to `passedOver` (when given), in
// the lossless form of DecodePathBytes.
QStringList PresentMatches(int dirFd, const scan::RawEntries& entries,
                           const WildcardPattern& wildcard, QStringList* passedOver = nullptr) {
    QStringList names;
    const char* name = entries.names.constData();
    const char* const end = name + entries.names.size();
    for (qsizetype k = 0; name < end; ++k) {
        const QByteArrayView raw(name, qsizetype(std::strlen(name)));
        // A name that is not valid UTF-8 cannot be spelled in a path: it is left out.
        if (IsValidUtf8(raw)) {
            const QString text = QString::fromUtf8(raw);
            if (wildcard.matches(text) && scan::PresentAt(dirFd, name, entries.types[k] == DT_REG))
                names.append(text);
        } else if (passedOver) {
            const QString text = DecodePathBytes(raw.toByteArray());
            if (wildcard.matches(text) && scan::PresentAt(dirFd, name, entries.types[k] == DT_REG))
                passedOver->append(text);
        }
        name += raw.size() + 1;
    }
    NaturalSort(names);
    return names;
}

// The matching present files of `folder`, from `known` entries when the scan has just read
// them, else from the folder itself.
QStringList ListPresentFiles(const QString& folder, const WildcardPattern& wildcard,
                             const scan::RawEntries* known = nullptr,
                             QStringList* passedOver = nullptr) {
    if (folder.isEmpty() || folder.contains(QChar(u'\0')))
        return {};
    posix::UniqueFd fd(
        open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return {};
    if (known)
        return PresentMatches(fd.get(), *known, wildcard, passedOver);
    const posix::DirStream stream(std::move(fd));
    if (!stream)
        return {};
    return PresentMatches(stream.fd(), ReadEntries(stream.get()), wildcard, passedOver);
}

struct Admitted {
    QStringList files;
    QStringList passedOver;  // full paths of files left out for their names
};

// The admitted files of one entry of a folder set (which ends with "/").
Admitted AdmitFolderFiles(const QString& entry, const WildcardPattern& wildcard,
                          const scan::RawEntries* known) {
    const QString folder = entry.endsWith(u'/') ? entry.chopped(1) : entry;
    Admitted result;
    QStringList& admitted = result.files;
    QStringList odd;
    // The listing has just opened each name, so the presence test is not repeated here.
    const QStringList names = ListPresentFiles(folder, wildcard, known, &odd);
    for (const QString& name : std::as_const(odd)) {
        if (!NameStartsWithTilde(name) && !name.startsWith(u'.'))
            result.passedOver.append(FixRootSeparator(folder + QLatin1Char('/') + name));
    }
    for (const QString& name : names) {
        if (NameStartsWithTilde(name))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        // Only a hidden name can give the value 34, so other names skip the lookup.
        if (name.startsWith(u'.') && !PassesAttributeTest(FileAttributes(path).value_or(-1)))
            continue;
        admitted.append(FixRootSeparator(path));
    }
    return result;
}

// Lists folders on worker threads as they are handed in, and puts the results together.
class AdmissionPool {
public:
    explicit AdmissionPool(const QString& pattern) : wildcard_(pattern) {
        // Opening files scales little past a few threads.
        threads_.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
    }
    // A scan ended early (its yield threw) drops the folders not started yet.
    ~AdmissionPool() {
        threads_.clear();
        threads_.waitForDone();
    }

    // Lists the folder of a set entry on a worker thread; `known` are its entries when the
    // scan has just read them.
    void submit(const QString& entry, std::optional<scan::RawEntries> known = std::nullopt) {
        if (submitted_.contains(entry))
            return;
        submitted_.insert(entry);
        threads_.start([this, entry, known = std::move(known)] {
            try {
                Admitted files = AdmitFolderFiles(entry, wildcard_, known ? &*known : nullptr);
                const QMutexLocker lock(&mutex_);
                done_.emplace(entry, std::move(files));
            } catch (...) {
                const QMutexLocker lock(&mutex_);
                if (!failure_)
                    failure_ = std::current_exception();
            }
        });
    }

    // Waits for every folder of `set`, serving events meanwhile; the files in the set's order.
    QStringList collect(const FolderSet& set, const ScanYield& yield,
                        QStringList* passedOver = nullptr) {
        for (const QString& entry : set)
            submit(entry);
        scan::Pacer pacer(yield);
        const int waitMs = std::clamp(yield.intervalMs, 1, 20);
        pacer.tick();
        while (!threads_.waitForDone(waitMs))
            pacer.tick();
        if (failure_)
            std::rethrow_exception(failure_);
        QStringList files;
        for (const QString& entry : set) {
            files += done_.value(entry).files;
            if (passedOver)
                *passedOver += done_.value(entry).passedOver;
        }
        return files;
    }

private:
    const WildcardPattern wildcard_;
    QSet<QString> submitted_;
    QMutex mutex_;
    QHash<QString, Admitted> done_;
    std::exception_ptr failure_;
    QThreadPool threads_;  // last, so it is gone (every job finished) before the rest
};

}  // namespace

QStringList ListFolderFiles(const QString& folder, const QString& pattern) {
    return ListPresentFiles(folder, WildcardPattern(pattern));
}

bool FileIsPresent(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    return scan::PresentAt(AT_FDCWD, QFile::encodeName(path).constData(), false);
}

QStringList AdmittedFolderFiles(const FolderSet& set, const QString& pattern,
                                const ScanYield& yield) {
    AdmissionPool pool(pattern);
    return pool.collect(set, yield);
}

FolderScan ScanFolderFiles(const QString& folder, const QString& pattern, const ScanYield& yield,
                           const IdentitySet& passOver) {
    FolderScan scan;
    // An empty folder would make "/" and scan the whole root: it names no folder.
    if (folder.isEmpty()) {
        scan.failure = UserText::tr("Path not found");
        return scan;
    }
    FolderSet set{folder + QLatin1Char('/')};
    AdmissionPool pool(pattern);
    try {
        // Each folder's files are looked at as soon as the folder has been entered.
        scan::CollectSubfoldersNotifying(
            set, yield,
            [&pool](const QString& entry, scan::RawEntries&& files) {
                pool.submit(entry, std::move(files));
            },
            passOver, &scan.passedOverFolders);
    } catch (const StepError& e) {
        scan.failure = e.description();
    }
    scan.files = pool.collect(set, yield, &scan.passedOver);
    return scan;
}

}  // namespace eb
