// The ways entries come into the list: the file dialog, a whole folder, the samples, and
// files and folders dropped from a file manager.
#pragma once

#include "filelist/folderscan.h"
#include "shell/form1.h"

#include <QObject>

namespace eb {

class ListAdders : public QObject {
public:
    explicit ListAdders(Form1& form);

    void addFiles();    // "Add MP3 File(s)"
    void addFolder();   // "Add All MP3 File(s) In Folder"
    void addSamples();  // "Load Sample/Example Files"
    void dragOver(const QMimeData* dragged, Qt::DropAction& effect);
    void drop(const QMimeData* dragged);

    ScanYield scanYield();
    void setScanYieldInterval(int intervalMs) { scanYieldIntervalMs_ = intervalMs; }

private:
    Form1& form_;
    int scanYieldIntervalMs_ = 20;  // how often a scan serves the window's event queue
};

}  // namespace eb
