// The conversion of one file, shared by the window's sequential run and the command-line
// tool's parallel jobs: output path, safety checks, the planned command, the tool run, the
// verdict, the tags, ReplayGain and the final name.
//
// The input is opened once and everything read of it (frames, tags, audio) comes through that
// descriptor; a change to it meanwhile fails the file. The tool writes to a hidden temporary
// beside the output (".<base>.echobatch-XXXXXX.mp3"), created exclusively from the descriptor
// of the output's folder, and is handed both files open, never by name. Only a run that ended
// well renames it over the output, atomically, on the same folder's descriptor and only while
// the folder is still the one found, so an existing output survives a failed conversion and no
// half-written file is ever left. Before that, the input's tags are put on it by a child
// process (engine/tools/tagcopyrun.h), in a second hidden file of the same kind that then takes
// its place.
#pragma once

#include "engine/audio/decodedinput.h"
#include "engine/audio/gaplessinput.h"
#include "engine/loudness/replaygainstage.h"
#include "engine/outputs/outputclaims.h"
#include "engine/outputs/outputpath.h"
#include "engine/tools/tagcopyrun.h"
#include "engine/tools/toolcommand.h"
#include "options/echooptions.h"
#include "paths/fileidentity.h"
#include "posix/uniquefd.h"
#include "process/toolrun.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/stat.h>

#include <functional>
#include <memory>

namespace eb {

struct ToolSet;

struct ConversionResult {
    bool converted = false;
    QString input;   // as the list holds it
    QString output;  // the final output path; empty when none could be formed
    QString reason;  // why the file was not converted
    // Converted, but with something the user must know: "tags not copied: <why>",
    // "frames not copied: <frames>", "N samples clipped; ..." (several joined by "; ").
    QString warning;
    // Both in English, whatever the user's language: what --json carries.
    QString englishReason;
    QString englishWarning;
    bool replaced = false;      // converted over an output that was there before the batch
    bool upToDate = false;      // passed over, its output newer than it (not a failure)
    bool albumUpdated = false;  // up to date, its output given its album's new values
    double music = 0;           // the input's seconds of music, once planned (0: not known)
};

// What a planned job runs: the tool's arguments (its output the hidden temporary, or for a dry
// run the output itself) and, for an MP3 input, the file the program decodes itself onto the
// tool's standard input (engine/audio/decodedinput.h).
struct PlannedCommand {
    QStringList arguments;
    QString decodedInput;  // absolute; empty when the tool reads the input itself
    int channels = 0;      // of the decoded samples
    // What the job does itself once the tool has ended, as far as the plan knows it.
    bool checksLength = false;  // the output's frames against the input's music
    bool writesHeader = false;  // a gapless Info frame for a CBR output (the encoder writes none)
    bool copiesTags = false;    // the input's tags, by the tag copy's child process
    bool measuresGain = false;  // the input's ReplayGain values, measured anew on the output
};

// One file's way through the stages, the same for both front ends: planning (output name,
// checks, the command), the tool run with the decoder feeding it, the output's check and
// gapless header, the tag copy in a child process, ReplayGain, and the final name. It runs on
// the event queue; finished() tells its end.
class ConversionJob : public QObject {
    Q_OBJECT
public:
    // The job of `input` in the batch whose albums `albums` keeps (it must outlive the job).
    ConversionJob(const QString& input, AlbumLedger& albums, QObject* parent = nullptr);
    // Stops a running tool and removes an unfinished temporary output.
    ~ConversionJob() override;

    // How far planning goes: a run makes the hidden temporary the tool writes; a dry run forms
    // the command with the output itself and makes nothing.
    enum class Planning { Run, DryRun };

