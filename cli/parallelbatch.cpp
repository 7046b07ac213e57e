#include "cli/parallelbatch.h"

#include "cli/progressprinter.h"
#include "core/regularfile.h"
#include "core/steps.h"
#include "core/usertext.h"
#include "engine/outputs/outputtree.h"
#include "engine/outputs/uptodate.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"

#include <QEventLoop>

#include <algorithm>

namespace eb {

ParallelBatch::ParallelBatch(const QStringList& files, const QString& outputFolder,
                             const EchoTexts& echo, int jobs, ToolSet& tools,
                             ProgressPrinter& printer, const QStringList& folders, int fixedKbps)
    : files_(files),
      outputFolder_(outputFolder),
      folders_(folders),
      echo_(echo),
      jobs_(qMax(1, jobs)),
      fixedKbps_(fixedKbps),
      tools_(tools),
      printer_(printer) {
    if (folders_.size() != files_.size())
        folders_.clear();  // all go to the output folder itself
    albums_.setInputs(files_);
    for (qsizetype k = 0; k < files_.size(); ++k) {
        if (const auto id = IdentityOf(files_[k]))
            listFiles_.insert(*id);
    }
    earlierOwners_ = EarlierOwners(
        files_.size(), [this](qsizetype k) { return outputOf(k); },
        [this](qsizetype k) { return files_[k]; }, listFiles_);
    kept_.resize(static_cast<size_t>(files_.size()));
    clock_.start();
    starts_.resize(static_cast<size_t>(files_.size()));
    for (qsizetype k = 0; k < files_.size(); ++k) {
        const QString output = outputOf(k);
        existed_.push_back(!output.isEmpty() && IdentityOf(output).has_value());
        pending_.push_back(static_cast<int>(k));
    }
}

// Formed anew when needed rather than held, so a long list costs less; empty when the name has
// no "." (the job itself reports why when its turn comes). Absolute, to compare; a result
// names it as the job does, in the form the user gave (shownOutputOf).
QString ParallelBatch::outputOf(qsizetype index) const {
    const QString shown = shownOutputOf(index);
    return shown.isEmpty() ? shown : AbsolutePath(shown);
}

QString ParallelBatch::shownOutputOf(qsizetype index) const {
    try {
        return OutputPathFor(folderOf(index), files_[index]);
    } catch (const StepError&) {
        return QString();
    }
}

double ParallelBatch::secondsOf(int index) const {
    return static_cast<double>(clock_.nsecsElapsed() - starts_[static_cast<size_t>(index)]) / 1e9;
}

const QString& ParallelBatch::folderOf(qsizetype index) const {
    return folders_.isEmpty() ? outputFolder_ : folders_[index];
}

ParallelBatch::~ParallelBatch() = default;

void ParallelBatch::run() {
    QEventLoop loop;
    loop_ = &loop;
    startMore();
    if (!running_.empty())
        loop.exec();
    loop_ = nullptr;
    // Up-to-date files whose album never came to its end keep their outputs as they are.
    for (const int index : albums_.releaseAll())
        finishWithout(index, upToDate_, false);
    tellInOrder(true);
}

void ParallelBatch::cancel() {
    cancelled_ = true;
    for (const auto& queue : std::as_const(waiting_))
        pending_.insert(pending_.end(), queue.begin(), queue.end());
    waiting_.clear();
    for (int index : pending_) {
        kept_[static_cast<size_t>(index)] = {StoppedReason(), kStopped};
    }
    pending_.clear();
    for (auto& job : running_)
        job->cancel();
}

void ParallelBatch::startMore() {
    // At most as many again finishing their files beside them: a slow helper or disk does
    // not let finished tool runs pile up.
    while (!cancelled_ && toolRunning_.size() < jobs_ &&
           static_cast<int>(running_.size()) < 2 * jobs_ && !pending_.empty()) {
        const int index = pending_.front();
        pending_.pop_front();
        // A file waits while an earlier file with the same output runs, and the later ones
        // with that output queue behind it, so the results land in list order. Each waiting
        // file is looked at once, not on every pass: a list of many copies of one file stays
        // linear.
        if (const QString output = outputOf(index);
            !output.isEmpty() && busyOutputs_.contains(output)) {
            waiting_[output].push_back(index);
            continue;
        }
        // A file that ends before it starts holds its output no longer: the next file waiting
        // for that output gets its turn.
        if (!startFile(index))
            releaseWaiting(outputOf(index));
    }
    if (running_.empty() && (pending_.empty() || cancelled_) && loop_)
        loop_->quit();
}

// The first file waiting for `output`, if any, goes back among the pending ones at its place
// in the list.
void ParallelBatch::releaseWaiting(const QString& output) {
    const auto it = waiting_.find(output);
    if (it == waiting_.end())
        return;
    const int next = it->front();
    it->pop_front();
    if (it->empty())
        waiting_.erase(it);
    pending_.insert(std::lower_bound(pending_.begin(), pending_.end(), next), next);
}

QString UpToDateReason() {
    return UserText::tr("up to date");
}

// Why the file is not given to a job at all: it is not there, an earlier file writes its
// output, its output is up to date (--update), or its folder below the output folder cannot be
// had.
Said ParallelBatch::refusalBeforeStart(int index) {
    if (NamesNothing(EncodePathBytes(AbsolutePath(files_[index]))))
        return InBoth(&NoSuchFileReason);
    if (const int owner = earlierOwners_[static_cast<size_t>(index)]; owner >= 0) {
        // One text for all the files an earlier one keeps from its output (a list of a million
        // copies of one name holds it once).
        Said& reason = ownerReasons_[owner];
        if (reason.isEmpty())
            reason = InBoth([&] { return ReplacesEarlierOutput(files_[owner]); });
        return reason;
    }
    if (update_ && existed_[index] && IsUpToDate(outputOf(index), files_[index]))
        return upToDate_;
    const QString& folder = folderOf(index);
    if (folder != outputFolder_ && IsFolder(outputFolder_)) {
        if (const SaidResult<> made = MakeOutputSubfolder(outputFolder_, folder); !made)
            return made.error();
    }
    return {};
}

// An up-to-date file whose output holds its album's values may wait for the album's other
// files: when some are converted, it gets the album's new values with them.
void ParallelBatch::finishWithout(int index, const Said& reason, bool mayWait) {
    ConversionResult r;
    r.input = files_[index];
    r.output = shownOutputOf(index);
    r.reason = reason.text;
    r.englishReason = reason.english;
    r.upToDate = reason.text == upToDate_.text;
    if (r.upToDate && mayWait && albums_.holdUpToDate(index, r.input, AbsolutePath(r.output))) {
        tellReleased();
        return;
    }
    tell(index, r);
}

// Files of an album converted before one of the album failed: their kept result gets the
// warning, which the summary tells.
void ParallelBatch::keepLateWarnings() {
    for (const auto& [converted, warning] : albums_.takeLateWarnings()) {
        for (qsizetype k = 0; k < files_.size(); ++k) {
            Kept& kept = kept_[static_cast<size_t>(k)];
            if ((kept.state & kConverted) != 0 && AbsolutePath(files_[k]) == converted)
                kept.text += (kept.text.isEmpty() ? QString() : QStringLiteral("; ")) + warning;
        }
    }
}

void ParallelBatch::tellReleased() {
    for (const AlbumLedger::Released& released : albums_.takeReleased()) {
        ConversionResult r;
        r.input = files_[released.index];
        r.output = shownOutputOf(released.index);
        r.reason = upToDate_.text;
        r.englishReason = upToDate_.english;
        r.upToDate = true;
        r.albumUpdated = released.updated;
        // Said in the user's language only, as an album's warning of a converted file.
        r.warning = r.englishWarning = released.warning;
        tell(released.index, r);
    }
}

// The file's end: what the summary needs is kept at once; the printer and the listeners are
// told in list order with one job (a file that ended early waits for those before it).
void ParallelBatch::tell(int index, const ConversionResult& r, bool started) {
    const quint8 state = (r.converted ? kConverted : 0) | (r.replaced ? kReplaced : 0) |
                         (r.upToDate ? kUpToDate : 0) | (r.albumUpdated ? kAlbumUpdated : 0);
    kept_[static_cast<size_t>(index)] = {r.converted || r.upToDate ? r.warning : r.reason, state};
    told_.insert_or_assign(index, Told{r, started, secondsOf(index)});
    tellInOrder(false);
}

// `all`: every file still waiting to be told, whatever is missing before it (the batch ends).
void ParallelBatch::tellInOrder(bool all) {
    while (!told_.empty() && (all || jobs_ > 1 || told_.begin()->first == nextTold_)) {
        const auto first = told_.begin();
        printer_.fileFinished(first->first, first->second.result, first->second.started);
        emit fileDone(first->first, first->second.result, first->second.seconds);
        nextTold_ = first->first + 1;
        told_.erase(first);
    }
}

ConversionResult ParallelBatch::result(qsizetype index) const {
    const Kept& kept = kept_[static_cast<size_t>(index)];
    ConversionResult r;
    r.input = files_[index];
    r.output = shownOutputOf(index);
    r.converted = (kept.state & kConverted) != 0;
    r.replaced = (kept.state & kReplaced) != 0;
    r.upToDate = (kept.state & kUpToDate) != 0;
    r.albumUpdated = (kept.state & kAlbumUpdated) != 0;
    (r.converted || r.upToDate ? r.warning : r.reason) = kept.text;
    if (r.upToDate)
        r.reason = upToDate_.text;
    if ((kept.state & kStopped) != 0) {
        const EnglishTexts english;
        r.englishReason = StoppedReason();
    }
    return r;
}

bool ParallelBatch::startFile(int index) {
    starts_[static_cast<size_t>(index)] = clock_.nsecsElapsed();
    if (const Said refusal = refusalBeforeStart(index); !refusal.isEmpty()) {
        finishWithout(index, refusal);
        return false;
    }
    const QString& folder = folderOf(index);
    auto job = std::make_unique<ConversionJob>(files_[index], albums_);
    job->setFixedBitrate(fixedKbps_);
    job->setOutputRoot(outputFolder_);
    if (!job->plan(folder, echo_, listFiles_)) {
        tell(index, job->result());
        return false;
    }
    ConversionJob* raw = job.get();
    connect(raw, &ConversionJob::finished, this, [this, index, raw] { fileFinished(index, raw); });
    // The next file's tool starts before this one's tags and ReplayGain are done.
    connect(raw, &ConversionJob::toolEnded, this, [this, raw] {
        toolRunning_.remove(raw);
        startMore();
    });
    toolRunning_.insert(raw);
    busyOutputs_.insert(outputOf(index));
    running_.push_back(std::move(job));
    printer_.fileStarted(raw->result());
    raw->start(tools_);
    return true;
}

void ParallelBatch::fileFinished(int index, ConversionJob* job) {
    retired_.clear();  // jobs of earlier signals, safe to delete now
    ConversionResult r = job->result();
    r.replaced = r.converted && existed_[index];
    const QString output = outputOf(index);
    busyOutputs_.remove(output);
    toolRunning_.remove(job);
    releaseWaiting(output);
    tell(index, r, true);
    tellReleased();
    keepLateWarnings();
    auto it = std::find_if(running_.begin(), running_.end(),
                           [job](const auto& p) { return p.get() == job; });
    if (it != running_.end()) {
        // It is emitting the signal that brought us here: delete it later.
        retired_.push_back(std::move(*it));
        running_.erase(it);
    }
    startMore();
}

}  // namespace eb
