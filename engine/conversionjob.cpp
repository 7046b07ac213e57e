#include "engine/conversionjob.h"

#include "core/regularfile.h"
#include "core/result.h"
#include "core/steps.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/encodingclass.h"
#include "engine/audio/gaplessoutput.h"
#include "engine/loudness/replaygainplaces.h"
#include "engine/outputs/outputtree.h"
#include "engine/outputs/temporarylock.h"
#include "engine/tools/tooldeploy.h"
#include "paths/filesafety.h"
#include "paths/pathhelpers.h"
#include "paths/pathtext.h"
#include "process/runandwait.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <exception>
#include <limits>

namespace eb {

namespace {

// Creates an empty hidden file beside the output, in the folder open as `folderFd`, locked for
// as long as this job owns it (engine/outputs/temporarylock.h). Its name keeps the output's base
// name for the user's orientation, shortened so that the longer name still fits the file system's
// limit.
SaidResult<MadeTemporary> CreateTemporary(int folderFd, const QString& output) {
    const QString absolute = AbsolutePath(output);
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    QString base = absolute.mid(slash + 1);
    base.chop(4);  // ".mp3"
    while (base.toUtf8().size() > 200)
        base.chop(1);
    return CreateLockedTemporary(
        folderFd, QFile::encodeName(slash > 0 ? absolute.left(slash) : "/"),
        QFile::encodeName(u'.' + base + QStringLiteral(".echobatch-")), ".mp3");
}

// The input, opened once, read-only and without blocking; everything the job reads of it comes
// through this descriptor. Anything but a regular file is refused before it is opened (a FIFO
// would block the tool, a device would feed it endlessly), and again after (a swap between).
// `st` is what the open file is then.
SaidResult<posix::UniqueFd> OpenInput(const QString& input, struct stat& st) {
    const QByteArray path = QFile::encodeName(AbsolutePath(input));
    posix::UniqueFd fd;
    int error = ::stat(path.constData(), &st) != 0 ? errno : 0;
    if (error == 0 && S_ISREG(st.st_mode)) {
        fd.reset(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        error = !fd || ::fstat(fd.get(), &st) != 0 ? errno : 0;
    }
    if (error == 0 && S_ISREG(st.st_mode)) {
        ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    const mode_t mode = st.st_mode;
    return Failed{InBoth([&] {
        if (error == 0)
            return SkippedReason(NotRegularPrefix() + KindOfMode(mode));
        if (error == ENOENT)
            return NoSuchFileReason();
        return UserText::tr("cannot open the input: %1").arg(ErrnoText(error));
    })};
}

QString ChangedWhileRead() {
    return UserText::tr("the file changed while it was read");
}

// True when the file open as `fd` is no longer as `seen` says (its length or its time of
// change differ): another process wrote it while it was read.
bool ChangedSince(int fd, const struct stat& seen) {
    struct stat now {};
    return ::fstat(fd, &now) != 0 || now.st_size != seen.st_size ||
           now.st_mtim.tv_sec != seen.st_mtim.tv_sec || now.st_mtim.tv_nsec != seen.st_mtim.tv_nsec;
}

Said TagsNotCopied() {
    return InBoth([] { return UserText::tr("tags not copied: "); });
}

// Why the job must not touch the file: a name that is not exactly the user's.
QString RefusalOf(const QString& input, const QString& output, bool exactNames) {
    for (const QString& path : {input, output}) {
        if (HasUndecodableBytes(path))
            return SkippedReason(UserText::tr("the name is not valid UTF-8 (%1); rename it")
                                     .arg(EscapedText(path, true)));
        if (!exactNames) {
            if (const QString doubt = LookAlikeDoubt(AbsolutePath(path)); !doubt.isEmpty())
                return SkippedReason(doubt);
        }
    }
    return QString();
}

}  // namespace

ConversionJob::ConversionJob(const QString& input, AlbumLedger& albums, QObject* parent)
    : QObject(parent), replayGain_(AbsolutePath(input), albums) {
    result_.input = input;
    connect(&run_, &ToolRun::finished, this, &ConversionJob::onRunFinished);
    connect(&tags_, &TagCopyRun::finished, this, &ConversionJob::onTagsFinished);
}

ConversionJob::~ConversionJob() {
    disconnect(&run_, nullptr, this, nullptr);
    disconnect(&tags_, nullptr, this, nullptr);
    if (run_.isRunning())
        run_.terminateNow(0);
    tags_.terminateNow();
    removeTemporary();
}

void ConversionJob::formOutputPath(const QString& outputFolderText) {
    folderText_ = outputFolderText;
    try {
        result_.output = OutputPathFor(outputFolderText, result_.input);
    } catch (const StepError&) {
        // A name that is not UTF-8 (a folder given as a file, say) is refused for that first.
        if (HasUndecodableBytes(result_.input))
            throw StepError(RefusalOf(result_.input, QString(), true));
        throw;
    }
}

bool ConversionJob::checkOutputIsFree(const std::function<bool(const FileIdentity&)>& isListFile) {
    // A file, or a link (replaced itself, never its target), may stand at the output name;
    // a folder, FIFO or device there is no output to replace.
    struct stat st {};
    if (::lstat(QFile::encodeName(AbsolutePath(result_.output)).constData(), &st) == 0 &&
        !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        fail(InBoth([&] {
            return SkippedReason(UserText::tr("the output is ") + NotRegularPrefix() +
                                 KindOfMode(st.st_mode));
        }));
        return false;
    }
    const std::optional<FileIdentity> existing = IdentityOf(result_.output);
    if (!existing)
        return true;
    if (IdentityOf(result_.input) == existing) {
        fail(InBoth([] {
            return SkippedReason(UserText::tr("the output would replace the input file itself"));
        }));
        return false;
    }
    if (isListFile && isListFile(*existing)) {
        fail(InBoth([] {
            return SkippedReason(UserText::tr("the output would replace another file of the list"));
        }));
        return false;
    }
    return true;
}

bool ConversionJob::claimOutput(OutputClaims& claims) {
    const QString earlier = claims.claim(result_.output, result_.input);
    if (earlier.isEmpty())
        return true;
    fail(InBoth([&] { return ReplacesEarlierOutput(earlier); }));
    return false;
}

bool ConversionJob::prepare(const EchoTexts& echo, Planning planning) {
    const Said wrong =
        InBoth([&] { return CheckEchoTexts(echo, AnyDecimalSeparator()).replace(u'\n', u' '); });
    if (!wrong.isEmpty()) {
        fail(wrong);
        return false;
    }
    // Made again in English only when there is a refusal: the first look is the one that counts.
    if (const Said refusal =
            InBoth([&] { return RefusalOf(result_.input, result_.output, exactNames_); });
        !refusal.isEmpty()) {
        fail(refusal);
        return false;
    }
    if (!readInput())
        return false;
    const QString input = AbsolutePath(result_.input);
    const InputEncoding encoding =
        plan_.mp3 ? plan_.encoding : ReadInputEncoding(input, input_.get());
    const QString compression = CompressionFor(encoding, fixedKbps_);
    music_ = plan_.mp3 ? plan_.music : encoding.samples;
    const int sampleRate = plan_.mp3 ? plan_.sampleRate : encoding.sampleRate;
    if (music_ > 0 && sampleRate > 0)
        result_.music = static_cast<double>(music_) / sampleRate;
    tail_ = EchoTailSamples(ToolNumberText(echo.delay), sampleRate);
    if (music_ >= 0)
        fed_ = music_ + tail_;
    // A run hands the tool its files open, as /dev/fd/3 (the temporary) and /dev/fd/4 (an input
    // it reads itself), so that nothing it reads or writes is found by a name another process
    // could swap; a dry run names them.
    if (planning == Planning::Run) {
        if (!createTemporary())
            return false;
        command_.arguments =
            ToolArguments(QStringLiteral("/dev/fd/4"), QStringLiteral("/dev/fd/3"), echo,
                          compression, DecodedArguments(plan_), QStringLiteral("mp3"));
    } else {
        command_.arguments = ToolArguments(result_.input, result_.output, echo, compression,
                                           DecodedArguments(plan_));
    }
    if (plan_.mp3) {
        command_.decodedInput = input;
        command_.channels = plan_.channels;
    }
    command_.checksLength = music_ > 0;
    command_.writesHeader = fed_ >= 0 && !compression.startsWith(u'-');
    command_.copiesTags = MayHaveTags(input, input_.get());
    command_.measuresGain =
        fed_ > 0 && ReadReplayGainPlaces(input_.get(), inputSeen_.st_size).any();
    return true;
}

// The input opened once and its frames walked through that descriptor; false when the file is
// failed.
bool ConversionJob::readInput() {
    SaidResult<posix::UniqueFd> opened = OpenInput(result_.input, inputSeen_);
    if (!opened) {
        fail(opened.error());
        return false;
    }
    input_ = std::move(*opened);
    plan_ = PlanInput(AbsolutePath(result_.input), input_.get());
    if (plan_.refusal.isEmpty() && ChangedSince(input_.get(), inputSeen_))
        plan_.refusal = InBoth(&ChangedWhileRead);
    if (!plan_.refusal.isEmpty()) {
        fail(plan_.refusal);
        return false;
    }
    return true;
}

// The output's folder as the walk from the output folder finds it (never through a link below
// it), held open for the whole job, and the tool's temporary made in it.
bool ConversionJob::createTemporary() {
    const QString& root = !root_.isEmpty() && folderText_.startsWith(root_) ? root_ : folderText_;
    SaidResult<posix::UniqueFd> folder = OpenOutputFolder(root, folderText_);
    if (!folder) {
        fail(folder.error());
        return false;
    }
    folder_ = std::move(*folder);
    SaidResult<MadeTemporary> temp = CreateTemporary(folder_.get(), result_.output);
    if (!temp) {
        fail(temp.error());
        return false;
    }
    temp_ = QFile::decodeName(temp->path);
    tempFd_ = std::move(temp->fd);
    return true;
}

// Whether the output's folder is still the one the job holds, found by the same walk: a folder
// renamed away, removed or swapped for another (or a link) meanwhile takes no output.
Said ConversionJob::folderMoved() const {
    const QString& root = !root_.isEmpty() && folderText_.startsWith(root_) ? root_ : folderText_;
    const SaidResult<posix::UniqueFd> now = OpenOutputFolder(root, folderText_);
    struct stat held {};
    struct stat found {};
    if (now && ::fstat(folder_.get(), &held) == 0 && ::fstat(now->get(), &found) == 0 &&
        held.st_dev == found.st_dev && held.st_ino == found.st_ino)
        return {};
    return InBoth([&] {
        return UserText::tr(
                   "the output folder %1 was moved or replaced while the file was "
                   "converted")
            .arg(folderText_);
    });
}

bool ConversionJob::plan(const QString& outputFolderText, const EchoTexts& echo,
                         const IdentitySet& listFiles, Planning planning) {
    exactNames_ = true;
    try {
        formOutputPath(outputFolderText);
    } catch (const StepError& e) {
        // The name is formed again in English for the reason's English (it only forms a text).
        Said reason{e.description(), e.description()};
        try {
            const EnglishTexts english;
            formOutputPath(outputFolderText);
        } catch (const StepError& inEnglish) {
            reason.english = inEnglish.description();
        }
        fail(reason);
        return false;
    }
    return checkOutputIsFree([&](const FileIdentity& id) { return listFiles.contains(id); }) &&
           prepare(echo, planning);
}

void ConversionJob::start(ToolSet& tools) {
    if (refuseWithoutTool(tools) || !startDecoding()) {
        finishSoon();
        return;
    }
    if (command_.measuresGain)
        replayGain_.follow(tempFd_.get(), fed_);
    run_.setPassedFds({tempFd_.get(), input_.get()});
    const ToolStart started = StartTool(run_, tools, command_.arguments);
    run_.setPassedFds({});
    program_ = started.program;
    if (!started.started) {
        conclude(run_.outcome());
        finishSoon();
    }
}

// A job that ends while it is being started tells so from the event queue, once its caller
// has returned.
void ConversionJob::finishSoon() {
    QMetaObject::invokeMethod(this, &ConversionJob::finished, Qt::QueuedConnection);
}

bool ConversionJob::refuseWithoutTool(const ToolSet& tools) {
    if (!tools.program().isEmpty())
        return false;
    // Said in the same words as the deployment's report.
    fail(tools.missing.isEmpty() ? InBoth([] { return UserText::tr("SoX was not found"); })
                                 : tools.missing);
    return true;
}

void ConversionJob::cancel() {
    if (run_.isRunning())
        run_.cancel();
    if (decoded_)
        decoded_->stop();
    tags_.cancel();
}

void ConversionJob::abortNow() {
    const bool running = !done_;
    aborted_ = true;  // what the runners tell of their ends now concludes nothing
    if (run_.isRunning())
        run_.terminateNow();
    if (decoded_)
        decoded_->stop();
    tags_.terminateNow();
    if (!done_)
        fail(InBoth(&StoppedReason));
    if (running)
        emit finished();
}

void ConversionJob::onRunFinished() {
    if (done_ || aborted_)
        return;
    emit toolEnded();
    conclude(run_.outcome());
    if (done_)  // else the tag copy is running and finishes the file
        emit finished();
}

void ConversionJob::fail(const Said& reason) {
    if (!done_)
        replayGain_.failed();
    removeTemporary();
    result_.converted = false;
    result_.reason = reason.text;
    result_.englishReason = reason.english;
    result_.warning.clear();
    result_.englishWarning.clear();
    done_ = true;
}

void ConversionJob::addWarning(const Said& warning) {
    const bool first = result_.warning.isEmpty();
    result_.warning += (first ? QString() : QStringLiteral("; ")) + warning.text;
    result_.englishWarning += (first ? QString() : QStringLiteral("; ")) + warning.english;
}

namespace {

// What a finished run of the tool is judged by.
struct RunEnd {
    const ToolRun::Outcome& outcome;
    const QString& program;
    const QString& temporary;  // the tool's output
    int temporaryFd;           // the same, open
    const QString& output;     // where it goes, as the user named it
};

// The output folder was renamed away or removed while the file was converted: whatever the
// tool said of it, that is why the output cannot be put in place.
QString OutputFolderGone(const RunEnd& end) {
    if (!TemporaryFolderGone(QFile::encodeName(end.temporary)))
        return {};
    const qsizetype slash = end.output.lastIndexOf(QLatin1Char('/'));
    return UserText::tr("the output folder %1 is gone")
        .arg(slash > 0 ? end.output.left(slash) : QStringLiteral("/"));
}

QString ToolEndedBadly(const RunEnd& end) {
    return ToolFailure(end.outcome, end.program);
}

// A clean exit that left an empty output, or none, converted nothing.
QString NoOutputWritten(const RunEnd& end) {
    struct stat st {};
    if (::fstat(end.temporaryFd, &st) == 0 && st.st_size > 0)
        return {};
    const QString last = LastLine(end.outcome.stderrTail);
    return last.isEmpty() ? UserText::tr("the tool wrote no output")
                          : UserText::tr("the tool wrote no output: ") + last;
}

// Why a finished run converted nothing: the first of these checks that gives a reason, in
// order. Empty when the run converted the file.
QString RunFailure(const RunEnd& end) {
    static constexpr std::array kChecks{&OutputFolderGone, &ToolEndedBadly, &NoOutputWritten};
    for (const auto check : kChecks) {
        if (QString reason = check(end); !reason.isEmpty())
            return reason;
    }
    return {};
}

}  // namespace

void ConversionJob::conclude(const ToolRun::Outcome& outcome) {
    outcome_ = outcome;
    Said reason = InBoth([&] {
        return RunFailure({outcome, program_, temp_, tempFd_.get(), result_.output});
    });
    // The decoder's own failure tells more than the tool's, unless the output folder is gone.
    if (Said decoding = finishDecoding(outcome);
        !decoding.isEmpty() && !TemporaryFolderGone(QFile::encodeName(temp_)))
        reason = decoding;
    replayGain_.toolEnded(reason.isEmpty());  // before the output is rewritten below
    if (reason.isEmpty()) {
        if (const SaidResult<> finished = FinishOutput(tempFd_.get(), {music_, fed_}); !finished)
            reason = finished.error();
    }
    if (reason.isEmpty()) {
        if (const qint64 clipped = ClippedSamples(outcome.stderrTail); clipped > 0)
            // The count picks the plural form; a count past int's range is shown exactly.
            addWarning(InBoth([clipped] {
                return UserText::tr(
                           "%1 samples clipped; lower Gain-Out or Decay", nullptr,
                           static_cast<int>(qMin<qint64>(clipped, std::numeric_limits<int>::max())))
                    .arg(clipped);
            }));
        if (attachTags())
            return;  // the tag copy runs on and settles the file when it ends
    }
    settle(reason);
}

// The converted file takes the output's name, or the file is failed.
void ConversionJob::settle(Said reason) {
    // What was read of the input must be one file as it was: rewritten meanwhile, the output
    // may mix two files' audio or tags.
    if (reason.isEmpty() && ChangedSince(input_.get(), inputSeen_))
        reason = InBoth(&ChangedWhileRead);
    if (reason.isEmpty()) {
        if (const Said warning = replayGain_.measure(temp_); !warning.isEmpty())
            addWarning(warning);
    }
    if (reason.isEmpty())
        reason = folderMoved();
    if (reason.isEmpty()) {
        const QString output = AbsolutePath(result_.output);
        const QByteArray name = QFile::encodeName(output.mid(output.lastIndexOf(u'/') + 1));
        if (const SaidResult<> put = PutTemporaryInPlace(QFile::encodeName(temp_), name); !put)
            reason = InBoth([&] {
                return UserText::tr("cannot replace %1: %2").arg(result_.output, put.error().text);
            });
    }
    ReleaseUnlinkedTemporaries();
    if (reason.isEmpty()) {
        temp_.clear();
        tempFd_.reset();
        // The album's values could not be written: said in the user's language only.
        if (const QString album =
                replayGain_.converted(result_.input, AbsolutePath(result_.output));
            !album.isEmpty())
            addWarning({album, album});
        result_.converted = true;
        result_.reason.clear();
        result_.englishReason.clear();
        done_ = true;
    } else {
        fail(reason);
    }
}

// The tool's output gets the input's tags, written by a child process into a second hidden
// file. When that fails the audio is still kept, under the tool's own tags, and the reason goes
// with the result. True when the child runs on: its end settles the file.
bool ConversionJob::attachTags() {
    if (!command_.copiesTags)
        return false;
    SaidResult<MadeTemporary> tagged = CreateTemporary(folder_.get(), result_.output);
    if (!tagged) {
        addWarning(TagsNotCopied() + tagged.error());
        return false;
    }
    tagged_ = QFile::decodeName(tagged->path);
    taggedFd_ = std::move(tagged->fd);
    if (!tags_.start(AbsolutePath(result_.input),
                     {input_.get(), tempFd_.get(), taggedFd_.get(), replayGain_.measuredTrack()})) {
        takeTags();
        return false;
    }
    return true;
}

void ConversionJob::onTagsFinished() {
    if (aborted_)
        return;
    takeTags();
    if (!done_)
        settle(Said());
    emit finished();
}

// The tagged file replaces the tool's output when the tags were copied; else it goes.
void ConversionJob::takeTags() {
    using Kind = TagCopyRun::Result::Kind;
    const TagCopyRun::Result& tags = tags_.result();
    const bool copied = tags.kind == Kind::Copied;
    const QByteArray gone = QFile::encodeName(copied ? temp_ : tagged_);
    RemoveTemporary(gone);
    if (copied) {
        temp_ = tagged_;
        tempFd_ = std::move(taggedFd_);
    }
    tagged_.clear();
    taggedFd_.reset();
    if (tags.kind == Kind::Stopped)
        fail(InBoth(&StoppedReason));
    else if (tags.kind == Kind::NotCopied)
        addWarning(TagsNotCopied() + tags.text);
    else if (!tags.text.isEmpty())
        addWarning(tags.text);
}

// An MP3 input is decoded here while the tool runs and reads the samples from its standard
// input (engine/audio/decodedinput.h). False when that cannot begin: the file is then failed.
bool ConversionJob::startDecoding() {
    if (!plan_.mp3)
        return true;
    decoded_ = std::make_unique<DecodedInput>();
    const SaidResult<> started = decoded_->start(input_.get(), plan_.sampleRate, plan_.channels);
    if (!started) {
        decoded_.reset();
        fail(started.error());
        return false;
    }
    run_.setStandardInput(decoded_->takeToolEnd());
    return true;
}

// Once the tool has ended: the decoder's end, and what the encoder was given. Why the decoded
// music falls short (the reason the file fails before anything the tool said: it only saw
// less), or empty.
Said ConversionJob::finishDecoding(const ToolRun::Outcome& outcome) {
    if (!decoded_)
        return {};
    // A tool that has ended reads no more (what it started may still hold the pipe open): a
    // decoder not yet through stops where it is, one that is through has closed the pipe.
    run_.setStandardInput({});
    decoded_->stop();
    const DecodedInput::Outcome got = decoded_->finish();
    decoded_.reset();
    if (outcome.cancelled)
        return {};
    if (!got.failure.isEmpty())
        return got.failure;
    if (!got.complete)
        return {};  // the tool ended first and says why
    music_ = got.samples;
    fed_ = got.samples + tail_;
    return InBoth([&] { return CutShortReason(plan_, got.samples); });
}

void ConversionJob::removeTemporary() {
    for (QString* name : {&temp_, &tagged_}) {
        if (!name->isEmpty())
            RemoveTemporary(QFile::encodeName(*name));
        name->clear();
    }
    tempFd_.reset();
    taggedFd_.reset();
}

}  // namespace eb
