#include "cli/clibatch.h"

#include "cli/clioptions.h"
#include "cli/jsonreport.h"
#include "cli/parallelbatch.h"
#include "cli/progressprinter.h"
#include "cli/shownname.h"
#include "core/steps.h"
#include "engine/conversionjob.h"
#include "engine/encodingclass.h"
#include "engine/gaplessinput.h"
#include "engine/outputpath.h"
#include "engine/pathtext.h"
#include "engine/processsetup.h"
#include "engine/stopsignals.h"
#include "engine/temporarylock.h"
#include "engine/tooldeploy.h"

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
// outputs and their locks, the tag copy's files): the jobs are capped by the open-file limit,
// raised to the hard limit first.
constexpr long kFilesPerJob = 12;
constexpr long kFilesReserved = 64;

int JobsWithinFileLimit(int jobs) {
    const long limit = RaiseOpenFileLimit();
    const int allowed =
        static_cast<int>(qBound(1L, (limit - kFilesReserved) / kFilesPerJob, 1024L));
    if (jobs <= allowed)
        return jobs;
    QTextStream(stderr) << "echobatch-cli: --jobs " << jobs << " lowered to " << allowed
                        << ": the open-file limit (" << limit << ") allows no more\n";
    return allowed;
}

// Hidden temporaries that a killed run left in the output folder; only those whose lock
// nobody holds any more.
void RemoveLeftTemporaries(const CliOptions& options) {
    if (const int removed = RemoveAbandonedTemporaries(options.outputFolder);
        removed > 0 && !options.quiet)
        QTextStream(stderr) << "echobatch-cli: removed " << removed
                            << " temporary file(s) left by a run that was ended\n";
}

int ExitStatus(const QList<ConversionResult>& results, bool interrupted) {
    if (interrupted)
        return kExitInterrupted;
    for (const ConversionResult& r : results) {
        if (!r.converted)
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

int DryRun(const CliOptions& options, const QStringList& files, const QStringList& folders) {
    const IdentitySet listFiles = IdentitiesOf(files);
    QString program = InstalledSox();
    if (program.isEmpty())
        program = QStringLiteral("sox");
    QTextStream out(stdout);
    QTextStream err(stderr);
    int skipped = 0;
    OutputClaims claims;
    for (qsizetype k = 0; k < files.size(); ++k) {
        const QString& file = files[k];
        if (HasUndecodableBytes(file)) {
            err << "echobatch-cli: " << ShownName(file)
                << ": skipped: the name is not valid UTF-8; rename it\n";
            ++skipped;
            continue;
        }
        ConversionJob job(file);
        try {
            job.formOutputPath(folders.value(k, options.outputFolder));
        } catch (const StepError& e) {
            err << "echobatch-cli: " << ShownName(file) << ": " << e.description() << '\n';
            ++skipped;
            continue;
        }
        if (!job.checkOutputIsFree(
                [&](const FileIdentity& id) { return listFiles.contains(id); }) ||
            !job.claimOutput(claims)) {
            err << "echobatch-cli: " << ShownName(file) << ": " << job.result().reason << '\n';
            ++skipped;
            continue;
        }
        const InputPlan plan = PlanInput(AbsolutePath(file));
        if (!plan.refusal.isEmpty()) {
            err << "echobatch-cli: " << ShownName(file) << ": " << plan.refusal << '\n';
            ++skipped;
            continue;
        }
        const QString compression = CompressionFor(
            plan.mp3 ? plan.encoding : ReadInputEncoding(AbsolutePath(file)), options.bitrate);
        QStringList args =
            ToolArguments(file, job.output(), options.echo, compression, TrimArguments(plan));
        // An MP3 input is read from a prepared copy of its audio in the batch's private folder,
        // whose random name is only made when the batch runs.
        if (plan.mp3)
            UsePreparedCopy(
                args, TemporaryFolder() + QStringLiteral("/echobatch-XXXXXX/input-XXXXXX.mp3"));
        QStringList words{ShellQuote(program)};
        for (const QString& a : args)
            words << ShellQuote(a);
        out << words.join(u' ') << '\n';
    }
    out.flush();
    // A reader that went away before the last line is an error, not a signal.
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout))
        return kExitFailed;
    return skipped == 0 ? kExitConverted : kExitFailed;
}

int ConvertFiles(const CliOptions& options, const QStringList& files, const QStringList& folders) {
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

    RemoveLeftTemporaries(options);
    ProgressPrinter printer(static_cast<int>(files.size()), options.quiet);
    ParallelBatch batch(files, options.outputFolder, options.echo,
                        JobsWithinFileLimit(options.jobs), tools, printer, folders,
                        options.bitrate);

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
    for (qsizetype k = 0; options.json && k < batch.results().size(); ++k) {
        if (!reported[static_cast<size_t>(k)])
            WriteReportLine(ReportLine(batch.results()[k], 0.0, false));
    }
    printer.summary(batch.results(), interrupted);
    return ExitStatus(batch.results(), interrupted);
}

}  // namespace eb
