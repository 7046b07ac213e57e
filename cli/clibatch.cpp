#include "cli/clibatch.h"

#include "cli/clioptions.h"
#include "cli/jsonreport.h"
#include "cli/parallelbatch.h"
#include "cli/progressprinter.h"
#include "cli/shownname.h"
#include "cli/standardoutput.h"
#include "core/regularfile.h"
#include "core/steps.h"
#include "core/usertext.h"
#include "engine/audio/encodingclass.h"
#include "engine/audio/gaplessinput.h"
#include "engine/conversionjob.h"
#include "engine/outputs/outputpath.h"
#include "engine/outputs/runrecord.h"
#include "engine/outputs/uptodate.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"
#include "process/processsetup.h"
#include "process/stopsignals.h"

#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace eb {

namespace {

// Tool deployment problems are told on standard error.
class StderrReporter : public ErrorReporter {
public:
    void ReportUnexpectedError(const QString&, int, const QString& description) override {
        QTextStream(stderr) << "echobatch-cli: " << ShownName(description) << '\n';
    }
};

IdentitySet IdentitiesOf(const QStringList& files) {
    IdentitySet set;
    for (const QString& f : files) {
        if (const auto id = IdentityOf(f))
            set.insert(*id);
    }
    return set;
}

// Each conversion holds a few descriptors (the tool's standard error and end, its temporary
// outputs with their locks and folders, the tag copy's files): the jobs are capped by the open-file
// limit, raised to the hard limit first.
constexpr long kFilesPerJob = 14;
constexpr long kFilesReserved = 64;

int JobsWithinFileLimit(int jobs) {
    const long limit = RaiseOpenFileLimit();
    const int allowed =
        static_cast<int>(qBound(1L, (limit - kFilesReserved) / kFilesPerJob, 1024L));
    if (jobs <= allowed)
        return jobs;
    QTextStream(stderr) << UserText::tr(
                               "echobatch-cli: --jobs %1 lowered to %2: the open-file "
                               "limit (%3) allows no more\n")
                               .arg(jobs)
                               .arg(allowed)
                               .arg(limit);
    return allowed;
}

// Hidden temporaries that a killed run made and left; only those whose lock nobody holds any
// more, and never a file of the list.
void RemoveLeftTemporaries(const CliOptions& options, const QStringList& files) {
    if (const QString note = TakeRecordFolderNote(); !note.isEmpty() && !options.quiet)
        QTextStream(stderr) << "echobatch-cli: " << note << '\n';
    if (const int removed = SweepAbandoned(MadeKind::Temporary, IdentitiesOf(files));
        removed > 0 && !options.quiet)
        QTextStream(stderr) << UserText::tr(
            "echobatch-cli: removed %n temporary file(s) left by a "
            "run that was ended\n",
            nullptr, removed);
}

int ExitStatus(const ParallelBatch& batch, bool interrupted) {
    if (interrupted)
        return kExitInterrupted;
    for (qsizetype k = 0; k < batch.size(); ++k) {
        const ConversionResult r = batch.result(k);
        if (!r.converted && !r.upToDate)
            return kExitFailed;
    }
    return kExitConverted;
}

}  // namespace

QString ShellQuote(const QString& word) {
    static const QString kPlain =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_@%+=:,./-");
    if (!word.isEmpty() &&
        std::all_of(word.cbegin(), word.cend(), [](QChar c) { return kPlain.contains(c); }))
        return word;
    const bool control = std::any_of(word.cbegin(), word.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
    if (!control)
        return u'\'' + QString(word).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    QString quoted = QStringLiteral("$'");
    for (QChar c : word) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (c == u'\\' || c == u'\'')
            quoted += u'\\' + QString(c);
        else
            quoted += c;
    }
    return quoted + u'\'';
}

