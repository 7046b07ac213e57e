// Runs the folder scan in its own process, so a test can run it as another user:
//   scanprobe collect FOLDER          the collected folder set, one a line
//   scanprobe scan FOLDER PATTERN     the admitted files, one a line ("failure: ..." first)
//   scanprobe list FOLDER PATTERN     the names ListFolderFiles gives (the samples' listing)
#include "core/steps.h"
#include "filelist/folderscan.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    if (args.size() == 3 && args[1] == QLatin1String("collect")) {
        eb::FolderSet set{args[2] + QLatin1Char('/')};
        try {
            eb::CollectSubfolders(set, true);
        } catch (const eb::StepError& e) {
            out << "failure: " << e.description() << '\n';
        }
        for (const QString& folder : std::as_const(set))
            out << folder << '\n';
        return 0;
    }
    if (args.size() == 4 && args[1] == QLatin1String("scan")) {
        const eb::FolderScan scan = eb::ScanFolderFiles(args[2], args[3]);
        if (!scan.failure.isEmpty())
            out << "failure: " << scan.failure << '\n';
        for (const QString& file : scan.files)
            out << file << '\n';
        return 0;
    }
    if (args.size() == 4 && args[1] == QLatin1String("list")) {
        for (const QString& name : eb::ListFolderFiles(args[2], args[3]))
            out << name << '\n';
        return 0;
    }
    QTextStream(stderr) << "usage: scanprobe collect FOLDER | scan|list FOLDER PATTERN\n";
    return 2;
}
