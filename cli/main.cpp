// echobatch-cli: the conversions of the window, headless, for scripts and servers.
#include "cli/clibatch.h"
#include "cli/clioptions.h"
#include "cli/clipaths.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("echobatch-cli"));

    eb::CliOptions options;
    if (const std::optional<int> exit = eb::ParseCliOptions(QCoreApplication::arguments(), options))
        return *exit;
    const eb::CliPaths paths = eb::ExpandCliPaths(options.paths);
    if (!paths.errors.isEmpty()) {
        for (const QString& error : paths.errors)
            QTextStream(stderr) << "echobatch-cli: " << error << '\n';
        return eb::kExitUsage;
    }
    const QStringList folders = eb::OutputFoldersFor(paths, options.outputFolder, options.keepTree);
    return options.dryRun ? eb::DryRun(options, paths.files, folders)
                          : eb::ConvertFiles(options, paths.files, folders);
}
