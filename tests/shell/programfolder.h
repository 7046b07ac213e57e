// A scratch program folder for window tests: the window is pointed at it, and a test puts in it
// the data files (or broken ones) that it wants beside the program.
#pragma once

#include "shell/form1startup.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ebtest {

class ProgramFolder {
public:
    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + u'/' + relative; }

    // Copies a file of the source tree's data folder to `relative` (default: the same name).
    bool copyData(const QString& dataName, const QString& relative = QString()) const {
        const QString target = file(relative.isEmpty() ? dataName : relative);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        return QFile::copy(sourceDir() + QStringLiteral("/data/") + dataName, target);
    }
    bool write(const QString& relative, const QByteArray& bytes) const {
        return writeFile(file(relative), bytes);
    }

    // The start-up of a window in this folder, with a desktop of the given path and no draw.
    eb::Form1Startup startup(const QString& desktop = QStringLiteral("/tmp/desk")) const {
        eb::Form1Startup s;
        s.programFolder = path();
        s.desktopPath = [desktop] { return desktop; };
        return s;
    }

private:
    QTemporaryDir dir_;
};

}  // namespace ebtest
