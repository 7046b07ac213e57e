// File-system and process helpers of the fault cases that plain Qt calls cannot do: folders
// and files at any path length (beyond the system's limit too), checksums of a whole tree,
// processes found by their command line, a lowered file-size limit.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace ebtest {

// Creates a folder path of exactly `length` characters below `base` (components of up to 200
// characters), also beyond the system's path limit. Empty when it cannot.
QString DeepFolder(const QString& base, int length);
bool WriteAnyPath(const QString& path, const QByteArray& bytes);

// Every file below `root` (relative names joined to it) with its SHA-256; entries that are
// neither files nor folders get an empty checksum. Works at any depth.
QMap<QString, QByteArray> ChecksumsBelow(const QString& root);
// Every entry below `root` by its raw path (root + "/" + names as the system has them), at any
// depth: regular files with their SHA-256, folders (ending with "/") with none, other entries
// with "special".
QMap<QByteArray, QByteArray> EntriesBelow(const QString& root);
// Removes everything below `root`, at any depth.
void RemoveBelow(const QString& root);

// A whole text matched against a pattern in which "*" stands for any characters, "?" for one.
bool MatchesPattern(const QString& text, const QString& pattern);

// Lowers this process's file-size limit until destroyed; the processes it starts inherit it.
class FileSizeCap {
public:
    explicit FileSizeCap(quint64 bytes);
    ~FileSizeCap();
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    quint64 before_ = 0;
};

// Processes (not this one) whose command line or open files hold every one of `needles`.
QList<pid_t> ProcessesMentioning(const QStringList& needles);
// A hidden temporary output in `folder` that the tool has begun to fill.
bool ToolIsWriting(const QString& folder);

}  // namespace ebtest
