#include "preview/previewrender.h"

#include "core/regularfile.h"
#include "core/usertext.h"
#include "engine/audio/decodedinput.h"
#include "engine/audio/gaplessinput.h"
#include "engine/conversionjob.h"
#include "engine/tools/tooldeploy.h"
#include "paths/pathhelpers.h"

#include "core/steps.h"

#include <QFile>

namespace eb {

namespace {

// How the tool reads and writes the samples: headerless, 16-bit signed stereo at 44.1 kHz.
QStringList RawFormat() {
    return {QStringLiteral("-t"), QStringLiteral("raw"),
            QStringLiteral("-e"), QStringLiteral("signed-integer"),
            QStringLiteral("-b"), QStringLiteral("16"),
            QStringLiteral("-c"), QString::number(PreviewAudio::kChannels),
            QStringLiteral("-r"), QString::number(PreviewAudio::kRate)};
}

// The echo's repeats go on after the input ends; the preview never shows more than its span.
QStringList Trim() {
    return {QStringLiteral("trim"), QStringLiteral("0"), QString::number(PreviewRender::kSeconds)};
}

Result<PreviewAudio> ReadSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed{UserText::tr("cannot read the rendered samples: ") + file.errorString()};
    PreviewAudio audio;
    audio.pcm = file.readAll();
    audio.pcm.truncate(audio.frames() * PreviewAudio::kFrameBytes);
    return audio;
}

// Keeps the first failure of the tool's set-up for the preview's own line; the preview shows no
// error box.
class CollectedReport : public ErrorReporter {
public:
    void ReportUnexpectedError(const QString&, int, const QString& description) override {
        if (first.isEmpty())
            first = description;
    }
    QString first;
};

}  // namespace

PreviewRender::PreviewRender(QObject* parent) : QObject(parent) {
    connect(&run_, &ToolRun::finished, this, &PreviewRender::onFinished);
}

PreviewRender::~PreviewRender() {
    disconnect(&run_, nullptr, this, nullptr);
    forget();
    DiscardTools(tools_);
}

QString PreviewRender::folder() const {
    return tools_.folder;
}

void PreviewRender::render(const QString& input, const EchoTexts& echo) {
    stop();
    input_ = input;
    echo_ = echo;
    if (const Result<> made = makeFolder(); !made) {
        fail(Stage::Input, made.error());
        return;
    }
    if (!decodedPath_.isEmpty() && decodedInput_ == input) {
        startEcho();
        return;
    }
    forget();
    // As the batch: the input is opened once, and only a regular file (SoX waits for ever on a
    // FIFO and reads a device without end).
    const QByteArray path = QFile::encodeName(AbsolutePath(input));
    if (NamesNothing(path)) {
        fail(Stage::Input, NoSuchFileReason());
        return;
    }
    const Result<posix::UniqueFd> opened = OpenRegularFile(path);
    if (!opened) {
        fail(Stage::Input, opened.error());
        return;
    }
    startInput(opened->get());
}

// An MP3 is decoded here as the batch decodes it (engine/audio/decodedinput.h), so that the
// preview begins on the batch's first sample; SoX reads any other file, and an MP3 the batch
// would refuse, itself, from the open file as /dev/fd/3.
void PreviewRender::startInput(int fd) {
    const InputPlan plan = PlanInput(AbsolutePath(input_), fd);
    if (!plan.mp3) {
        run_.setPassedFds({fd});
        start(Stage::Input,
              QStringList{QStringLiteral("--no-glob"), QStringLiteral("/dev/fd/3")} + RawFormat());
        run_.setPassedFds({});
        return;
    }
    decoded_ = std::make_unique<DecodedInput>();
    if (const SaidResult<> started = decoded_->start(fd, plan.sampleRate, plan.channels);
        !started) {
        decoded_.reset();
        fail(Stage::Input, started.error().text);
        return;
    }
    run_.setStandardInput(decoded_->takeToolEnd());
    start(Stage::Input, DecodedArguments(plan) + RawFormat());
}

