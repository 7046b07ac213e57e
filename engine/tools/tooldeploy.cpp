#include "engine/tools/tooldeploy.h"

#include "core/steps.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/outputs/runrecord.h"
#include "paths/filesafety.h"
#include "paths/pathhelpers.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "process/toolrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace eb {

namespace {

QString AbsoluteFrom(const QString& path) {
    return path.startsWith(QLatin1Char('/')) ? path : QDir::currentPath() + u'/' + path;
}

QByteArray Resolved(const QByteArray& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

// Makes the private folder and opens it. A folder that is not the running user's own with
// mode 0700 by the time it is open was put there by someone else: it is refused.
void MakePrivateFolder(const QString& parent, ToolSet& tools) {
    QByteArray pattern = QFile::encodeName(parent);
    if (!pattern.endsWith('/'))
        pattern += '/';
    pattern += "echobatch-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw StepError(
            UserText::tr("Cannot make a private folder in %1: %2").arg(parent, ErrnoText(errno)));
    }
    posix::UniqueFd fd(
        ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    // Locked while the batch lives: a later batch removes it only once nobody holds it.
    if (!fd || ::fstat(fd.get(), &st) != 0 || st.st_uid != ::geteuid() ||
        (st.st_mode & 07777) != 0700 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        throw StepError(UserText::tr("Cannot use the private folder %1: it was replaced")
                            .arg(QFile::decodeName(pattern)));
    }
    // What cannot be recorded is not kept: a killed batch would leave it for good.
    if (const SaidResult<> recorded =
            RecordMade(MadeKind::ToolFolder, fd.get(),
                       QFile::encodeName(AbsoluteFrom(QFile::decodeName(pattern))));
        !recorded) {
        ::rmdir(pattern.constData());
        throw StepError(recorded.error().text);
    }
    tools.folder = QFile::decodeName(pattern);
    tools.folderFd = std::move(fd);
}

// Writes all of `data` to `fd`, gives it `mode` and closes it; the first error, or 0.
int WriteAllAndClose(posix::UniqueFd fd, const QByteArray& data, mode_t mode) {
    int error = 0;
    if (!posix::WriteAll(fd.get(), data.constData(), data.size()) || ::fchmod(fd.get(), mode) != 0)
        error = errno;
    if (!fd.close() && error == 0)
        error = errno;
    return error;
}

// Writes the tool into the private folder (through the folder's descriptor, so a renamed or
// replaced path cannot redirect it) and returns the written file, open read-only.
posix::UniqueFd WriteTool(const QByteArray& data, const ToolSet& tools, const QString& shown) {
    QCoreApplication::processEvents();
    const int folder = tools.folderFd.get();
    posix::UniqueFd fd(
        ::openat(folder, "sox", O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (!fd)
        throw StepError(UserText::tr("Cannot write %1: %2").arg(shown, ErrnoText(errno)));
    int error = WriteAllAndClose(std::move(fd), data, 0700);
    posix::UniqueFd readable(error == 0 ? ::openat(folder, "sox", O_RDONLY | O_NOFOLLOW | O_CLOEXEC)
                                        : -1);
    if (error == 0 && !readable)
        error = errno;
    if (error != 0) {
        ::unlinkat(folder, "sox", 0);
        throw StepError(UserText::tr("Cannot write %1: %2").arg(shown, ErrnoText(error)));
    }
    return readable;
}

// The installed SoX, open. The file opened must be the one that was checked.
posix::UniqueFd OpenInstalledSox(const QString& path) {
    Result<posix::UniqueFd> fd = OpenRegularFile(QFile::encodeName(path));
    if (!fd)
        throw StepError(UserText::tr("Cannot read %1: %2").arg(path, fd.error()));
    struct stat opened {};
    struct stat named {};
    if (qEnvironmentVariableIsEmpty("ECHOBATCH_SOX") &&
        (::fstat(fd->get(), &opened) != 0 ||
         ::stat(QFile::encodeName(path).constData(), &named) != 0 ||
         opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)) {
        throw StepError(UserText::tr("Cannot read %1: it changed while it was checked").arg(path));
    }
    return std::move(*fd);
}

QByteArray ReadAll(int fd, const QString& path) {
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n =
            posix::RetryOnEintr([&] { return ::pread(fd, buffer, sizeof buffer, bytes.size()); });
        if (n > 0)
            bytes.append(buffer, n);
        else if (n == 0)
            return bytes;
        else
            throw StepError(UserText::tr("Cannot read %1: %2").arg(path, ErrnoText(errno)));
    }
}

}  // namespace

QString ToolSet::program() const {
    return runInstalled || deployed.isEmpty() ? installed : deployed;
}

int ToolSet::programFd() const {
    return (runInstalled || deployed.isEmpty() ? installedFd : deployedFd).get();
}

bool ToolSet::fallBack() {
    if (runInstalled || deployed.isEmpty() || installed.isEmpty())
        return false;
    runInstalled = true;
    return true;
}

ToolStart StartTool(ToolRun& run, ToolSet& tools, const QStringList& args) {
    ToolStart start{tools.program()};
    run.setExecutable(tools.programFd());
    start.started = run.start(start.program, args);
    if (start.started || !tools.fallBack())
        return start;
    start.program = tools.program();
    run.setExecutable(tools.programFd());
    start.started = run.start(start.program, args);
    return start;
}

Result<QString> FindInstalledSox() {
    const QString named = qEnvironmentVariable("ECHOBATCH_SOX");
    if (!named.isEmpty())
        return AbsoluteFrom(named);
    const QByteArray path = qgetenv("PATH");
    QStringList passedOver;
    for (const QByteArray& folder : path.split(':')) {
        if (!folder.startsWith('/'))
            continue;
        const QByteArray candidate = folder + (folder.endsWith('/') ? "sox" : "/sox");
        struct stat st {};
        if (::stat(candidate.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            ::access(candidate.constData(), X_OK) != 0)
            continue;
        // Both the name on PATH and the file it leads to must be beyond other users' reach.
        const QByteArray file = Resolved(candidate);
        if (file.isEmpty() || OthersMayChange(Resolved(folder) + "/.") || OthersMayChange(file)) {
            passedOver << QFile::decodeName(candidate);
            continue;
        }
        return QFile::decodeName(file);
    }
    QString why = UserText::tr("SoX was not found on PATH (%1) and ECHOBATCH_SOX is not set")
                      .arg(QFile::decodeName(path));
    if (!passedOver.isEmpty())
        why += UserText::tr("; passed over because other users could change them: ") +
               passedOver.join(QStringLiteral(", "));
    why += UserText::tr(" (install the sox and libsox-fmt-mp3 packages)");
    return Failed{why};
}

QString InstalledSox() {
    return FindInstalledSox().valueOr(QString());
}

void WriteBytesIfAbsent(const QByteArray& data, const QString& path, int permissions) {
    QCoreApplication::processEvents();
    if (FileExists(path))
        return;
    const QByteArray name = QFile::encodeName(path);
    posix::UniqueFd fd(::open(name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              static_cast<mode_t>(permissions)));
    if (!fd) {
        if (errno == EEXIST)
            return;
        throw StepError(UserText::tr("Cannot write %1: %2").arg(path, ErrnoText(errno)));
    }
    const int error = WriteAllAndClose(std::move(fd), data, static_cast<mode_t>(permissions));
    if (error != 0) {
        ::unlink(name.constData());
        throw StepError(UserText::tr("Cannot write %1: %2").arg(path, ErrnoText(error)));
    }
}

ToolSet DeployTools(StepRunner& steps) {
    ToolSet tools;
    QByteArray bytes;
    auto find = [](ToolSet& found, QByteArray& read) {
        const Result<QString> installed = FindInstalledSox();
        if (!installed)
            throw StepError(installed.error());
        found.installed = *installed;
        found.installedFd = OpenInstalledSox(found.installed);
        read = ReadAll(found.installedFd.get(), found.installed);
    };
    const bool loaded = steps.step(104, [&] {
        try {
            find(tools, bytes);
        } catch (const StepError& e) {
            // A tool that could not be checked and read is never run by its path either. The
            // look is made again in English for the reason's English (it changes nothing).
            tools.missing.text = e.description();
            try {
                const EnglishTexts english;
                ToolSet again;
                QByteArray unused;
                find(again, unused);
            } catch (const StepError& inEnglish) {
                tools.missing.english = inEnglish.description();
            }
            tools.installed.clear();
            tools.installedFd.reset();
            throw;
        }
    });
    QString temp;
    steps.step(106, [&] {
        temp = TemporaryFolder();
        SweepAbandoned(MadeKind::ToolFolder);
    });
    if (loaded) {
        steps.step(108, [&] {
            MakePrivateFolder(temp, tools);
            tools.deployedFd = WriteTool(bytes, tools, tools.folder + QStringLiteral("/sox"));
            tools.deployed = tools.folder + QStringLiteral("/sox");
        });
    }
    struct statvfs vfs {};
    if (tools.folderFd && ::fstatvfs(tools.folderFd.get(), &vfs) == 0 && (vfs.f_flag & ST_NOEXEC))
        tools.runInstalled = true;
    return tools;
}

namespace {

// The copy, then its private folder (only when the path still leads to the folder that was
// made).
void RemoveToolFiles(const ToolSet& tools) {
    if (tools.folderFd && !tools.deployed.isEmpty())
        ::unlinkat(tools.folderFd.get(), "sox", 0);
    struct stat made {};
    struct stat named {};
    if (tools.folderFd && ::fstat(tools.folderFd.get(), &made) == 0 &&
        ::lstat(QFile::encodeName(tools.folder).constData(), &named) == 0 &&
        made.st_dev == named.st_dev && made.st_ino == named.st_ino)
        ::rmdir(QFile::encodeName(tools.folder).constData());
}

void CloseTools(ToolSet& tools) {
    tools.folderFd.reset();
    tools.deployedFd.reset();
    tools.installedFd.reset();
    tools.deployed.clear();
    tools.folder.clear();
}

}  // namespace

void RemoveTools(StepRunner& steps, ToolSet& tools) {
    steps.step(168, [&] {
        QCoreApplication::processEvents();
        RemoveToolFiles(tools);
    });
    CloseTools(tools);
}

void DiscardTools(ToolSet& tools) {
    RemoveToolFiles(tools);
    CloseTools(tools);
}

}  // namespace eb
