#include "cli/clioptions.h"

#include "cli/listinput.h"
#include "cli/shownname.h"
#include "core/settingsstore.h"
#include "engine/encodingclass.h"
#include "engine/pathhelpers.h"
#include "engine/pathtext.h"

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
    "                     [--jobs N] [--bitrate KBPS|keep] [--keep-tree] [--dry-run]\n"
    "                     [--quiet] [--json] [--from FILE [--null]] [PATH...]\n"
    "\n"
    "Adds an echo to each MP3 file given and writes the result, under the same base name with\n"
    "the extension .mp3, into the output folder.\n"
    "\n"
    "  --out DIR       output folder (default: the window's stored output folder)\n"
    "  --gain-in T     gain in (default: stored value, else 0.8)\n"
    "  --gain-out T    gain out (default: stored value, else 0.7)\n"
    "  --delay T       delay in milliseconds (default: stored value, else 63)\n"
    "  --decay T       decay (default: stored value, else 0.3)\n"
    "  --jobs N        conversions at once (default and 0: one per processor core)\n"
    "  --bitrate KBPS  write every file as CBR of KBPS kbps (8 to 320; the nearest\n"
    "                  bitrate the file's sample rate allows); default 'keep': each\n"
    "                  file keeps its input's bitrate, and VBR stays VBR\n"
    "  --keep-tree     a file found in a folder given as PATH goes to the same\n"
    "                  relative folder below the output folder (made as needed)\n"
    "  --dry-run       print the tool's command for each file, convert nothing\n"
    "  --quiet         no progress; only failures and warnings are named\n"
    "  --json          a JSON object per file on standard output as it ends\n"
    "  --from FILE     also convert the paths listed in FILE, one a line ('-': standard input)\n"
    "  -0, --null      the list's paths end with a NUL byte instead of a newline\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Each output gets the input's tags. A file whose tags cannot be copied, or whose\n"
    "echo clipped samples, is still converted, and named in a warning. A file whose\n"
    "output would replace the output of an earlier file of the same run is skipped.\n"
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
    const QCommandLineOption bitrate(QStringLiteral("bitrate"), QString(), QStringLiteral("KBPS"));
    const QCommandLineOption keepTree(QStringLiteral("keep-tree"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption null(QStringList{QStringLiteral("null"), QStringLiteral("0")});
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions(
        {out, jobs, bitrate, keepTree, dryRun, quiet, json, from, null, help, version});
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
    options.keepTree = parser.isSet(keepTree);
    options.json = parser.isSet(json);
    if (options.json && options.dryRun)
        return UsageError(QStringLiteral("--json and --dry-run both write to standard output"));
    if (parser.isSet(null) && !parser.isSet(from))
        return UsageError(QStringLiteral("--null needs a list given with --from"));
    options.paths = parser.positionalArguments();
    for (const QString& list : parser.values(from)) {
        const Result<QStringList> listed = ReadPathList(list, parser.isSet(null));
        if (!listed)
            return UsageError(listed.error());
        options.paths += *listed;
    }
    if (options.paths.isEmpty())
        return UsageError(QStringLiteral("no files given"));

    options.jobs = qMax(1, QThread::idealThreadCount());
    if (parser.isSet(jobs)) {
        bool ok = false;
        const int n = parser.value(jobs).toInt(&ok);
        if (!ok || n < 0 || n > 1024)
            return UsageError(QStringLiteral("--jobs needs a whole number from 0 to 1024, not '%1'")
                                  .arg(parser.value(jobs)));
        if (n > 0)
            options.jobs = n;
    }

    if (parser.isSet(bitrate) && parser.value(bitrate) != QLatin1String("keep")) {
        bool ok = false;
        options.bitrate = parser.value(bitrate).toInt(&ok);
        if (!ok || !IsEncoderBitrate(options.bitrate))
            return UsageError(
                QStringLiteral("--bitrate needs 'keep' or one of 8, 16, 24, 32, 40, 48, 56, 64, "
                               "80, 96, 112, 128, 144, 160, 192, 224, 256, 320, not '%1'")
                    .arg(parser.value(bitrate)));
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