// Once the tool has ended (it closes its input after the preview's span) or is stopped: why the
// decoder stopped early, or empty.
QString PreviewRender::finishDecoding() {
    run_.setStandardInput({});
    if (!decoded_)
        return {};
    decoded_->stop();
    QString failure = decoded_->finish().failure.text;
    decoded_.reset();
    return failure;
}

void PreviewRender::startEcho() {
    start(Stage::Echo,
          RawFormat() + QStringList{QStringLiteral("--no-glob"), decodedPath_} + RawFormat());
}

// `args` holds the input and the output's format; the output name and the effects follow.
void PreviewRender::start(Stage stage, QStringList args) {
    ++serial_;
    output_ = tools_.folder +
              QStringLiteral("/%1-%2.raw")
                  .arg(stage == Stage::Input ? QStringLiteral("input") : QStringLiteral("echo"))
                  .arg(serial_);
    args << QStringLiteral("--no-glob") << output_;
    if (stage == Stage::Echo)
        args += EchoArguments(echo_);
    args += Trim();
    program_ = tools_.program();
    if (program_.isEmpty()) {
        fail(stage, QStringLiteral(
                        "SoX was not found on PATH (install the sox and libsox-fmt-mp3 packages)"));
        return;
    }
    stage_ = stage;
    const ToolStart started = StartTool(run_, tools_, args);
    program_ = started.program;
    if (!started.started)
        fail(stage, ToolFailure(run_.outcome(), program_));
}

void PreviewRender::stop() {
    if (run_.isRunning()) {
        stopping_ = true;
        run_.terminateNow();
        stopping_ = false;
    }
    finishDecoding();
    removeOutput();
    stage_ = Stage::Idle;
    ++serial_;
}

void PreviewRender::forget() {
    stop();
    if (!decodedPath_.isEmpty())
        DeleteFileQuiet(decodedPath_);
    decodedPath_.clear();
    decodedInput_.clear();
}

void PreviewRender::onFinished(const ToolRun::Outcome& outcome) {
    if (stopping_ || stage_ == Stage::Idle)
        return;
    const Stage stage = stage_;
    const QString undecoded = finishDecoding();
    const QString reason = undecoded.isEmpty() ? ToolFailure(outcome, program_) : undecoded;
    const Result<PreviewAudio> read =
        reason.isEmpty() ? ReadSamples(output_) : Result<PreviewAudio>(Failed{reason});
    if (!read) {
        fail(stage, read.error());
        return;
    }
    const PreviewAudio& audio = *read;
    stage_ = Stage::Idle;
    if (stage == Stage::Input) {
        decodedPath_ = output_;
        decodedInput_ = input_;
        output_.clear();
        const int before = serial_;
        emit inputReady(audio);
        if (serial_ == before)  // a receiver neither stopped nor started a render
            startEcho();
    } else {
        removeOutput();
        emit echoReady(audio);
    }
}

// The private folder is the one a batch makes for its tool (engine/tools/tooldeploy.h): the tool is
// copied there and run from its open file, and the samples are written beside it.
Result<> PreviewRender::makeFolder() {
    if (!tools_.folder.isEmpty())
        return {};
    CollectedReport report;
    StepRunner steps(report, QStringLiteral("Preview"));
    tools_ = DeployTools(steps);
    if (!tools_.folder.isEmpty() && tools_.programFd() >= 0)
        return {};
    const QString why = !tools_.missing.isEmpty() ? tools_.missing.text
                        : report.first.isEmpty()  ? UserText::tr("SoX could not be made ready")
                                                  : report.first;
    DiscardTools(tools_);
    return Failed{why};
}

void PreviewRender::fail(Stage stage, const QString& reason) {
    finishDecoding();
    removeOutput();
    stage_ = Stage::Idle;
    if (stage == Stage::Input)
        emit inputFailed(reason);
    else
        emit echoFailed(reason);
}

void PreviewRender::removeOutput() {
    if (!output_.isEmpty())
        DeleteFileQuiet(output_);
    output_.clear();
}

}  // namespace eb
