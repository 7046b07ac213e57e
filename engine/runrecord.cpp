#include "engine/runrecord.h"

#include "posix/dirstream.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QDir>
#include <QFile>
#include <QMutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace eb {

namespace {

// A record longer than this is not one of ours: it is read no further.
constexpr qsizetype kLongestRecord = 64 << 20;

const char* PrefixOf(MadeKind kind) {
    return kind == MadeKind::Temporary ? "temporaries-" : "toolfolders-";
}

QByteArray AbsoluteEnv(const char* name) {
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

// Makes the folder (mode 0700) unless it is there; usable only when it is the running user's
// own folder that nobody else may write to.
bool PrivateFolder(const QByteArray& path) {
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// This process's record of one kind: made at the first entry, removed when the process ends.
struct Journal {
    QMutex mutex;
    posix::UniqueFd fd;
    QByteArray path;
    bool tried = false;
    ~Journal() {
        if (fd)
            ::unlink(path.constData());
    }
};

Journal& JournalOf(MadeKind kind) {
    static std::array<Journal, 2> journals;
    return journals[kind == MadeKind::Temporary ? 0 : 1];
}

void OpenJournal(Journal& journal, MadeKind kind) {
    journal.tried = true;
    const QString folder = RecordFolder();
    if (folder.isEmpty())
        return;
    QByteArray name = QFile::encodeName(folder) + '/' + PrefixOf(kind) +
                      QByteArray::number(::getpid()) + "-XXXXXX";
    posix::UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC | O_APPEND));
    if (fd && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
        journal.fd = std::move(fd);
        journal.path = name;
    } else if (fd) {
        ::unlink(name.constData());
    }
}

// What the folders of our own hold: the tool, the preview's samples ("input-<n>.raw",
// "echo-<n>.raw") and the prepared copies of MP3 inputs ("input-XXXXXX.mp3").
bool LooksLikeToolFolderFile(const QByteArray& name) {
    if (name == "sox" || (name.size() == 16 && name.startsWith("input-") && name.endsWith(".mp3")))
        return true;
    const qsizetype dash = name.indexOf('-');
    const QByteArray stage = name.left(dash);
    const QByteArray number = name.mid(dash + 1, name.size() - dash - 5);
    return (stage == "input" || stage == "echo") && name.endsWith(".raw") && !number.isEmpty() &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void RemoveToolFolderFiles(int fd) {
    const posix::DirStream dir(
        posix::UniqueFd(::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (LooksLikeToolFolderFile(QByteArray(entry->d_name)))
            ::unlinkat(dir.fd(), entry->d_name, 0);
    }
}

struct Entry {
    FileIdentity id;
    QByteArray path;
};

// "<device> <inode> <path>"
std::optional<Entry> ParseEntry(const QByteArray& text) {
    const qsizetype first = text.indexOf(' ');
    const qsizetype second = text.indexOf(' ', first + 1);
    bool deviceOk = false;
    bool inodeOk = false;
    Entry entry{{text.left(first).toULongLong(&deviceOk),
                 text.mid(first + 1, second - first - 1).toULongLong(&inodeOk)},
                text.mid(second + 1)};
    if (first < 0 || second < 0 || !deviceOk || !inodeOk || !entry.path.startsWith('/'))
        return std::nullopt;
    return entry;
}

bool Matches(const struct stat& st, const FileIdentity& id) {
    return st.st_dev == id.device && st.st_ino == id.inode;
}

// Removes one entry when it is still what the run made and nobody uses it.
bool RemoveEntry(MadeKind kind, const Entry& entry, const IdentitySet& keep) {
    const bool file = kind == MadeKind::Temporary;
    const char* path = entry.path.constData();
    struct stat named {};
    if (keep.contains(entry.id) || ::lstat(path, &named) != 0 || !Matches(named, entry.id))
        return false;
    const int flags =
        file ? O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY : O_RDONLY | O_DIRECTORY | O_NOFOLLOW;
    const posix::UniqueFd fd(::open(path, flags | O_CLOEXEC));
    struct stat opened {};
    if (!fd || ::fstat(fd.get(), &opened) != 0 || !Matches(opened, entry.id) ||
        (opened.st_mode & S_IFMT) != (file ? S_IFREG : S_IFDIR) || opened.st_uid != ::geteuid() ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    if (file)
        return ::unlink(path) == 0;
    RemoveToolFolderFiles(fd.get());
    return ::rmdir(path) == 0;
}

QByteArray ReadRecord(int fd) {
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() < kLongestRecord) {
        const ssize_t n =
            posix::RetryOnEintr([&] { return ::pread(fd, buffer, sizeof buffer, bytes.size()); });
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

}  // namespace

QString RecordFolder() {
    QByteArray base = AbsoluteEnv("XDG_RUNTIME_DIR");
    if (base.isEmpty()) {
        base = AbsoluteEnv("XDG_STATE_HOME");
        if (base.isEmpty() && !AbsoluteEnv("HOME").isEmpty())
            base = AbsoluteEnv("HOME") + "/.local/state";
        if (base.isEmpty() || !QDir().mkpath(QFile::decodeName(base)))
            return QString();
    }
    const QByteArray folder = base + "/echobatch";
    return PrivateFolder(folder) ? QFile::decodeName(folder) : QString();
}

void RecordMade(MadeKind kind, int fd, const QByteArray& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return;
    Journal& journal = JournalOf(kind);
    const QMutexLocker lock(&journal.mutex);
    if (!journal.tried)
        OpenJournal(journal, kind);
    if (!journal.fd)
        return;
    const QByteArray entry = QByteArray::number(static_cast<quint64>(st.st_dev)) + ' ' +
                             QByteArray::number(static_cast<quint64>(st.st_ino)) + ' ' + path +
                             '\0';
    posix::WriteAll(journal.fd.get(), entry.constData(), entry.size());
}

int SweepAbandoned(MadeKind kind, const IdentitySet& keep) {
    const QString folder = RecordFolder();
    if (folder.isEmpty())
        return 0;
    const posix::DirStream dir = posix::DirStream::open(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* record = ::readdir(dir.get())) {
        if (!QByteArray(record->d_name).startsWith(PrefixOf(kind)))
            continue;
        // A record that its run still holds is that run's; ours included.
        const posix::UniqueFd fd(
            ::openat(dir.fd(), record->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        for (const QByteArray& text : ReadRecord(fd.get()).split('\0')) {
            if (const std::optional<Entry> entry = ParseEntry(text))
                removed += RemoveEntry(kind, *entry, keep) ? 1 : 0;
        }
        ::unlinkat(dir.fd(), record->d_name, 0);
    }
    return removed;
}

}  // namespace eb
