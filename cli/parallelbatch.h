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
#include <map>
#include <memory>
#include <vector>

class QEventLoop;

namespace eb {

class ProgressPrinter;
struct ToolSet;

// The reason of a file passed over by --update, in the user's language.
QString UpToDateReason();

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

    // The number of files, and one file's result (once it has ended, or been stopped): its
    // input, output, verdict and reason or warning. Only what a summary needs is kept per
    // file, so a list of a million files costs little more than its names.
    qsizetype size() const { return files_.size(); }
    ConversionResult result(qsizetype index) const;

signals:
    // A file has ended (converted, failed or skipped), `seconds` after it was taken up.
    void fileDone(int index, const eb::ConversionResult& result, double seconds);

private:
    void startMore();
    void releaseWaiting(const QString& output);
    bool startFile(int index);
    Said refusalBeforeStart(int index);
    QString outputOf(qsizetype index) const;
    QString shownOutputOf(qsizetype index) const;
    const QString& folderOf(qsizetype index) const;
    double secondsOf(int index) const;
    void finishWithout(int index, const Said& reason, bool mayWait = true);
    void tell(int index, const ConversionResult& r, bool started = false);
    void tellInOrder(bool all);
    void tellReleased();
    void keepLateWarnings();
    void fileFinished(int index, ConversionJob* job);

    QStringList files_;
    AlbumLedger albums_;  // the album ReplayGain of the batch's files
    QString outputFolder_;
    QStringList folders_;  // per file; empty when all go to the output folder
    EchoTexts echo_;
    int jobs_;
    int fixedKbps_;
    ToolSet& tools_;
    ProgressPrinter& printer_;
    IdentitySet listFiles_;
    std::vector<int> earlierOwners_;  // per file: the earlier file with its output, or -1
    std::deque<int> pending_;         // list positions not started yet, in order
    QHash<int, Said> ownerReasons_;   // earlier file -> the reason it gives later ones
    const Said upToDate_ = InBoth(&UpToDateReason);  // one text shared by every file it is said of
    QSet<QString> busyOutputs_;                      // outputs of the running conversions
    QHash<QString, std::deque<int>> waiting_;        // busy output -> the files waiting for it
    std::vector<std::unique_ptr<ConversionJob>> running_;
    // The running jobs whose tool still runs: --jobs counts these. A job whose tool has ended
    // copies its tags and measures its output beside the next file's tool.
    QSet<const ConversionJob*> toolRunning_;
    std::vector<std::unique_ptr<ConversionJob>> retired_;
    // Per file: the reason (or, converted, the warning) and its verdict.
    static constexpr quint8 kConverted = 1;
    static constexpr quint8 kReplaced = 2;
    static constexpr quint8 kUpToDate = 4;
    static constexpr quint8 kAlbumUpdated = 8;
    static constexpr quint8 kStopped = 16;  // never started: a stop came first
    struct Kept {
        QString text;
        quint8 state = 0;
    };
    std::vector<Kept> kept_;
    // Ended files not told yet: with one job the lines and reports follow the list's order.
    struct Told {
        ConversionResult result;
        bool started = false;
        double seconds = 0;
    };
    std::map<int, Told> told_;
    int nextTold_ = 0;
    QElapsedTimer clock_;         // from the batch's start
    std::vector<qint64> starts_;  // per file: when it was taken up, on clock_
    std::vector<bool> existed_;   // per file: its output was there before the batch
    bool update_ = false;
    QEventLoop* loop_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace eb
