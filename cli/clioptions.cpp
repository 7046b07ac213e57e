#include "cli/clioptions.h"

#include "cli/listinput.h"
#include "cli/shownname.h"
#include "cli/standardoutput.h"
#include "core/regularfile.h"
#include "core/settingsstore.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/encodingclass.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

#include <sys/stat.h>

namespace eb {

namespace {

const std::array<const char*, 4> kEchoOptions{"gain-in", "gain-out", "delay", "decay"};

// Wrapped to at most 79 columns; a translation keeps to the same width.
const char kUsage[] = QT_TRANSLATE_NOOP(
    "echobatch",
    "Usage: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T]\n"
    "                     [--decay T] [--jobs N] [--bitrate KBPS|keep]\n"
    "                     [--keep-tree [--shard K/N]] [--update] [--dry-run]\n"
    "                     [--quiet] [--json] [--from FILE [--null]] [PATH...]\n"
    "\n"
    "Adds an echo to each MP3 file given and writes the result, under the same\n"
    "base name with the extension .mp3, into the output folder.\n"
    "\n"
    "  --out DIR       output folder (default: the window's stored output folder);\n"
    "                  made with its parents when missing\n"
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
    "  --shard K/N     with --keep-tree: convert only the K-th of N parts of the\n"
    "                  list, split by each file's folder below its folder argument\n"
    "                  (files given as they are form one part), alike on every\n"
    "                  machine\n"
    "  --update        pass over a file whose output is there already and newer\n"
    "                  than the file (reported as 'up to date', status 'up-to-date'\n"
    "                  in --json, no longer 'skipped'); without it an existing\n"
    "                  output is replaced\n"
    "  --dry-run       print the tool's command for each file, convert nothing\n"
    "  --quiet         no progress; only failures and warnings are reported\n"
    "  --json          a JSON object per file on standard output as it ends; its\n"
    "                  reason, warning and note are in English\n"
    "  --from FILE     also convert the paths listed in FILE, one a line ('-':\n"
    "                  standard input; a CR ending a line is dropped, empty lines\n"
    "                  are passed over)\n"
    "  -0, --null      the list's paths end with a NUL byte instead of a newline\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Each output gets the input's tags. A file whose tags cannot be copied, or\n"
    "whose echo clipped samples, is still converted, and reported in a warning. A\n"
    "file whose output would replace the output of an earlier, other file of the\n"
    "same run is skipped; a file given twice is converted twice.\n"
    "\n"
    "Exit status: 0 every file converted, 1 at least one file failed, 2 usage\n"
    "error, 130 interrupted.\n");

void PrintError(const QString& text) {
    QTextStream(stderr) << "echobatch-cli: " << ShownName(text) << '\n';
}

// A stored value, or `fallback` when it is absent. A store that cannot be read (not a regular
// file, larger than 1 MB) is named once, and every value then counts as absent.
QString StoredOr(const char* key, const QString& fallback) {
    static bool named = false;
    const Result<QString> stored = SettingsStore::read(QString::fromLatin1(key), fallback);
    if (!stored && !std::exchange(named, true))
        PrintError(stored.error() + UserText::tr("; its values are not used"));
    return stored.valueOr(fallback);
}

int UsageError(const QString& text) {
    PrintError(text);
    QTextStream(stderr) << UserText::tr("Try 'echobatch-cli --help'.") << '\n';
    return kExitUsage;
}

// The options, each with the value name its usage line gives.
struct OptionSet {
    QCommandLineOption out{QStringLiteral("out"), QString(), QStringLiteral("DIR")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QString(), QStringLiteral("N")};
    QCommandLineOption bitrate{QStringLiteral("bitrate"), QString(), QStringLiteral("KBPS")};
    QCommandLineOption keepTree{QStringLiteral("keep-tree")};
    QCommandLineOption shard{QStringLiteral("shard"), QString(), QStringLiteral("K/N")};
    QCommandLineOption update{QStringLiteral("update")};
    QCommandLineOption dryRun{QStringLiteral("dry-run")};
    QCommandLineOption quiet{QStringLiteral("quiet")};
    QCommandLineOption json{QStringLiteral("json")};
    QCommandLineOption from{QStringLiteral("from"), QString(), QStringLiteral("FILE")};
    QCommandLineOption null{QStringList{QStringLiteral("null"), QStringLiteral("0")}};
    QCommandLineOption help{QStringLiteral("help")};
    QCommandLineOption version{QStringLiteral("version")};

