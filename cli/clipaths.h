// Turns the PATH arguments into the list of files to convert.
#pragma once

#include "filelist/folderscan.h"

#include <QString>
#include <QStringList>

namespace eb {

struct CliPaths {
    QStringList files;   // in the order given; duplicates kept
    QStringList errors;  // one line per argument that cannot be used
    // Per file: the folder it lies in relative to the folder argument it was found through
    // ("live/1999" for music/live/1999/a.mp3 found through "music"); empty for a file given
    // as it is or lying in the folder argument itself. It may end before `files` does: the
    // files past its end lie in no subfolder.
    QStringList subfolders;
    // What the summary names once: the output folder met inside a folder argument and passed
    // over.
    QStringList notes;
};

// Files are taken as given. A folder stands for every MP3 file in it and in all folders below
// it, found as "Add All MP3 File(s) In Folder" finds them ("*.mp3" in any letter case, no "~"
// names, no plain hidden files, only files that can be opened), breadth-first. A folder whose
// scan stops short is an error, so a batch never runs on part of a folder unnoticed; so is a
// command line whose folders hold no MP3 file and that names no file either. The batch's own
// `outputFolder`, met inside a folder argument, is passed over with all below it, so a second
// run never takes the first run's outputs for inputs.
CliPaths ExpandCliPaths(const QStringList& arguments, const ScanYield& yield = {},
                        const QString& outputFolder = {});

// Keeps the files of part `shard` (from 1) of `shards`: a file's part follows from a fixed
// hash of the bytes of its subfolder, so every file of a folder lies in one part, the same on
// every machine and in every run; folders whose names differ only in their numbers ("Album 7",
// "Album 8") are spread evenly over the parts. A file given as it is lies in no subfolder: all
// such files form the part of the empty name, as they share the output folder itself.
void KeepShard(CliPaths& paths, int shard, int shards);

// The output folder of each file with `keepTree`: the file's subfolder below `outputFolder`.
// Without it none (every file goes to `outputFolder`).
QStringList OutputFoldersFor(const CliPaths& paths, const QString& outputFolder, bool keepTree);

}  // namespace eb
