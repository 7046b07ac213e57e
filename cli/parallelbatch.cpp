#include "cli/parallelbatch.h"

#include "cli/progressprinter.h"
#include "core/steps.h"
#include "engine/outputtree.h"
#include "engine/pathhelpers.h"
#include "engine/tooldeploy.h"

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
    results_.resize(files_.size());
    if (folders_.size() != files_.size())
        folders_ = QStringList(files_.size(), outputFolder_);
    clocks_.resize(files_.size());
    for (qsizetype k = 0; k < files_.size(); ++k) {
        results_[k].input = files_[k];
        if (const auto id = IdentityOf(files_[k]))
            listFiles_.insert(*id);
        QString output;
        try {
            output = AbsolutePath(OutputPathFor(folders_[k], files_[k]));
        } catch (const StepError&) {
            // The job itself reports why when its turn comes.
        }
        outputs_ << output;
        existed_.push_back(!output.isEmpty() && IdentityOf(output).has_value());
        pending_.push_back(static_cast<int>(k));
    }
    earlierOwners_ = EarlierOwners(files_, outputs_, listFiles_);
}

ParallelBatch::~ParallelBatch() = default;

void ParallelBatch::run() {
    QEventLoop loop;
    loop_ = &loop;
    startMore();
    if (!running_.empty())
        loop.exec();
    loop_ = nullptr;
}

void ParallelBatch::cancel() {
    cancelled_ = true;
    for (int index : pending_) {
        results_[index].converted = false;
        results_[index].reason = QStringLiteral("stopped");
        results_[index].output = outputs_[index];
    }
    pending_.clear();
    for (auto& job : running_)
        job->cancel();
}

void ParallelBatch::startMore() {
    auto it = pending_.begin();
    while (!cancelled_ && static_cast<int>(running_.size()) < jobs_ && it != pending_.end()) {
        const int index = *it;
        // A file waits while an earlier file with the same output runs; a later one with
        // that output waits behind it, so the results land in list order.
        if (!outputs_[index].isEmpty() && busyOutputs_.contains(outputs_[index])) {
            ++it;
            continue;
        }
        it = pending_.erase(it);
        if (!startFile(index))
            it = pending_.begin();  // finished at once; look again from the front
    }
    if (running_.empty() && (pending_.empty() || cancelled_) && loop_)
        loop_->quit();
}

// Why the file is not given to a job at all: an earlier file writes its output, its output is
// up to date (--update), or its folder below the output folder cannot be had.
QString ParallelBatch::refusalBeforeStart(int index) {
    if (const QString& owner = earlierOwners_[index]; !owner.isEmpty()) {
        // One text for all the files an earlier one keeps from its output (a list of a million
        // copies of one name holds it once).
        QString& reason = ownerReasons_[owner];
        if (reason.isEmpty())
            reason = ReplacesEarlierOutput(owner);
        return reason;
    }
    if (update_ && existed_[index] && IsNewerThan(outputs_[index], files_[index]))
        return QStringLiteral("up to date");
    const QString& folder = folders_[index];
    if (folder != outputFolder_ && IsFolder(outputFolder_))
        return MakeOutputSubfolder(outputFolder_, folder);
    return QString();
}

void ParallelBatch::finishWithout(int index, const QString& reason) {
    results_[index].output = outputs_[index];
    results_[index].reason = reason;
    results_[index].upToDate = reason == QLatin1String("up to date");
    printer_.fileFinished(index, results_[index]);
    emit fileDone(index, results_[index], static_cast<double>(clocks_[index].nsecsElapsed()) / 1e9);
}

bool ParallelBatch::startFile(int index) {
    clocks_[index].start();
    if (const QString refusal = refusalBeforeStart(index); !refusal.isEmpty()) {
        finishWithout(index, refusal);
        return false;
    }
    const QString& folder = folders_[index];
    auto job = std::make_unique<ConversionJob>(files_[index]);
    job->setFixedBitrate(fixedKbps_);
    if (!job->plan(folder, echo_, listFiles_)) {
        results_[index] = job->result();
        printer_.fileFinished(index, results_[index]);
        emit fileDone(index, results_[index],
                      static_cast<double>(clocks_[index].nsecsElapsed()) / 1e9);
        return false;
    }
    ConversionJob* raw = job.get();
    connect(raw, &ConversionJob::finished, this, [this, index, raw] { fileFinished(index, raw); });
    busyOutputs_.insert(outputs_[index]);
    running_.push_back(std::move(job));
    printer_.fileStarted();
    raw->start(tools_);
    return true;
}

void ParallelBatch::fileFinished(int index, ConversionJob* job) {
    retired_.clear();  // jobs of earlier signals, safe to delete now
    results_[index] = job->result();
    results_[index].replaced = results_[index].converted && existed_[index];
    busyOutputs_.remove(outputs_[index]);
    printer_.fileFinished(index, results_[index]);
    emit fileDone(index, results_[index], static_cast<double>(clocks_[index].nsecsElapsed()) / 1e9);
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
