#include "filelist/fileattributes.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>
#include <vector>

namespace eb {

namespace {

// Kernel file systems that expose kernel state rather than files; a folder scan stays out.
constexpr std::array<std::string_view, 20> kPseudoFsNames = {
    "proc",       "sysfs",       "devtmpfs", "devpts",    "cgroup",   "cgroup2",   "debugfs",
    "securityfs", "tracefs",     "pstore",   "bpf",       "configfs", "fusectl",   "mqueue",
    "hugetlbfs",  "binfmt_misc", "efivarfs", "selinuxfs", "nsfs",     "rpc_pipefs"};

// The same file systems by their statfs type, for when the mount table cannot be read.
// devtmpfs reports the tmpfs type and is found through the mount table only.
constexpr std::array<unsigned long, 18> kPseudoFsMagics = {PROC_SUPER_MAGIC,
                                                           SYSFS_MAGIC,
                                                           DEVPTS_SUPER_MAGIC,
                                                           CGROUP_SUPER_MAGIC,
                                                           CGROUP2_SUPER_MAGIC,
                                                           DEBUGFS_MAGIC,
                                                           SECURITYFS_MAGIC,
                                                           TRACEFS_MAGIC,
                                                           PSTOREFS_MAGIC,
                                                           BPF_FS_MAGIC,
                                                           0x62656570 /* configfs */,
                                                           0x65735543 /* fusectl */,
                                                           0x19800202 /* mqueue */,
                                                           HUGETLBFS_MAGIC,
                                                           BINFMTFS_MAGIC,
                                                           EFIVARFS_MAGIC,
                                                           SELINUX_MAGIC,
                                                           NSFS_MAGIC};

bool IsPseudoName(std::string_view type) {
    return std::find(kPseudoFsNames.begin(), kPseudoFsNames.end(), type) != kPseudoFsNames.end();
}

// The path without its trailing separators; the root stays "/".
QString WithoutTrailingSlashes(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/')
        --end;
    return path.left(end);
}

}  // namespace

bool PseudoFsTable::isPseudo(unsigned long long device, const char* path) {
    if (!devices_) {
        devices_.emplace();
        // Each line: id parent major:minor root mount-point options... - type source options.
        QFile table(QStringLiteral("/proc/self/mountinfo"));
        if (table.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = table.readAll().split('\n');
            for (const QByteArray& line : lines) {
                const QList<QByteArray> fields = line.split(' ');
                const qsizetype dash = fields.indexOf(QByteArrayLiteral("-"));
                if (fields.size() < 3 || dash < 0 || dash + 1 >= fields.size())
                    continue;
                const QList<QByteArray> numbers = fields[2].split(':');
                const QByteArray& type = fields[dash + 1];
                if (numbers.size() != 2 ||
                    !IsPseudoName(std::string_view(type.constData(), size_t(type.size()))))
                    continue;
                devices_->push_back(makedev(numbers[0].toUInt(), numbers[1].toUInt()));
            }
        }
    }
    const auto& devices = *devices_;
    if (std::find(devices.begin(), devices.end(), device) != devices.end())
        return true;
    struct statfs fs {};
    if (statfs(path, &fs) != 0)
        return false;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return std::find(kPseudoFsMagics.begin(), kPseudoFsMagics.end(), type) != kPseudoFsMagics.end();
}

std::optional<int> FileAttributesWith(const QString& path, PseudoFsTable& table) {
    if (path.isEmpty() || path.contains(QChar(u'\0'))) {
        errno = ENOENT;
        return std::nullopt;
    }
    const QString trimmed = WithoutTrailingSlashes(path);
    const QByteArray raw = QFile::encodeName(trimmed);
    struct stat link {};
    if (lstat(raw.constData(), &link) != 0)
        return std::nullopt;

    int value = 0;
    const QString name = trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
    if (name.startsWith(u'.') && name != QLatin1String(".") && name != QLatin1String(".."))
        value |= kAttrHidden;

    struct stat target = link;
    bool haveTarget = true;
    if (S_ISLNK(link.st_mode)) {
        value |= kAttrAlias;
        haveTarget = stat(raw.constData(), &target) == 0;
    }
    if (haveTarget && S_ISDIR(target.st_mode)) {
        value |= kAttrDirectory;
        if (table.isPseudo(target.st_dev, raw.constData()))
            value |= kAttrSystem | kAttrHidden;
    } else if (haveTarget && S_ISREG(target.st_mode)) {
        value |= kAttrArchive;
    }
    if (faccessat(AT_FDCWD, raw.constData(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY))
        value |= kAttrReadOnly;
    return value;
}

std::optional<int> FileAttributes(const QString& path) {
    PseudoFsTable table;
    return FileAttributesWith(path, table);
}

bool IsRootFolder(const QString& path) {
    return !path.isEmpty() && WithoutTrailingSlashes(path) == QLatin1String("/");
}

bool MayDescend(int attributes, bool isRoot) {
    if (isRoot)
        return true;
    constexpr int kHiddenSystemFolder = kAttrDirectory | kAttrSystem | kAttrHidden;  // 22
    if (attributes == kHiddenSystemFolder || attributes == (kHiddenSystemFolder | kAttrAlias))
        return false;
    // A pseudo file system folder that the user may not write has the value 23 (or 1047);
    // it is still kept out, so a scan never wanders into kernel state.
    return (attributes & kAttrSystem) == 0;
}

}  // namespace eb