    QList<QCommandLineOption> all() const {
        QList<QCommandLineOption> options{out,   jobs, bitrate, keepTree, shard, update, dryRun,
                                          quiet, json, from,    null,     help,  version};
        for (const char* name : kEchoOptions)
            options << QCommandLineOption(QString::fromLatin1(name), QString(),
                                          QStringLiteral("T"));
        return options;
    }
};

// What the parser refused, in the program's own words (Qt's are in another style): an unknown
// option, a value missing after an option that takes one, a value given to a switch.
QString ParseError(const QCommandLineParser& parser, const QStringList& arguments,
                   const QList<QCommandLineOption>& options) {
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return UserText::tr("unknown option '%1'").arg(unknown.first());
    for (qsizetype k = 1; k < arguments.size() && arguments[k] != QLatin1String("--"); ++k) {
        const QString& argument = arguments[k];
        if (!argument.startsWith(u'-') || argument == QLatin1String("-"))
            continue;
        const QString name = argument.section(u'=', 0, 0).mid(argument.startsWith(u"--") ? 2 : 1);
        for (const QCommandLineOption& option : options) {
            if (!option.names().contains(name))
                continue;
            const bool takesValue = !option.valueName().isEmpty();
            if (!takesValue && argument.contains(u'='))
                return UserText::tr("the option '%1' takes no value").arg(name);
            if (takesValue && !argument.contains(u'=') && k + 1 == arguments.size())
                return UserText::tr("the option '%1' needs a value").arg(name);
            if (takesValue && !argument.contains(u'='))
                ++k;  // its value, which may start with a dash
        }
    }
    return parser.errorText();
}

// Each reader takes its part of the options; a usage error ends the parse with its exit status.
using Reader = std::optional<int> (*)(const QCommandLineParser&, const OptionSet&, CliOptions&);

std::optional<int> ReadSwitches(const QCommandLineParser& parser, const OptionSet& o,
                                CliOptions& options) {
    options.dryRun = parser.isSet(o.dryRun);
    options.quiet = parser.isSet(o.quiet);
    options.keepTree = parser.isSet(o.keepTree);
    options.update = parser.isSet(o.update);
    options.json = parser.isSet(o.json);
    if (options.json && options.dryRun)
        return UsageError(UserText::tr("--json and --dry-run both write to standard output"));
    if (parser.isSet(o.null) && !parser.isSet(o.from))
        return UsageError(UserText::tr("--null needs a list given with --from"));
    return std::nullopt;
}

// The paths given as arguments, then those of each list.
std::optional<int> ReadPaths(const QCommandLineParser& parser, const OptionSet& o,
                             CliOptions& options) {
    options.paths = parser.positionalArguments();
    for (const QString& list : parser.values(o.from)) {
        const Result<QStringList> listed = ReadPathList(list, parser.isSet(o.null));
        if (!listed)
            return UsageError(listed.error());
        options.paths += *listed;
    }
    if (options.paths.isEmpty())
        return UsageError(UserText::tr("no files given"));
    return std::nullopt;
}

std::optional<int> ReadJobs(const QCommandLineParser& parser, const OptionSet& o,
                            CliOptions& options) {
    options.jobs = qMax(1, QThread::idealThreadCount());
    if (!parser.isSet(o.jobs))
        return std::nullopt;
    bool ok = false;
    const int n = parser.value(o.jobs).toInt(&ok);
    if (!ok || n < 0 || n > 1024)
        return UsageError(UserText::tr("--jobs needs a whole number from 0 to 1024, not '%1'")
                              .arg(parser.value(o.jobs)));
    if (n > 0)
        options.jobs = n;
    return std::nullopt;
}

// --shard K/N, 1 <= K <= N: only with --keep-tree, so that no two parts write one output.
std::optional<int> ReadShard(const QCommandLineParser& parser, const OptionSet& o,
                             CliOptions& options) {
    if (!parser.isSet(o.shard))
        return std::nullopt;
    const QString text = parser.value(o.shard).trimmed();
    bool kOk = false;
    bool nOk = false;
    const int k = text.section(u'/', 0, 0).toInt(&kOk);
    const int n = text.section(u'/', 1).toInt(&nOk);
    if (!kOk || !nOk || text.count(u'/') != 1 || k < 1 || k > n || n > 1000000)
        return UsageError(
            UserText::tr("--shard needs K/N, two whole numbers with 1 <= K <= N, not '%1'")
                .arg(parser.value(o.shard)));
    if (!options.keepTree)
        return UsageError(
            UserText::tr("--shard needs --keep-tree, so that no two parts can write one output"));
    options.shard = k;
    options.shards = n;
    return std::nullopt;
}

std::optional<int> ReadBitrate(const QCommandLineParser& parser, const OptionSet& o,
                               CliOptions& options) {
    // Blanks around the number are passed over, as they are around the echo values.
    const QString text = parser.value(o.bitrate).trimmed();
    if (!parser.isSet(o.bitrate) || text == QLatin1String("keep"))
        return std::nullopt;
    bool ok = false;
    options.bitrate = text.toInt(&ok);
    if (!ok || !IsEncoderBitrate(options.bitrate))
        return UsageError(
            UserText::tr("--bitrate needs 'keep' or one of 8, 16, 24, 32, 40, 48, 56, 64, "
                         "80, 96, 112, 128, 144, 160, 192, 224, 256, 320, not '%1'")
                .arg(parser.value(o.bitrate)));
    return std::nullopt;
}

// The window's stored values are only read, never written.
std::optional<int> ReadOutputFolder(const QCommandLineParser& parser, const OptionSet& o,
                                    CliOptions& options) {
    options.outputFolder =
        parser.isSet(o.out) ? parser.value(o.out) : StoredOr(keys::kOutputFolder, QString());
    if (options.outputFolder.isEmpty())
        return UsageError(UserText::tr(
            "no output folder: give one with --out DIR (none is stored in the settings either)"));
    if (HasUndecodableBytes(options.outputFolder))
        return UsageError(UserText::tr("the output folder's name is not valid UTF-8 and cannot "
                                       "be used as it is: %1")
                              .arg(EscapedText(options.outputFolder, true)));
    options.makeOutputFolder = !IsFolder(options.outputFolder);
    return std::nullopt;
}

// The four echo texts, given (the blanks around them passed over, as around --bitrate's) or
// stored (taken as the window stored them); every text that is not a number, and every number
// the tool refuses, is named at once.
std::optional<int> ReadEchoTexts(const QCommandLineParser& parser, const OptionSet&,
                                 CliOptions& options) {
    std::array<QString*, 4> texts{&options.echo.gainIn, &options.echo.gainOut, &options.echo.delay,
                                  &options.echo.decay};
    QString wrong;
    QString outside;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const QString name = QString::fromLatin1(kEchoOptions[k]);
        *texts[k] = parser.isSet(name) ? parser.value(name).trimmed()
                                       : StoredOr(kEchoFields[k].control,
                                                  QString::fromLatin1(kEchoFields[k].fallback));
        const QString line =
            UserText::tr("\n  %1 '%2' (--%3)", "a field's label, the text given, its option")
                .arg(UserText::tr(kEchoFields[k].label), *texts[k], name);
        if (!IsNumericText(*texts[k], AnyDecimalSeparator()))
            wrong += line;
        else if (!IsInEchoRange(k, *texts[k]))
            outside += line + QStringLiteral(": ") + EchoRangeText(k);
    }
    if (!wrong.isEmpty())
        wrong.prepend(UserText::tr("Numeric value required."));
    if (!outside.isEmpty())
        wrong += (wrong.isEmpty() ? QString() : QStringLiteral("\n")) +
                 UserText::tr("Value out of range.") + outside;
    if (!wrong.isEmpty())
        return UsageError(wrong);
    return std::nullopt;
}

// Makes `folder` and every missing folder above it, each as the umask allows.
Result<> MakeFolders(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return Failed{ErrnoText(errno)};
        if (end < 0)
            break;
    }
    if (!IsFolder(folder))
        return Failed{ErrnoText(EEXIST)};
    return {};
}

}  // namespace

