// Progress of echobatch-cli on standard error: a line per finished file, a live bar below the
// lines when standard error is a terminal, and the summary at the end.
#pragma once

#include "engine/conversionjob.h"
#include "engine/timeleft.h"

#include <QElapsedTimer>

#include <QList>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace eb {

class ProgressPrinter {
public:
    ProgressPrinter(int total, bool quiet, std::FILE* stream = stderr);

    // The batch's inputs: on a terminal, their sizes for the time left.
    void setInputs(const QStringList& files);
    // A file given to the tool (`planned`: its input and seconds of music).
    void fileStarted(const ConversionResult& planned);
    // `started`: the file had been given to the tool (else it ended before: up to date,
    // skipped, refused by its plan).
    void fileFinished(int index, const ConversionResult& result, bool started);
    // Lines the summary says first (unless quiet), once.
    void setNotes(const QStringList& notes) { notes_ = notes; }
    // Names every failure with its reason; says how many converted, how many of them replaced
    // an existing file and how many were up to date. `resultOf(k)` is file k's result.
    using ResultOf = std::function<ConversionResult(qsizetype)>;
    void summary(qsizetype total, const ResultOf& resultOf, bool interrupted);
    // True when the stream could not be written (EPIPE, EFBIG, ...).
    bool broken() const { return broken_; }

private:
    struct Tally {
        qsizetype total = 0;
        qsizetype upToDate = 0;
        qsizetype albumUpdated = 0;  // of those, given their album's new values
        qsizetype replaced = 0;
        QList<qsizetype> failed;
        QList<qsizetype> warned;
        QString convertedText() const;
    };
    static Tally tally(qsizetype total, const ResultOf& resultOf);
    void tellWarnings(const Tally& t, const ResultOf& resultOf);
    void print(const QString& line);
    void drawBar();
    void clearBar();

    std::FILE* stream_;
    int total_;
    bool quiet_;
    bool live_;
    bool terminal_;
    bool broken_ = false;  // a write failed: the stream is no longer written
    int running_ = 0;
    int done_ = 0;
    TimeLeft timeLeft_{0};
    QElapsedTimer clock_;  // from the printer's start, which is the batch's
    QStringList notes_;
};

}  // namespace eb
