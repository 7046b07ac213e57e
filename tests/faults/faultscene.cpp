#include "faultscene.h"
#include "paths/pathhelpers.h"

#include "faultfiles.h"

#include "engine/tools/tooldeploy.h"
#include "support/faketool.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <QtTest>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ebtest {

namespace {

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Decoded length of an audio file, remembered by checksum: thousands of identical copies
// are decoded once.
qsizetype DecodedLength(const QByteArray& sum, const QString& path) {
    static QHash<QByteArray, qsizetype> known;
    const auto it = known.constFind(sum);
    if (it != known.constEnd())
        return *it;
    const qsizetype length = decodeSamples(path).size();
    known.insert(sum, length);
    return length;
}

}  // namespace

bool Material::make() {
    QTemporaryDir tmp;
    const QString part = tmp.filePath(QStringLiteral("part.mp3"));
    if (!makeToneMp3(tmp.filePath(QStringLiteral("short.mp3")), 0.3) ||
        !makeToneMp3(part, 30.0, 330))
        return false;
    shortMp3 = readFile(tmp.filePath(QStringLiteral("short.mp3")));
    // A decoder reads consecutive MP3 streams as one: twenty of them make ten minutes.
    longMp3 = readFile(part).repeated(20);
    sox = eb::InstalledSox();
    return !shortMp3.isEmpty() && !longMp3.isEmpty() && !sox.isEmpty();
}

QString Damage::line(const char* frontEnd, const char* row, qsizetype entries) const {
    return QStringLiteral(
               "fault-suite | %1 | %2 | entries %3 | compared %4 | lost %5 | "
               "complete outputs %6 | half-written %7")
        .arg(QLatin1String(frontEnd), QString::fromUtf8(row))
        .arg(entries)
        .arg(compared)
        .arg(lost.size())
        .arg(decoded)
        .arg(halfWritten.size());
}

QString Damage::problems() const {
    QStringList all;
    for (const QString& path : lost)
        all << QStringLiteral("lost: ") + path;
    for (const QString& path : halfWritten)
        all << QStringLiteral("half-written: ") + path;
    for (const QString& path : missing)
        all << QStringLiteral("missing: ") + path;
    return all.join(u'\n');
}

Scene::Scene() {
    out = root() + QStringLiteral("/out");
    QDir().mkpath(out);
    toolFoldersBefore_ = toolFolders(eb::TemporaryFolder());
}

Scene::~Scene() {
    if (mounted_)
        ::umount2(QFile::encodeName(out).constData(), MNT_DETACH);
    if (dir_.isValid())
        RemoveBelow(root());
}

QString Scene::addInput(const QString& path, const QByteArray& bytes) {
    if (WriteAnyPath(path, bytes))
        kept_.insert(path, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    entries << path;
    return path;
}

QString Scene::addMissing(const QString& path) {
    entries << path;
    return path;
}

QString Scene::outputOf(const QString& input) const {
    QString base = input.mid(input.lastIndexOf(u'/') + 1);
    base.truncate(base.lastIndexOf(u'.'));
    return out + u'/' + base + QStringLiteral(".mp3");
}

void Scene::addEarlier(const QString& input, const QByteArray& bytes) {
    const QString path = outputOf(input);
    if (WriteAnyPath(path, bytes))
        kept_.insert(path, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void Scene::expectConverted(const QString& input) {
    kept_.remove(outputOf(input));
    expected_.insert(outputOf(input), input);
}

void Scene::expectFailure(const QString& input, const QString& reasonPattern) {
    failures.insert(input, reasonPattern);
}

bool Scene::mountSmallDisk(int kib, QString* why) {
    static bool privateNamespace = false;
    if (!privateNamespace) {
        // Only this thread, and the processes it starts, see the mounts from here on.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            *why = QStringLiteral("no private mount namespace: ") + ErrnoText();
            return false;
        }
        privateNamespace = true;
    }
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(out).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        *why = QStringLiteral("cannot mount a small file system: ") + ErrnoText();
        return false;
    }
    mounted_ = true;
    return true;
}

Damage Scene::inspect() const {
    Damage d;
    const QMap<QString, QByteArray> found = ChecksumsBelow(root());
    for (auto it = kept_.cbegin(); it != kept_.cend(); ++it) {
        ++d.compared;
        if (!found.contains(it.key()))
            d.lost << QStringLiteral("gone: ") + it.key();
        else if (found.value(it.key()) != it.value())
            d.lost << QStringLiteral("changed: ") + it.key();
    }
    for (auto it = expected_.cbegin(); it != expected_.cend(); ++it) {
        if (!found.contains(it.key())) {
            d.missing << it.key();
            continue;
        }
        const qsizetype made = DecodedLength(found.value(it.key()), it.key());
        const qsizetype wanted = DecodedLength(kept_.value(it.value()), it.value());
        if (made > 0 && wanted > 0 && made >= wanted * 95 / 100)
            ++d.decoded;
        else
            d.halfWritten << QStringLiteral("incomplete (%1 of %2 samples): %3")
                                 .arg(made)
                                 .arg(wanted)
                                 .arg(it.key());
    }
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (!kept_.contains(it.key()) && !expected_.contains(it.key()))
            d.halfWritten << QStringLiteral("stray: ") + it.key();
    }
    for (const QString& folder : toolFolders(eb::TemporaryFolder())) {
        if (!toolFoldersBefore_.contains(folder))
            d.halfWritten << QStringLiteral("tool folder left: ") + folder;
    }
    // A stopped tool may take a moment to be gone.
    QDeadlineTimer deadline(5000);
    QList<pid_t> running = ProcessesMentioning({root()});
    while (!running.isEmpty() && !deadline.hasExpired()) {
        QThread::msleep(20);
        running = ProcessesMentioning({root()});
    }
    for (pid_t pid : running)
        d.halfWritten << QStringLiteral("tool still running: pid %1").arg(pid);
    return d;
}

}  // namespace ebtest
