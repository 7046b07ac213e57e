#include "filelist/folderscan.h"

#include "core/steps.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "filelist/naturalsort.h"
#include "filelist/scansupport.h"
#include "posix/dirstream.h"

#include <QFile>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

namespace eb {

namespace {

using scan::IsDotOrDotDot;

QString DescribeLookupFailure(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return UserText::tr("Path not found");
    if (error == EACCES || error == EPERM)
        return UserText::tr("Permission denied");
    return ErrnoText(error);
}

class Collector {
public:
    Collector(const ScanYield& yield, scan::EnteredFn onEntered, IdentitySet passOver = {},
              QStringList* passed = nullptr)
        : pacer_(yield),
          onEntered_(std::move(onEntered)),
          passOver_(std::move(passOver)),
          passed_(passed) {}

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
        posix::UniqueFd fd(open(raw.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd)
            return errno == EACCES || errno == EPERM ? Outcome::Removed : Outcome::Entered;
        const posix::DirStream stream(std::move(fd));
        if (!stream)
            return Outcome::Entered;
        struct stat st {};
        if (fstat(stream.fd(), &st) != 0)
            return Outcome::Entered;
        // A folder to pass over (the batch's own output folder) leaves the set, named.
        if (passOver_.contains({quint64(st.st_dev), quint64(st.st_ino)})) {
            if (passed_)
                passed_->append(folder);
            return Outcome::Removed;
        }
        // A second path to a folder already entered (a link loop, a bind mount) leaves the set.
        if (entered_.contains({quint64(st.st_dev), quint64(st.st_ino)}))
            return Outcome::Removed;
        entered_.insert({quint64(st.st_dev), quint64(st.st_ino)});
        // Names that may be read but not searched cannot be looked at: as good as no listing.
        if (faccessat(stream.fd(), ".", X_OK, AT_EACCESS) != 0 && errno == EACCES)
            return Outcome::Removed;

        QStringList names;
        scan::RawEntries files;
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
            if (!isFolder) {
                if (onEntered_)
                    files.add(entry->d_name, entry->d_type);
            } else if (!HasUnsafeNameBytes(QByteArrayView(entry->d_name))) {
                names.append(QFile::decodeName(entry->d_name));
            }
        }
        NaturalSort(names);
        const QString prefix = folder.endsWith(u'/') ? folder : folder + QLatin1Char('/');
        for (const QString& name : std::as_const(names))
            found.append(prefix + name + QLatin1Char('/'));
        if (onEntered_)
            onEntered_(folder, std::move(files));
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

    scan::Pacer pacer_;
    scan::EnteredFn onEntered_;
    PseudoFsTable table_;
    QSet<QPair<quint64, quint64>> entered_;
    IdentitySet passOver_;
    QStringList* passed_;
};

}  // namespace

void CollectSubfolders(FolderSet& set, bool recurse, const ScanYield& yield) {
    Collector(yield, {}).run(set, recurse);
}

namespace scan {

void CollectSubfoldersNotifying(FolderSet& set, const ScanYield& yield, const EnteredFn& onEntered,
                                const IdentitySet& passOver, QStringList* passed) {
    Collector(yield, onEntered, passOver, passed).run(set, true);
}

}  // namespace scan

}  // namespace eb
