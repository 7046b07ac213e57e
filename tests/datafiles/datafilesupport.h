// Helpers for the data file tests: where the files are, the fixed header of icon and cursor
// files, and installing the build tree.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ebtest {

// data/ in the source tree.
QString dataDir();

// The files the build copies beside the program, relative to data/.
QStringList besideFiles();

// The fixed part of an icon or cursor file: its type (1 icon, 2 cursor), the number of images
// and the first entry's two 16-bit fields, which hold the hotspot in a cursor.
struct IconHeader {
    int type = -1;
    int count = 0;
    int field1 = -1;
    int field2 = -1;
};
IconHeader readIconHeader(const QByteArray& bytes);

// Runs `cmake --install` on this build tree into `prefix`, staged under `destDir` when it is
// not empty; returns the exit code (-1 when cmake did not run or crashed) and its output.
int installBuild(const QString& prefix, const QString& destDir, QByteArray* log);

}  // namespace ebtest
