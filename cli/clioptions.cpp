#include "cli/clioptions.h"

#include "cli/shownname.h"
#include "engine/pathhelpers.h"
#include "engine/pathtext.h"
#include "shell/settingsstore.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <QThread>

#include <array>
#include <cstdio>

namespace eb {

namespace {

const std::array<const char*, 4> kEchoOptions{"gain-in", "gain-out", "delay", "decay"};

const char kUsage[] =
    "Usage: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T] [--decay T]\n"
    "                     [--jobs N] [--dry-run] [--quiet] PATH...\n"
    "\n"
    "Adds an echo to each MP3 file given and writes the result, under the same base name with\n"
    "the extension .mp3, into the output folder.\n"
    "\n"
    "  --out DIR       output folder (default: the window's stored output folder)\n"
    "  --gain-in T     gain in (default: stored value, else 0.8)\n"
    "  --gain-out T    gain out (default: stored value, else 0.7)\n"
    "  --delay T       delay in milliseconds (default: stored value, else 63)\n"
    "  --decay T       decay (default: stored value, else 0.3)\n"
    "  --jobs N        conversions at once (default 1; 0: one per processor core)\n"
    "  --dry-run       print the tool's command for each file, convert nothing\n"
    "  --quiet         no progress; only failures and warnings are named\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Each output gets the input's tags. A file whose tags cannot be copied is still\n"
    "converted, and named in a warning.\n"
    "\n"
    "Exit status: 0 every file converted, 1 some file failed, 2 usage error,\n"
    "130 interrupted.\n";

void PrintError(const QString& text) {
    QTextStream(stderr) << "echobatch-cli: " << ShownName(text) << '\n';
}

int UsageError(const QString& text) {
    PrintError(text);
    QTextStream(stderr) << "Try 'echobatch-cli --help'.\n";
    return kExitUsage;
}

}  // namespace

std::optional<int> ParseCliOptions(const QStringList& arguments, CliOptions& options) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QString(), QStringLiteral("N"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({out, jobs, dryRun, quiet, help, version});
    for (const char* name : kEchoOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("T")));

    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return kExitConverted;
    }
    if (parser.isSet(version)) {
        std::printf("echobatch-cli %s\n", ECHOBATCH_VERSION);
        return kExitConverted;
    }

    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    options.paths = parser.positionalArguments();
    if (options.paths.isEmpty())
        return UsageError(QStringLiteral("no files given"));

    if (parser.isSet(jobs)) {
        bool ok = false;
        const int n = parser.value(jobs).toInt(&ok);
        if (!ok || n < 0 || n > 1024)
            return UsageError(QStringLiteral("--jobs needs a whole number from 0 to 1024, not '%1'")
                                  .arg(parser.value(jobs)));
        options.jobs = n == 0 ? qMax(1, QThread::idealThreadCount()) : n;
    }

    // The window's stored values are only read, never written.
    options.outputFolder =
        parser.isSet(out)
            ? parser.value(out)
            : SettingsStore::read(QString::fromLatin1(keys::kOutputFolder), QString());
    if (options.outputFolder.isEmpty())
        return UsageError(QStringLiteral(
            "no output folder: give one with --out DIR (none is stored in the settings either)"));
    if (HasUndecodableBytes(options.outputFolder))
        return UsageError(QStringLiteral("the output folder's name is not valid UTF-8 and cannot "
                                         "be used as it is: %1")
                              .arg(EscapedText(options.outputFolder, true)));
    if (!IsFolder(options.outputFolder))
        return UsageError(
            QStringLiteral("Folder does not exist. Please select another folder. (%1)")
                .arg(options.outputFolder));

    std::array<QString*, 4> texts{&options.echo.gainIn, &options.echo.gainOut, &options.echo.delay,
                                  &options.echo.decay};
    QString wrong;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const QString name = QString::fromLatin1(kEchoOptions[k]);
        *texts[k] = parser.isSet(name)
                        ? parser.value(name)
                        : SettingsStore::read(QString::fromLatin1(kEchoFields[k].control),
                                              QString::fromLatin1(kEchoFields[k].fallback));
        if (!IsNumericText(*texts[k]))
            wrong += QStringLiteral("\n  %1 '%2' (--%3)")
                         .arg(QString::fromLatin1(kEchoFields[k].label), *texts[k], name);
    }
    if (!wrong.isEmpty())
        return UsageError(QStringLiteral("Numeric value required.") + wrong);
    return std::nullopt;
}

}  // namespace eb
