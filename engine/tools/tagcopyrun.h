// The tag copy of one converted file, run in a child process of its own (the helper
// echobatch-tagcopy beside the program, see tagcopy/tagcopytool.cpp): reading another program's
// metadata is the most exposed thing the batch does, so a crafted tag that crashes its reader,
// takes all memory or never ends costs only that child. The child limits its own memory and
// processor time; the wall-clock time is watched here. Every way it can end becomes a result:
// the tags copied (perhaps with frames named that were not), no tags at all, or not copied and
// why.
#pragma once

#include "core/usertext.h"
#include "process/toolrun.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <utility>

namespace eb {

// The helper program: the one beside this program unless a test named another.
QString TagCopyProgram();
// For tests: another helper and another time limit (0: the usual ones).
void SetTagCopyProgram(const QString& program, int timeoutMs = 0);

// False only for an MP3 file (`input`, open as `fd`) that surely has no tag: no ID3v2 tag at its
// start and no ID3v1, APEv2, Lyrics3v2 or ID3v2 tag at its end (mp3/taglayout.h: only their headers
// and footers are read). Its converted file stays as the tool wrote it, without a child process.
bool MayHaveTags(const QString& input, int fd);

class TagCopyRun : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 30000;

    struct Result {
        enum class Kind { Copied, NoTags, NotCopied, Stopped };
        Kind kind = Kind::NotCopied;
        // Copied: the frames not carried ("frames not copied: ..."), or empty. NotCopied: why.
        // The helper's own lines are in English, and so is their English.
        Said text;
    };
    // How the child's end reads.
    static Result interpret(const ToolRun::Outcome& outcome, bool timedOut, int timeoutMs);

    explicit TagCopyRun(QObject* parent = nullptr);

    // The files the child is handed open (as /dev/fd/3, 4 and 5), never by their names.
    struct Files {
        int input = -1;      // the input, as the batch opened it
        int converted = -1;  // the tool's finished output
        int tagged = -1;     // the hidden file the child writes
        // The converted file's measured ReplayGain (gain in dB, linear peak), which the child
        // writes in place of the input's values; none: the input's are copied as they are.
        std::optional<std::pair<double, double>> replayGain;
    };
    // Starts the child writing `files.converted` with the tags of the input (named `input`,
    // whose extension tells its format by name) into `files.tagged`. False when it could not be
    // started (result() says why, finished() does not follow).
    bool start(const QString& input, const Files& files);
    // Asks the child to stop; finished() follows with Stopped.
    void cancel();
    // Stops the child before returning; finished() has been emitted then.
    void terminateNow();

    bool isRunning() const { return run_.isRunning(); }
    const Result& result() const { return result_; }

signals:
    void finished();

private:
    void onRunFinished();

    ToolRun run_;
    QTimer timer_;
    int timeoutMs_ = kTimeoutMs;
    bool timedOut_ = false;
    Result result_;
};

}  // namespace eb