namespace {

// Why the dry run names the file instead of printing its command; empty when it prints it.
QString DryRunSkip(const CliOptions& options, ConversionJob& job, const QString& folder,
                   const IdentitySet& listFiles, OutputClaims& claims) {
    if (HasUndecodableBytes(job.input()))
        return SkippedReason(UserText::tr("the name is not valid UTF-8; rename it"));
    if (NamesNothing(EncodePathBytes(AbsolutePath(job.input()))))
        return NoSuchFileReason();
    try {
        job.formOutputPath(folder);
    } catch (const StepError& e) {
        return e.description();
    }
    if (!job.checkOutputIsFree([&](const FileIdentity& id) { return listFiles.contains(id); }) ||
        !job.claimOutput(claims))
        return job.result().reason;
    if (options.update && IsUpToDate(AbsolutePath(job.output()), job.input()))
        return UpToDateReason();
    if (!job.plan(folder, options.echo, listFiles, ConversionJob::Planning::DryRun))
        return job.result().reason;
    return QString();
}

// The planned command as one shell line that a POSIX shell runs as it stands, making the audio
// the batch makes. An MP3 input is decoded by the program itself and the tool reads the
// samples from its standard input; shown as the mpg123 command that decodes the same way (the
// type is named for it: it writes the header alone). An output folder that the run would make
// is made first, named as the tool's output names it (not cleaned: "x/../y" goes through x's
// link as the system goes).
QString ShellCommand(const QString& program, const QString& output, const PlannedCommand& command) {
    QStringList args = command.arguments;
    QStringList words;
    if (const QString folder = output.left(std::max(output.lastIndexOf(u'/'), qsizetype{1}));
        !QFileInfo(folder).isDir())
        words << QStringLiteral("mkdir -p --") << ShellQuote(folder) << QStringLiteral("&&");
    if (!command.decodedInput.isEmpty()) {
        words << QStringLiteral("mpg123 -q -e f32")
              << QLatin1String(command.channels == 2 ? "--stereo" : "--mono")
              << QStringLiteral("-w - --") << ShellQuote(command.decodedInput)
              << QStringLiteral("|");
        args.insert(1, QStringLiteral("-twav"));
    }
    words << ShellQuote(program);
    for (const QString& a : args)
        words << ShellQuote(a);
    return words.join(u' ');
}

// The comment line before a command: what the job does itself once the tool has ended, which
// no shell command shows. Not translated, like the command.
QString AfterTheTool(const PlannedCommand& command) {
    QStringList steps;
    if (command.checksLength)
        steps << QStringLiteral("check the output's length against the input's");
    if (command.writesHeader)
        steps << QStringLiteral("write its gapless header");
    if (command.copiesTags)
        steps << QStringLiteral("copy the input's tags");
    if (command.measuresGain)
        steps << QStringLiteral("measure and write its ReplayGain");
    return QStringLiteral("# then, in the program: ") +
           (steps.isEmpty() ? QStringLiteral("nothing") : steps.join(QStringLiteral(", ")));
}

}  // namespace

int DryRun(const CliOptions& options, const QStringList& files, const QStringList& folders,
           const QStringList& notes) {
    const IdentitySet listFiles = IdentitiesOf(files);
    QString program = InstalledSox();
    if (program.isEmpty())
        program = QStringLiteral("sox");
    QTextStream err(stderr);
    int skipped = 0;
    OutputClaims claims;
    AlbumLedger albums;
    for (qsizetype k = 0; k < files.size(); ++k) {
        const QString& file = files[k];
        ConversionJob job(file, albums);
        job.setFixedBitrate(options.bitrate);
        const QString why =
            DryRunSkip(options, job, folders.value(k, options.outputFolder), listFiles, claims);
        if (!why.isEmpty()) {
            err << "echobatch-cli: " << ShownName(file) << ": " << why << '\n';
            skipped += why == UpToDateReason() ? 0 : 1;
            continue;
        }
        const QString line = AfterTheTool(job.command()) + u'\n' +
                             ShellCommand(program, AbsolutePath(job.output()), job.command());
        WriteStandardOutput((line + u'\n').toUtf8(), false);
    }
    for (const QString& note : notes)
        err << "echobatch-cli: " << ShownName(note) << '\n';
    // A reader that went away before the last line is an error, not a signal.
    return FinishStandardOutput(skipped == 0 ? kExitConverted : kExitFailed);
}

int ConvertFiles(const CliOptions& options, const QStringList& files, const QStringList& folders,
                 const QStringList& notes) {
    // From here on a stop signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2) is only
    // noted and stops the batch cleanly, so the tool folder is always removed.
    StopSignals stops;
    StderrReporter reporter;
    StepRunner steps(reporter, QStringLiteral("echobatch-cli"));
    ToolSet tools = DeployTools(steps);
    if (tools.program().isEmpty()) {
        RemoveTools(steps, tools);
        return kExitFailed;
    }

    RemoveLeftTemporaries(options, files);
    ProgressPrinter printer(static_cast<int>(files.size()), options.quiet);
    printer.setInputs(files);
    ParallelBatch batch(files, options.outputFolder, options.echo,
                        JobsWithinFileLimit(options.jobs), tools, printer, folders,
                        options.bitrate);
    batch.setUpdate(options.update);
    printer.setNotes(notes);

    bool interrupted = false;
    QObject::connect(&stops, &StopSignals::received, [&] {
        interrupted = true;
        batch.cancel();
    });

    std::vector<bool> reported(static_cast<size_t>(files.size()), false);
    if (options.json)
        QObject::connect(&batch, &ParallelBatch::fileDone,
                         [&](int index, const ConversionResult& result, double seconds) {
                             WriteReportLine(ReportLine(result, seconds));
                             reported[static_cast<size_t>(index)] = true;
                         });

    batch.run();
    RemoveTools(steps, tools);
    // Files a stop kept from starting get their line too, so the report names every file.
    for (qsizetype k = 0; options.json && k < batch.size(); ++k) {
        if (!reported[static_cast<size_t>(k)])
            WriteReportLine(ReportLine(batch.result(k), 0.0, false));
    }
    printer.summary(
        batch.size(), [&batch](qsizetype k) { return batch.result(k); }, interrupted);
    return FinishStandardOutput(ExitStatus(batch, interrupted));
}

}  // namespace eb