std::optional<int> PrepareOutputFolder(const CliOptions& options) {
    // Paths none of which is there are each named as missing, and need no folder.
    if (!options.makeOutputFolder ||
        std::all_of(options.paths.cbegin(), options.paths.cend(),
                    [](const QString& path) { return NamesNothing(EncodePathBytes(path)); }))
        return std::nullopt;
    if (options.dryRun) {
        PrintError(UserText::tr("would make the output folder %1").arg(options.outputFolder));
        return std::nullopt;
    }
    if (const Result<> made = MakeFolders(options.outputFolder); !made) {
        PrintError(UserText::tr("cannot make the output folder %1: %2")
                       .arg(options.outputFolder, made.error()));
        return kExitUsage;
    }
    if (!options.quiet)
        PrintError(UserText::tr("made the output folder %1").arg(options.outputFolder));
    return std::nullopt;
}

std::optional<int> ParseCliOptions(const QStringList& arguments, CliOptions& options) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const OptionSet o;
    const QList<QCommandLineOption> all = o.all();
    parser.addOptions(all);
    if (!parser.parse(arguments))
        return UsageError(ParseError(parser, arguments, all));
    if (parser.isSet(o.help)) {
        WriteStandardOutput(UserText::tr(kUsage).toLocal8Bit());
        return FinishStandardOutput(kExitConverted);
    }
    if (parser.isSet(o.version)) {
        WriteStandardOutput(QByteArray("echobatch-cli ") + ECHOBATCH_VERSION + '\n');
        return FinishStandardOutput(kExitConverted);
    }
    // In this order: the first usage error is the one reported.
    constexpr std::array<Reader, 7> kReaders{&ReadSwitches, &ReadPaths,   &ReadJobs,
                                             &ReadShard,    &ReadBitrate, &ReadOutputFolder,
                                             &ReadEchoTexts};
    for (const Reader read : kReaders) {
        if (const std::optional<int> exit = read(parser, o, options))
            return exit;
    }
    return std::nullopt;
}

}  // namespace eb
