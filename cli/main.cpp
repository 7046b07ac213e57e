// echobatch-cli: the conversions of the window, headless, for scripts and servers.
#include "cli/clibatch.h"
#include "cli/clioptions.h"
#include "cli/clipaths.h"
#include "cli/shownname.h"
#include "core/usertext.h"
#include "paths/pathtext.h"
#include "process/processsetup.h"
#include "process/stopsignals.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    eb::PrepareProcess();
    // Until the batch catches them, stop signals end the program at once: a list being read
    // from a pipe or a folder being scanned has nothing to undo.
    eb::ExitOnStopSignals(eb::kExitInterrupted, "echobatch-cli: interrupted\n");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("echobatch-cli"));
    eb::InstallTranslations();

    // The arguments exactly as given: a byte that is not UTF-8 is kept recognisable (Qt's own
    // list would turn it into U+FFFD, which names another file).
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments << eb::DecodePathBytes(QByteArray(argv[k]));
    eb::CliOptions options;
    if (const std::optional<int> exit = eb::ParseCliOptions(arguments, options))
        return *exit;
    // Made before the folders are scanned, so that a scan passes over it even when another
    // run (a shard of the same list) makes it meanwhile and writes into it.
    if (const std::optional<int> exit = eb::PrepareOutputFolder(options))
        return *exit;
    eb::CliPaths paths = eb::ExpandCliPaths(options.paths, {}, options.outputFolder);
    options.paths.clear();  // the files hold them now: a long list is held once
    if (!paths.errors.isEmpty()) {
        for (const QString& error : paths.errors)
            QTextStream(stderr) << "echobatch-cli: " << eb::ShownName(error) << '\n';
        return eb::kExitUsage;
    }
    if (options.shards > 0)
        eb::KeepShard(paths, options.shard, options.shards);
    const QStringList folders = eb::OutputFoldersFor(paths, options.outputFolder, options.keepTree);
    paths.subfolders.clear();
    return options.dryRun ? eb::DryRun(options, paths.files, folders, paths.notes)
                          : eb::ConvertFiles(options, paths.files, folders, paths.notes);
}
