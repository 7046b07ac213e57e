#include "cli/clipaths.h"

#include "core/usertext.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"

#include <array>
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

// murmur3's finishing mix: every bit of the result depends on every bit of `h`.
std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 33);
}

// Where a folder's name falls on [0, 2^64): the words of the name (FNV-1a over every byte but
// the digits, mixed) place it at random, and each number in it moves it by the number's value
// times an irrational fraction of the whole (the golden ratio for the first number, the plastic
// number's for the next two). Names that differ only in their numbers, as albums, discs and
// years of one collection do ("Artist 7 - Album 7", "Album 07"), so step along a golden-ratio
// sequence and fill every part evenly, which a plain hash leaves to chance.
std::uint64_t FolderPlace(const QByteArray& name) {
    constexpr std::array<std::uint64_t, 3> kSteps{0x9e3779b97f4a7c15ULL, 0xc13fa9a902a6328fULL,
                                                  0x91e10da5c79e7b1dULL};
    std::uint64_t words = 14695981039346656037ULL;
    std::uint64_t moved = 0;
    std::uint64_t number = 0;
    std::size_t numbers = 0;
    bool inNumber = false;
    auto addByte = [&](unsigned char c) { words = (words ^ c) * 1099511628211ULL; };
    for (qsizetype k = 0; k <= name.size(); ++k) {
        const auto c = static_cast<unsigned char>(k < name.size() ? name[k] : '\0');
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            inNumber = true;
            continue;
        }
        if (inNumber) {
            addByte('#');  // "Album 7" is not "Album"
            moved += number * (numbers < kSteps.size() ? kSteps[numbers] : Mix(numbers) | 1U);
            ++numbers;
            number = 0;
            inNumber = false;
        }
        if (k < name.size())
            addByte(c);
    }
    return Mix(words) + moved;
}

}  // namespace

void KeepShard(CliPaths& paths, int shard, int shards) {
    QStringList files;
    QStringList subfolders;
    for (qsizetype k = 0; k < paths.files.size(); ++k) {
        const QString sub = paths.subfolders.value(k);
        // The part is read from the place's top 32 bits, which depend on every byte of the name
        // (N is at most a million, so the product fits).
        const std::uint64_t top = FolderPlace(EncodePathBytes(sub)) >> 32;
        if ((top * static_cast<std::uint64_t>(shards)) >> 32 ==
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
