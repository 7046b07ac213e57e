#include "engine/tooldeploy.h"

#include "engine/pathhelpers.h"
#include "shell/steps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace eb {

namespace {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString AbsoluteFrom(const QString& path) {
    return path.startsWith(QLatin1Char('/')) ? path : QDir::currentPath() + u'/' + path;
}

bool OthersMayWrite(const QByteArray& folder) {
    struct stat st {};
    return ::stat(folder.constData(), &st) != 0 || (st.st_mode & S_IWOTH) != 0;
}

QString MakePrivateFolder(const QString& parent) {
    QByteArray pattern = QFile::encodeName(parent);
    if (!pattern.endsWith('/'))
        pattern += '/';
    pattern += "echobatch-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw StepError(
            QStringLiteral("Cannot make a private folder in %1: %2").arg(parent, ErrnoText(errno)));
    }
    return QFile::decodeName(pattern);
}

bool MountedNoExec(const QString& folder) {
    struct statvfs vfs {};
    return ::statvfs(QFile::encodeName(folder).constData(), &vfs) == 0 &&
           (vfs.f_flag & ST_NOEXEC) != 0;
}

}  // namespace

QString ToolSet::program() const {
    return runInstalled || deployed.isEmpty() ? installed : deployed;
}

bool ToolSet::fallBack() {
    if (runInstalled || deployed.isEmpty() || installed.isEmpty())
        return false;
    runInstalled = true;
    return true;
}

QString TemporaryFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    return temp.isEmpty() ? QDir::tempPath() : temp;
}

QString InstalledSox() {
    const QString named = qEnvironmentVariable("ECHOBATCH_SOX");
    if (!named.isEmpty())
        return AbsoluteFrom(named);
    const QByteArray path = qgetenv("PATH");
    for (const QByteArray& folder : path.split(':')) {
        if (!folder.startsWith('/') || OthersMayWrite(folder))
            continue;
        const QByteArray candidate = folder + (folder.endsWith('/') ? "sox" : "/sox");
        struct stat st {};
        if (::stat(candidate.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.constData(), X_OK) == 0)
            return QFile::decodeName(candidate);
    }
    return QString();
}

void WriteBytesIfAbsent(const QByteArray& data, const QString& path, int permissions) {
    QCoreApplication::processEvents();
    if (FileExists(path))
        return;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          static_cast<mode_t>(permissions));
    if (fd < 0) {
        if (errno == EEXIST)
            return;
        throw StepError(QStringLiteral("Cannot write %1: %2").arg(path, ErrnoText(errno)));
    }
    qsizetype done = 0;
    int error = 0;
    while (done < data.size() && error == 0) {
        const ssize_t n =
            ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fchmod(fd, static_cast<mode_t>(permissions)) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.constData());
        throw StepError(QStringLiteral("Cannot write %1: %2").arg(path, ErrnoText(error)));
    }
}

ToolSet DeployTools(StepRunner& steps) {
    ToolSet tools;
    QByteArray bytes;
    const bool loaded = steps.step(104, [&] {
        tools.installed = InstalledSox();
        if (tools.installed.isEmpty())
            throw StepError(QStringLiteral(
                "SoX was not found on PATH (install the sox and libsox-fmt-mp3 packages)"));
        QFile source(tools.installed);
        if (!source.open(QIODevice::ReadOnly))
            throw StepError(
                QStringLiteral("Cannot read %1: %2").arg(tools.installed, source.errorString()));
        bytes = source.readAll();
    });
    QString target;
    bool present = false;
    const bool located = steps.step(106, [&] {
        tools.folder = MakePrivateFolder(TemporaryFolder());
        target = tools.folder + QStringLiteral("/sox");
        present = FileExists(target);
    });
    if (located && present) {
        tools.deployed = target;
    } else if (located && loaded) {
        if (steps.step(108, [&] { WriteBytesIfAbsent(bytes, target); }))
            tools.deployed = target;
    }
    if (!tools.folder.isEmpty() && MountedNoExec(tools.folder))
        tools.runInstalled = true;
    return tools;
}

void RemoveTools(StepRunner& steps, ToolSet& tools) {
    steps.step(168, [&] {
        if (!tools.deployed.isEmpty())
            DeleteFileQuiet(tools.deployed);
        if (!tools.folder.isEmpty())
            ::rmdir(QFile::encodeName(tools.folder).constData());
    });
    tools.deployed.clear();
    tools.folder.clear();
}

}  // namespace eb
