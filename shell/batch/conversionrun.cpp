#include "shell/batch/conversionrun.h"

#include "core/prompter.h"
#include "core/regularfile.h"
#include "core/result.h"
#include "core/steps.h"
#include "core/usertext.h"
#include "engine/conversionjob.h"
#include "engine/outputs/outputpath.h"
#include "engine/outputs/outputtree.h"
#include "engine/outputs/runrecord.h"
#include "engine/timeleft.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"
#include "process/runandwait.h"
#include "shell/batch/batchhost.h"
#include "shell/batch/keptfolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QTextStream>

#include <exception>
#include <optional>

namespace eb {

namespace {

constexpr int kListedFailures = 5;

struct Failure {
    QString name;
    QString reason;
};

QString Listed(const QList<Failure>& list) {
    QString text;
    for (qsizetype k = 0; k < list.size() && k < kListedFailures; ++k)
        text += u'\n' + NamedText(list[k].name, list[k].reason);
    return text;
}

// "Done.", then the files that failed and the files converted with a warning (their tags could
// not be copied, samples were clipped: the audio is there, but the user must know what it
// lacks).
QString Summary(const QList<Failure>& failures, const QList<Failure>& warnings, int total,
                int stopped) {
    QString text = UserText::tr("Done.");
    if (!failures.isEmpty())
        text += UserText::tr("\n\n%1 of %n files failed:", nullptr, total).arg(failures.size()) +
                Listed(failures);
    if (!warnings.isEmpty())
        text += UserText::tr("\n\n%1 of %n files converted with a warning:", nullptr, total)
                    .arg(warnings.size()) +
                Listed(warnings);
    if (stopped > 0)
        text += UserText::tr("\n\nStopped: %1 of %n files were not converted.", nullptr, total)
                    .arg(stopped);
    return text;
}

// What became of one entry, for the list behind "Show Details...": by its full path, or by its
// place when it could not be read.
struct Outcome {
    int entry = 0;
    QString input;
    EntryResult result = EntryResult::None;
    QString reason;
};

QString Details(const QList<Outcome>& outcomes) {
    QStringList lines;
    for (const Outcome& o : outcomes)
        lines << NamedText(o.input.isEmpty() ? UserText::tr("entry %1").arg(o.entry) : o.input,
                           ResultText(o.result, o.reason));
    return lines.join(u'\n');
}

QString DescriptionOf(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

// An empty list, a missing output folder and echo texts the tool would silently read as 0 stop
// the batch before anything is deployed. True when the batch may start.
bool MayStart(BatchHost& host, StepRunner& steps) {
    bool empty = false;
    steps.step(100, [&] { empty = host.entryCount() <= 0; });
    if (empty) {
        host.prompter().message(UserText::tr("No files added."));
        return false;
    }
    bool folder = false;
    steps.step(102, [&] { folder = IsFolder(host.outputFolderText()); });
    if (!folder) {
        host.prompter().message(
            UserText::tr("Folder does not exist. Please select another folder."));
        return false;
    }
    QString wrongTexts;
    if (!steps.step(102, [&] { wrongTexts = CheckEchoTexts(host.echoTexts()); }))
        return false;
    if (!wrongTexts.isEmpty()) {
        host.prompter().message(wrongTexts, Prompter::Icon::Warning);
        return false;
    }
    return true;
}

// The identities of the list's files as the list stands now. The output must not replace any
// of them. They are read again only after the list has changed, so a batch over a long list
// into a folder of earlier results does not examine every entry per file.
class ListIdentities {
public:
    explicit ListIdentities(BatchHost& host) : host_(host) {}

    bool contains(const FileIdentity& id) { return all().contains(id); }

    const IdentitySet& all() {
        const quint64 generation = host_.listGeneration();
        if (generation_ != generation) {
            reload();
            generation_ = generation;
        }
        return files_;
    }

private:
    void reload() {
        files_.clear();
        const int now = host_.entryCount();
        for (int k = 1; k <= now; ++k) {
            try {
                if (const auto entry = IdentityOf(host_.entryText(k)))
                    files_.insert(*entry);
            } catch (const std::exception&) {
            }
        }
    }

    BatchHost& host_;
    IdentitySet files_;
    std::optional<quint64> generation_;
};

// Line 156: the job runs as on the command line, and the handler waits for its end as
// RunAndWait waits for a program: the event queue served, the display counting. A job that
// could not start leaves the display alone.
void RunJobAndWait(ProgressDisplay& display, ConversionJob& job, ToolSet& tools) {
    job.start(tools);
    if (job.isDone())
        return;
    CountWhileRunning(
        display, [&job] { return !job.isDone(); },
        [&job](QEventLoop& loop) {
            QObject::connect(&job, &ConversionJob::finished, &loop, &QEventLoop::quit);
        });
}

// The entries as the batch starts: the files whose albums the batch may complete.
QStringList BatchInputs(BatchHost& host, int count) {
    QStringList inputs;
    for (int i = 1; i <= count; ++i) {
        try {
            inputs << host.entryText(i);
        } catch (const StepError&) {
            break;  // the list shrank meanwhile
        }
    }
    return inputs;
}

// The entries' folders (empty when the list shrank meanwhile), `inputs` beside them.
QStringList BatchFolders(BatchHost& host, qsizetype count) {
    QStringList folders;
    for (int i = 1; i <= count; ++i)
        folders << host.entryFolder(i);
    return folders;
}

// When outputs of the list share a name, the user decides whether the album folders are kept
// below the output folder (the default) or the later ones are skipped as before. Empty: none.
QHash<QString, QString> AskKeptFolders(BatchHost& host) {
    const QStringList inputs = BatchInputs(host, host.entryCount());
    const int shared = SharedNames(inputs);
    if (shared == 0)
        return {};
    const int keep = host.prompter().choose(
        UserText::tr("%n files share their name with another file of the list. Keep the album "
                     "folders below the output folder?",
                     nullptr, shared),
        {UserText::tr("Keep folders"), UserText::tr("Skip them")}, 0);
    if (keep != 0)
        return {};
    return KeptFolders(inputs, BatchFolders(host, inputs.size()));
}

}  // namespace

// One batch from the tool's deployment to "Done.": the entries in list order, and the failures
// and warnings gathered for the summary. abort() may come from the event queue at any yield.
class ActiveBatch {
public:
    ActiveBatch(BatchHost& host, StepRunner& steps, QHash<QString, QString> keptFolders)
        : host_(host), steps_(steps), listFiles_(host), keptFolders_(std::move(keptFolders)) {}

