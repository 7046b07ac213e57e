#include "cli/clipaths.h"

#include "engine/pathhelpers.h"
#include "engine/pathtext.h"

namespace eb {

CliPaths ExpandCliPaths(const QStringList& arguments, const ScanYield& yield) {
    CliPaths result;
    bool folderGiven = false;
    for (const QString& path : arguments) {
        // A name that is not UTF-8 is taken as a file: its conversion refuses it by name.
        if (HasUndecodableBytes(path) || !IsFolder(path)) {
            result.files << path;
            continue;
        }
        folderGiven = true;
        const FolderScan scan = ScanFolderFiles(path, QStringLiteral("*.mp3"), yield);
        if (!scan.failure.isEmpty())
            result.errors << QStringLiteral("%1: the folder could not be scanned completely: %2")
                                 .arg(path, scan.failure);
        else
            result.files += scan.files;
        // Files passed over for their names are listed too, so the summary names them.
        result.files += scan.passedOver;
    }
    if (folderGiven && result.files.isEmpty() && result.errors.isEmpty())
        result.errors << QStringLiteral("no MP3 files found in the folders given");
    return result;
}

}  // namespace eb
