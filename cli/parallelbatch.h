// Runs the conversions of echobatch-cli, up to N at once, each through its own ConversionJob.
// Files whose outputs share a name are converted one after the other in list order, so the
// later file's result stays, as in a sequential run.
#pragma once

#include "engine/conversionjob.h"
#include "options/echooptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <vector>

class QEventLoop;

namespace eb {

class ProgressPrinter;
struct ToolSet;

class ParallelBatch : public QObject {
    Q_OBJECT
public:
    ParallelBatch(const QStringList& files, const QString& outputFolder, const EchoTexts& echo,
                  int jobs, ToolSet& tools, ProgressPrinter& printer);
    ~ParallelBatch() override;

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
    void fileFinished(int index, ConversionJob* job);

    QStringList files_;
    QString outputFolder_;
    EchoTexts echo_;
    int jobs_;
    ToolSet& tools_;
    ProgressPrinter& printer_;
    IdentitySet listFiles_;
    QStringList outputs_;        // per file; empty when none can be formed
    std::vector<int> pending_;   // list positions not started yet, in order
    QSet<QString> busyOutputs_;  // outputs of the running conversions
    std::vector<std::unique_ptr<ConversionJob>> running_;
    std::vector<std::unique_ptr<ConversionJob>> retired_;
    QList<ConversionResult> results_;
    std::vector<QElapsedTimer> clocks_;  // per file, from its start
    QEventLoop* loop_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace eb