    void run();
    // Ends the batch: the running tool stopped, its unfinished output and the tools removed;
    // "Done." then tells what was and was not converted.
    void stop();
    // The same, for a window that closes: nothing more is shown.
    void abort();

private:
    bool convertEntry(int i);
    bool stillListed(int i);
    void showProgress(int i);
    void convertFile(int i, const QString& input);
    void record(int i, const QString& input, EntryResult result, const QString& reason);
    void takeLateWarnings();
    void recordStopped(int from, int count);
    void showTimeLeft(int i, int now);
    Result<QString> outputFolderOf(const QString& input);
    template <typename Fn>
    bool fileStep(int line, int i, const QString& input, Fn&& fn);
    void finish(int count);

    BatchHost& host_;
    StepRunner& steps_;
    bool aborted_ = false;
    bool closed_ = false;  // aborted as the window closes
    int stopped_ = 0;      // entries a stop kept from being converted
    std::optional<TimeLeft> timeLeft_;
    QElapsedTimer clock_;
    ToolSet* tools_ = nullptr;
    ConversionJob* job_ = nullptr;
    ListIdentities listFiles_;
    // No entry replaces the result of an earlier entry of this batch (two "intro.mp3" from
    // different folders): the later one is skipped and named.
    OutputClaims claims_;
    QList<Failure> failures_;
    QList<Failure> warnings_;
    QList<Outcome> outcomes_;  // every entry's, in list order
    bool goneReported_ = false;
    // Each input's folder below the output folder; empty: all go to the output folder itself.
    QHash<QString, QString> keptFolders_;
    AlbumLedger albums_;  // the album ReplayGain of the batch's files
};

void ActiveBatch::abort() {
    closed_ = true;
    stop();
}

void ActiveBatch::stop() {
    if (aborted_)
        return;
    aborted_ = true;
    if (job_)
        job_->abortNow();
    if (tools_)
        RemoveTools(steps_, *tools_);
}

void ActiveBatch::run() {
    host_.clearEntryResults();
    ToolSet tools = DeployTools(steps_);
    tools_ = &tools;
    // Hidden temporaries that a killed run made and left, provably unowned; never an entry.
    SweepAbandoned(MadeKind::Temporary, listFiles_.all());
    if (const QString note = TakeRecordFolderNote(); !note.isEmpty())
        QTextStream(stderr) << "echobatch: " << note << '\n';
    if (aborted_) {  // stopped while deploying, before abort() knew the tool
        RemoveTools(steps_, tools);
        return;
    }
    int count = 0;
    steps_.step(136, [&] { count = host_.entryCount(); });
    const QStringList inputs = BatchInputs(host_, count);
    albums_.setInputs(inputs);
    qint64 bytes = 0;
    for (const QString& input : inputs)
        bytes += QFileInfo(input).size();
    timeLeft_.emplace(bytes);
    clock_.start();
    for (int i = 1; i <= count; ++i) {
        if (!convertEntry(i)) {
            if (closed_)
                return;
            recordStopped(i, count);
            break;
        }
    }
    finish(count);
}

// Entry i's turn: the progress display, then its conversion. False once the batch is aborted.
bool ActiveBatch::convertEntry(int i) {
    steps_.step(138, [] { QCoreApplication::processEvents(); });
    if (aborted_)
        return false;
    steps_.step(140, [&] { host_.setBusy(true); });
    if (!stillListed(i))
        return true;
    showProgress(i);
    QString input;
    if (!fileStep(144, i, QString(), [&] { input = host_.entryText(i); }))
        return true;
    const QString name = FileNameOf(input);
    steps_.step(146, [&] { host_.setProgressText(UserText::tr("Processing: ") + name); });
    steps_.step(148, [] { QCoreApplication::processEvents(); });
    if (aborted_)
        return false;
    convertFile(i, input);
    return !aborted_;
}

// The list was cleared during the batch: the entries from here on are gone. One report tells
// it; each gone entry is named in the summary, and entries added meanwhile are still taken when
// their turn comes.
bool ActiveBatch::stillListed(int i) {
    int present = 0;
    steps_.step(142, [&] { present = host_.entryCount(); });
    if (present >= i) {
        goneReported_ = false;
        return true;
    }
    if (!goneReported_)
        steps_.step(144, [] { throw StepError(UserText::tr("Index out of bounds")); });
    goneReported_ = true;
    record(i, QString(), EntryResult::Failed, UserText::tr("no longer in the list"));
    return false;
}

void ActiveBatch::showProgress(int i) {
    steps_.step(142, [&] {
        const int now = host_.entryCount();
        if (now == 0)
            throw StepError(UserText::tr("Division by zero"));
        host_.setProgressValue(static_cast<double>(i) / static_cast<double>(now) * 100.0);
        showTimeLeft(i, now);
    });
}

// "file 3 of 30, about 1 min left": the time from the music converted so far per second.
void ActiveBatch::showTimeLeft(int i, int now) {
    const auto left = timeLeft_->secondsLeft(static_cast<double>(clock_.elapsed()) / 1000.0);
    host_.setProgressToolTip(
        left ? UserText::tr("file %1 of %2, %3").arg(i).arg(now).arg(TimeLeft::text(*left))
             : UserText::tr("file %1 of %2").arg(i).arg(now));
}

// Entries from `from` on that a stop kept from being converted: named in the details and on
// their rows, counted in the summary.
void ActiveBatch::recordStopped(int from, int count) {
    const QString why = UserText::tr("not converted: the batch was stopped");
    for (int i = from; i <= count; ++i) {
        QString input;
        try {
            input = host_.entryText(i);
        } catch (const StepError&) {
        }
        outcomes_.append({i, input, EntryResult::Skipped, why});
        if (!input.isEmpty())
            host_.setEntryResult(i, input, EntryResult::Skipped, why);
        ++stopped_;
    }
}

// The output's checks and the tool run; the file's verdict goes to the summary unless the batch
// was aborted meanwhile.
void ActiveBatch::convertFile(int i, const QString& input) {
    ConversionJob job(input, albums_);
    job_ = &job;
    struct Forget {
        ConversionJob*& job;
        ~Forget() { job = nullptr; }
    } forget{job_};
    // Nothing there: neither an output name nor a folder for it.
    if (NamesNothing(EncodePathBytes(AbsolutePath(input)))) {
        record(i, input, EntryResult::Failed, NoSuchFileReason());
        return;
    }
    const Result<QString> folder = outputFolderOf(input);
    if (!folder) {
        record(i, input, EntryResult::Failed, folder.error());
        return;
    }
    bool claimed = false;
    job.setOutputRoot(host_.outputFolderText());
    if (!fileStep(150, i, input, [&] { job.formOutputPath(*folder); }) ||
        !fileStep(152, i, input, [&] {
            claimed = job.checkOutputIsFree([this](const FileIdentity& id) {
                return listFiles_.contains(id);
            }) && job.claimOutput(claims_);
        }))
        return;
    bool ready = claimed;
    if (ready && !fileStep(154, i, input, [&] { ready = job.prepare(host_.echoTexts()); }))
        return;
    const qint64 bytes = QFileInfo(input).size();
    if (ready) {
        timeLeft_->started(job.result().music, bytes);
        steps_.step(156, [&] { RunJobAndWait(host_, job, *tools_); });
    }
    timeLeft_->ended(job.result().music, bytes, ready);
    if (aborted_)
        return;
    const ConversionResult& result = job.result();
    if (!claimed)
        record(i, input, EntryResult::Skipped, result.reason);
    else if (!result.converted)
        record(i, input, EntryResult::Failed, result.reason);
    else if (!result.warning.isEmpty())
        record(i, input, EntryResult::Warning, result.warning);
    else
        record(i, input, EntryResult::Converted, QString());
    takeLateWarnings();
}

// What became of entry i: in the summary (a skipped entry by its full path, as the entry whose
// output it would replace is named), in the details and on the list's row.
void ActiveBatch::record(int i, const QString& input, EntryResult result, const QString& reason) {
    const QString name = input.isEmpty()                  ? UserText::tr("entry %1").arg(i)
                         : result == EntryResult::Skipped ? input
                                                          : FileNameOf(input);
    if (result == EntryResult::Failed || result == EntryResult::Skipped)
        failures_.append({name, reason});
    else if (result == EntryResult::Warning)
        warnings_.append({name, reason});
    outcomes_.append({i, input, result, reason});
    if (!input.isEmpty())
        host_.setEntryResult(i, input, result, reason);
}

// Files of an album converted before one of its files failed lose their album values too.
void ActiveBatch::takeLateWarnings() {
    for (const auto& [converted, warning] : albums_.takeLateWarnings()) {
        warnings_.append({FileNameOf(converted), warning});
        for (Outcome& o : outcomes_) {
            if (o.input != converted || o.result != EntryResult::Converted)
                continue;
            o.result = EntryResult::Warning;
            o.reason = warning;
            host_.setEntryResult(o.entry, o.input, o.result, o.reason);
        }
    }
}

// The folder the input's output goes to, made when it lies below the output folder (never
// through a link); why it cannot be had.
Result<QString> ActiveBatch::outputFolderOf(const QString& input) {
    const QString outputFolder = host_.outputFolderText();
    const QString below = keptFolders_.value(input);
    if (below.isEmpty() || !IsFolder(outputFolder))
        return outputFolder;
    QString folder = (outputFolder.endsWith(u'/') ? outputFolder : outputFolder + u'/') + below;
    if (const SaidResult<> made = MakeOutputSubfolder(outputFolder, folder); !made)
        return Failed{made.error().text};
    return folder;
}

// A step that forms one of the file's values: when it fails, the file is skipped and named.
template <typename Fn>
bool ActiveBatch::fileStep(int line, int i, const QString& input, Fn&& fn) {
    QString why;
    const bool ok = steps_.step(line, [&] {
        try {
            fn();
        } catch (const std::exception& e) {
            why = DescriptionOf(e);
            throw;
        }
    });
    if (!ok)
        record(i, input, EntryResult::Failed, why);
    return ok;
}

void ActiveBatch::finish(int count) {
    if (!aborted_)  // a stop has removed them
        RemoveTools(steps_, *tools_);
    if (closed_)  // the window closed while the tool was being removed
        return;
    host_.prompter().closeQuestion();  // the batch it asked about is over
    steps_.step(164, [&] { host_.setProgressToolTip(QString()); });
    steps_.step(160, [&] { host_.setBusy(false); });
    steps_.step(162, [&] { host_.setProgressValue(0); });
    steps_.step(164, [&] { host_.setProgressText(UserText::tr("Progress Bar")); });
    steps_.step(166, [&] {
        host_.prompter().messageWithDetails(Summary(failures_, warnings_, count, stopped_),
                                            Details(outcomes_));
    });
}

void ConversionRun::askStop(BatchHost& host) {
    host.prompter().ask(UserText::tr("Stop converting? The files converted so far are kept."),
                        {UserText::tr("Stop"), UserText::tr("Go on")}, 1, [this](int chosen) {
                            if (chosen == 0 && active_)
                                active_->stop();
                        });
}

void ConversionRun::abort() {
    if (active_)
        active_->abort();
}

void ConversionRun::run(BatchHost& host) {
    if (active_) {
        askStop(host);
        return;
    }
    StepRunner steps(host.reporter(), QStringLiteral("PushButton2_Click"));
    if (!MayStart(host, steps))
        return;
    ActiveBatch batch(host, steps, AskKeptFolders(host));
    active_ = &batch;
    struct Release {
        ActiveBatch*& active;
        ~Release() { active = nullptr; }
    } release{active_};
    batch.run();
    host.prompter().closeQuestion();  // also when the window closed
}

}  // namespace eb
