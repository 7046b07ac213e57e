#include "engine/outputs/runrecord.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "paths/pathhelpers.h"
#include "posix/dirstream.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>

namespace eb {

namespace {

// A record longer than this is not one of ours: it is read no further.
constexpr qsizetype kLongestRecord = 64 << 20;
constexpr char kRecordsFolder[] = "echobatch";

const char* PrefixOf(MadeKind kind) {
    return kind == MadeKind::Temporary ? "temporaries-" : "toolfolders-";
}

QString ModeText(mode_t mode) {
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// The folder at `path`, open, when it is the running user's own and `othersMay` names no
// permission that others have on it (077 for a runtime folder: open to nobody else).
Result<posix::UniqueFd> OpenOwnFolder(const QByteArray& path, mode_t othersMay) {
    if (!path.startsWith('/'))
        return Failed{UserText::tr("it is not an absolute path")};
    posix::UniqueFd fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return Failed{ErrnoText(errno)};
    if (st.st_uid != ::geteuid())
        return Failed{UserText::tr("it belongs to another user")};
    if ((st.st_mode & othersMay) != 0)
        return Failed{UserText::tr("others may use it (mode %1)").arg(ModeText(st.st_mode))};
    return fd;
}

// The records folder in `parent`, made when it is not there and opened without following a
// link; it must be the user's own, open to nobody else.
Result<posix::UniqueFd> OpenRecordsIn(int parent) {
    if (::mkdirat(parent, kRecordsFolder, 0700) != 0 && errno != EEXIST)
        return Failed{ErrnoText(errno)};
    posix::UniqueFd fd(
        ::openat(parent, kRecordsFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return Failed{errno == ELOOP || errno == ENOTDIR ? UserText::tr("it is not a folder")
                                                         : ErrnoText(errno)};
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
        return Failed{UserText::tr("it is not the user's own private folder")};
    return fd;
}

// Where this process keeps its records, found once: the environment does not change under it.
struct RecordPlace {
    posix::UniqueFd folder;  // the records folder, open; none when no folder can be used
    QString path;
    QString note;      // why $XDG_RUNTIME_DIR was passed over
    QString unusable;  // why no records folder can be used
};

QByteArray StateHome() {
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (state.startsWith('/'))
        return state;
    const QByteArray home = qgetenv("HOME");
    return home.startsWith('/') ? home + "/.local/state" : QByteArray();
}

RecordPlace FindPlace() {
    RecordPlace place;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray base = runtime;
    Result<posix::UniqueFd> parent = Failed{QString()};
    if (!runtime.isEmpty())
        parent = OpenOwnFolder(runtime, 077);
    const QString passedOver = runtime.isEmpty() || parent ? QString() : parent.error();
    if (!parent) {
        base = StateHome();
        if (base.isEmpty()) {
            parent = Failed{UserText::tr("neither XDG_STATE_HOME nor HOME is set")};
        } else {
            QDir().mkpath(QFile::decodeName(base));
            parent = OpenOwnFolder(base, 022);
        }
    }
    const QString folder = QFile::decodeName(base + '/' + kRecordsFolder);
    Result<posix::UniqueFd> records = parent ? OpenRecordsIn(parent->get()) : Failed{QString()};
    if (records) {
        place.folder = std::move(*records);
        place.path = folder;
    } else {
        place.unusable = UserText::tr("the records folder %1 cannot be used: %2")
                             .arg(folder, parent ? records.error() : parent.error());
    }
    if (!passedOver.isEmpty())
        place.note = UserText::tr(
                         "XDG_RUNTIME_DIR %1 is passed over (%2); run records are "
                         "kept in %3")
                         .arg(QFile::decodeName(runtime), passedOver,
                              place.path.isEmpty() ? UserText::tr("no folder") : place.path);
    return place;
}

const RecordPlace& Place() {
    static const RecordPlace kPlace = FindPlace();
    return kPlace;
}

// This process's record of one kind: made at the first entry, removed when the process ends.
struct Journal {
    QMutex mutex;
    posix::UniqueFd fd;
    posix::UniqueFd folder;  // the records folder, its own descriptor
    QByteArray name;
    off_t size = 0;
    ~Journal() {
        if (fd)
            ::unlinkat(folder.get(), name.constData(), 0);
    }
};

Journal& JournalOf(MadeKind kind) {
    static std::array<Journal, 2> journals;
    return journals[kind == MadeKind::Temporary ? 0 : 1];
}

QByteArray RandomPart() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray part(6, '0');
    for (char& c : part)
        c = kLetters[QRandomGenerator::global()->bounded(62)];
    return part;
}

Result<> OpenJournal(Journal& journal, MadeKind kind) {
    const RecordPlace& place = Place();
    if (!place.folder)
        return Failed{place.unusable};
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name =
            PrefixOf(kind) + QByteArray::number(::getpid()) + '-' + RandomPart();
        posix::UniqueFd fd(::openat(place.folder.get(), name.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC,
                                    0600));
        if (!fd && errno == EEXIST)
            continue;
        if (!fd)
            return Failed{ErrnoText(errno)};
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::unlinkat(place.folder.get(), name.constData(), 0);
            return Failed{ErrnoText(error)};
        }
        journal.folder.reset(::fcntl(place.folder.get(), F_DUPFD_CLOEXEC, 0));
        journal.fd = std::move(fd);
        journal.name = name;
        journal.size = 0;
        return {};
    }
    return Failed{ErrnoText(EEXIST)};
}

bool IsRandomPart(const QByteArray& part) {
    return part.size() == 6 && std::all_of(part.begin(), part.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// What the folders of our own hold: the tool, the preview's samples ("input-<n>.raw",
// "echo-<n>.raw") and, left by earlier versions, prepared copies of MP3 inputs
// ("input-XXXXXX.mp3").
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

// An entry is acted on only when it names what the program makes where it makes it: a hidden
// temporary by its name, a tool folder by its name inside the temporary folder.
bool IsOurs(MadeKind kind, const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (!IsMadeName(kind, path.mid(slash + 1)))
        return false;
    if (kind == MadeKind::Temporary)
        return true;
    const std::optional<FileIdentity> temp = IdentityOf(TemporaryFolder());
    return temp && IdentityOf(QFile::decodeName(slash > 0 ? path.left(slash) : "/")) == temp;
}

// Removes one entry when it is still what the run made and nobody uses it.
bool RemoveEntry(MadeKind kind, const Entry& entry, const IdentitySet& keep) {
    const bool file = kind == MadeKind::Temporary;
    const char* path = entry.path.constData();
    struct stat named {};
    if (keep.contains(entry.id) || !IsOurs(kind, entry.path) || ::lstat(path, &named) != 0 ||
        !Matches(named, entry.id))
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

bool IsMadeName(MadeKind kind, const QByteArray& name) {
    if (kind == MadeKind::ToolFolder)
        return name.size() == 16 && name.startsWith("echobatch-") && IsRandomPart(name.mid(10));
    const qsizetype at = name.size() - 21;  // ".echobatch-XXXXXX.mp3"
    return at >= 1 && name.startsWith('.') && name.mid(at, 11) == ".echobatch-" &&
           IsRandomPart(name.mid(at + 11, 6)) && name.endsWith(".mp3");
}

QString RecordFolder() {
    return Place().path;
}

QString TakeRecordFolderNote() {
    static std::atomic_flag taken = ATOMIC_FLAG_INIT;
    return taken.test_and_set() ? QString() : Place().note;
}

SaidResult<> RecordMade(MadeKind kind, int fd, const QByteArray& path) {
    auto failed = [kind](const auto& why) {
        return Failed{InBoth([&] {
            return (kind == MadeKind::Temporary
                        ? UserText::tr("cannot keep a record of the temporary file: ")
                        : UserText::tr("cannot keep a record of the tool folder: ")) +
                   why();
        })};
    };
    struct stat st {};
    if (const int error = ::fstat(fd, &st) != 0 ? errno : 0; error != 0)
        return failed([error] { return ErrnoText(error); });
    Journal& journal = JournalOf(kind);
    const QMutexLocker lock(&journal.mutex);
    if (!journal.fd) {
        if (const Result<> opened = OpenJournal(journal, kind); !opened)
            return failed([&] { return opened.error(); });
    }
    const QByteArray entry = QByteArray::number(static_cast<quint64>(st.st_dev)) + ' ' +
                             QByteArray::number(static_cast<quint64>(st.st_ino)) + ' ' + path +
                             '\0';
    if (!posix::WriteAll(journal.fd.get(), entry.constData(), entry.size())) {
        // A half-written entry is cut off again, so the next one starts clean.
        const int error = errno;
        posix::RetryOnEintr([&] { return ::ftruncate(journal.fd.get(), journal.size); });
        return failed([error] { return ErrnoText(error); });
    }
    journal.size += static_cast<off_t>(entry.size());
    return {};
}

int SweepAbandoned(MadeKind kind, const IdentitySet& keep) {
    const RecordPlace& place = Place();
    if (!place.folder)
        return 0;
    const posix::DirStream dir(
        posix::UniqueFd(::openat(place.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* record = ::readdir(dir.get())) {
        if (!QByteArray(record->d_name).startsWith(PrefixOf(kind)))
            continue;
        // A record that its run still holds is that run's; ours included.
        const posix::UniqueFd fd(
            ::openat(dir.fd(), record->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
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