    // Line 150: forms the output path. Throws StepError for a file name without ".".
    void formOutputPath(const QString& outputFolderText);
    // The batch's output folder, when the output goes into a folder below it (kept album
    // folders): the output's folder is then found from it without following a link.
    void setOutputRoot(const QString& outputFolder) { root_ = outputFolder; }
    // Line 152: an existing output must be neither the input itself nor, by `isListFile`,
    // another file of the list. False when it is: the job is then done, not converted.
    bool checkOutputIsFree(const std::function<bool(const FileIdentity&)>& isListFile);
    // With checkOutputIsFree: the output must not be one that an earlier entry of the same
    // batch writes. Claims it otherwise. False when it is taken: the job is then done.
    bool claimOutput(OutputClaims& claims);
    // A fixed CBR bitrate for the output instead of the input's encoding class (0: keep it).
    void setFixedBitrate(int kbps) { fixedKbps_ = kbps; }
    // Line 154: checks the echo texts and the names, creates the temporary output and forms the
    // command. False when that fails: the job is then done, not converted. A name that is
    // not valid UTF-8, an input that is not a regular file, and (unless the names came exactly
    // as the user gave them, as plan() says) a name holding U+FFFD beside a look-alike that
    // is not valid UTF-8 are refused.
    bool prepare(const EchoTexts& echo, Planning planning = Planning::Run);
    // The three steps above at once (the command-line tool's way, whose names are exact).
    // False when skipped.
    bool plan(const QString& outputFolderText, const EchoTexts& echo, const IdentitySet& listFiles,
              Planning planning = Planning::Run);
    // What the job runs, once prepared.
    const PlannedCommand& command() const { return command_; }

    // Line 156: runs the tool on `tools` (which must outlive the job); finished() follows, also
    // when the tool cannot start.
    void start(ToolSet& tools);
    // Asks the tool to stop; finished() follows with the file not converted.
    void cancel();
    // Stops the tool and removes the temporary output before returning; finished() is emitted
    // before it returns when the job was still running.
    void abortNow();

    bool isDone() const { return done_; }
    const QString& input() const { return result_.input; }
    const QString& output() const { return result_.output; }
    const ConversionResult& result() const { return result_; }
    const ToolRun::Outcome& outcome() const { return outcome_; }

signals:
    // The tool has ended (start() only): what is left of the file, its tags and its
    // ReplayGain, no longer needs one of the batch's tool runs. Not sent when the tool could
    // not start or the file was stopped; finished() follows in every case.
    void toolEnded();
    void finished();

private:
    void fail(const Said& reason);
    void finishSoon();
    void addWarning(const Said& warning);
    bool refuseWithoutTool(const ToolSet& tools);
    void conclude(const ToolRun::Outcome& outcome);
    void onRunFinished();
    void settle(Said reason);
    bool attachTags();
    void onTagsFinished();
    void takeTags();
    void removeTemporary();
    bool startDecoding();
    Said finishDecoding(const ToolRun::Outcome& outcome);
    bool readInput();
    bool createTemporary();
    Said folderMoved() const;

    posix::UniqueFd input_;     // the input, opened once: all that is read of it comes through it
    struct stat inputSeen_ {};  // the input as it was opened
    QString folderText_;        // the output's folder, as formOutputPath was given it
    QString root_;              // the batch's output folder, when the output goes below it
    posix::UniqueFd folder_;    // the output's folder, held open from the walk that found it
    posix::UniqueFd tempFd_;    // the temporary that takes the output's name, open
    posix::UniqueFd taggedFd_;  // the tag copy's hidden file, open
    QString temp_;
    InputPlan plan_;           // what an MP3 input's frames hold (engine/audio/gaplessinput.h)
    std::int64_t music_ = -1;  // the input's samples of music; -1: unknown
    std::int64_t fed_ = -1;    // the samples the encoder is given; -1: unknown
    std::int64_t tail_ = 0;    // the samples the echo adds after the music
    std::unique_ptr<DecodedInput> decoded_;  // an MP3 input's samples for the tool, while it runs
    PlannedCommand command_;
    QString program_;
    int fixedKbps_ = 0;
    bool exactNames_ = false;
    bool aborted_ = false;
    ToolRun run_;
    ToolRun::Outcome outcome_;
    TagCopyRun tags_;
    QString tagged_;  // the tag copy's hidden file while it runs
    ConversionResult result_;
    bool done_ = false;
    ReplayGainStage replayGain_;
};

}  // namespace eb
