// Runs the conversions of echobatch-cli, up to N at once, each through its own ConversionJob.
// A file whose output would replace the output of an earlier file of the list is skipped when
// its turn comes, whatever runs meanwhile, so the results equal those of a sequential run.
#pragma once

#include "engine/conversionjob.h"
#include "options/echooptions.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

class QEventLoop;

namespace eb {

class ProgressPrinter;
struct ToolSet;

class ParallelBatch : public QObject {
    Q_OBJECT
public:
    // `folders`: each file's output folder (empty: all go to `outputFolder`); a missing one
    // below an existing `outputFolder` is made when its file's turn comes. `fixedKbps`: a CBR
    // bitrate for every output (0: each keeps its input's encoding class).
    ParallelBatch(const QStringList& files, const QString& outputFolder, const EchoTexts& echo,
                  int jobs, ToolSet& tools, ProgressPrinter& printer,
                  const QStringList& folders = {}, int fixedKbps = 0);
    ~ParallelBatch() override;

    // With `update`, a file whose output is there and newer than the file is passed over as
    // up to date.
    void setUpdate(bool update) { update_ = update; }
    // Converts every file; returns when all have finished or, after cancel(), stopped.
    void run();
    // Starts nothing more and stops the running conversions.
    void cancel();

    // One result per file, in list order.
    const QList<ConversionResult>& results() const { return results_; }

signals:
    // A file has ended (converted, failed or skipped), `seconds` after it was taken up.
    void fileDone(int index, const eb::ConversionResult& result, double seconds);

private:
    void startMore();
    bool startFile(int index);
    QString refusalBeforeStart(int index);
    void finishWithout(int index, const QString& reason);
    void fileFinished(int index, ConversionJob* job);

    QStringList files_;
    QString outputFolder_;
    QStringList folders_;  // per file
    EchoTexts echo_;
    int jobs_;
    int fixedKbps_;
    ToolSet& tools_;
    ProgressPrinter& printer_;
    IdentitySet listFiles_;
    QStringList outputs_;        // per file; empty when none can be formed
    QStringList earlierOwners_;  // per file: the earlier file with the same output, if any
    std::deque<int> pending_;    // list positions not started yet, in order
    QHash<QString, QString> ownerReasons_;  // earlier file -> the reason it gives later ones
    QSet<QString> busyOutputs_;  // outputs of the running conversions
    std::vector<std::unique_ptr<ConversionJob>> running_;
    std::vector<std::unique_ptr<ConversionJob>> retired_;
    QList<ConversionResult> results_;
    std::vector<QElapsedTimer> clocks_;  // per file, from its start
    std::vector<bool> existed_;          // per file: its output was there before the batch
    bool update_ = false;
    QEventLoop* loop_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace eb
