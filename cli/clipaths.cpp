#include "cli/clipaths.h"

#include "core/usertext.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"

#include <cstdint>

namespace eb {

namespace {

// The folder of `file` relative to the scanned `folder`. The scan builds each path as the
// folder, "/" and the names below it, with every "//" made "/".
QString SubfolderOf(const QString& file, QString folder) {
    folder += u'/';
    while (folder.contains(QStringLiteral("//")))
        folder.replace(QStringLiteral("//"), QStringLiteral("/"));
    if (!file.startsWith(folder))
        return QString();
    const QString rest = file.mid(folder.size());
    return rest.left(qMax<qsizetype>(rest.lastIndexOf(u'/'), 0));
}

std::uint64_t StableHash(const QByteArray& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

}  // namespace

void KeepShard(CliPaths& paths, int shard, int shards) {
    QStringList files;
    QStringList subfolders;
    for (qsizetype k = 0; k < paths.files.size(); ++k) {
        const QString sub = paths.subfolders.value(k);
        if (StableHash(EncodePathBytes(sub)) % static_cast<std::uint64_t>(shards) ==
            static_cast<std::uint64_t>(shard - 1)) {
            files << paths.files[k];
            subfolders << sub;
        }
    }
    paths.files = files;
    paths.subfolders = subfolders;
}

CliPaths ExpandCliPaths(const QStringList& arguments, const ScanYield& yield,
                        const QString& outputFolder) {
    CliPaths result;
    bool folderGiven = false;
    IdentitySet passOver;
    if (const auto out = IdentityOf(outputFolder))
        passOver.insert(*out);
    for (const QString& path : arguments) {
        // A name that is not UTF-8 is taken as a file: its conversion refuses it by name.
        if (HasUndecodableBytes(path) || !IsFolder(path)) {
            result.files << path;  // in no subfolder: the list of those may stay short
            continue;
        }
        folderGiven = true;
        const FolderScan scan = ScanFolderFiles(path, QStringLiteral("*.mp3"), yield, passOver);
        for (QString passed : scan.passedOverFolders) {
            if (passed.size() > 1 && passed.endsWith(u'/'))
                passed.chop(1);
            result.notes << UserText::tr("%1: passed over: it is the output folder").arg(passed);
        }
        if (!scan.failure.isEmpty()) {
            result.errors << UserText::tr("%1: the folder could not be scanned completely: %2")
                                 .arg(path, scan.failure);
            continue;
        }
        result.subfolders.resize(result.files.size());
        result.files += scan.files;
        for (const QString& file : scan.files)
            result.subfolders << SubfolderOf(file, path);
        // Files passed over for their names are listed too, so the summary names them.
        result.files += scan.passedOver;
        for (const QString& file : scan.passedOver)
            result.subfolders << SubfolderOf(file, path);
    }
    if (folderGiven && result.files.isEmpty() && result.errors.isEmpty())
        result.errors << UserText::tr("no MP3 files found in the folders given");
    return result;
}

QStringList OutputFoldersFor(const CliPaths& paths, const QString& outputFolder, bool keepTree) {
    QStringList folders;
    if (!keepTree)
        return folders;
    for (qsizetype k = 0; k < paths.files.size(); ++k) {
        const QString sub = keepTree ? paths.subfolders.value(k) : QString();
        if (sub.isEmpty())
            folders << outputFolder;
        else
            folders << (outputFolder.endsWith(u'/') ? outputFolder : outputFolder + u'/') + sub;
    }
    return folders;
}

}  // namespace eb
