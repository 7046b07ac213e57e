#include "shell/previewwindow.h"

#include "engine/pathhelpers.h"
#include "shell/waveformview.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace eb {

namespace {
constexpr int kCursorIntervalMs = 30;

QAudioFormat PreviewFormat() {
    QAudioFormat format;
    format.setSampleRate(PreviewAudio::kRate);
    format.setChannelCount(PreviewAudio::kChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}
}  // namespace

PreviewWindow::PreviewWindow(std::function<EchoTexts()> echoTexts, QWidget* parent)
    : QWidget(parent, Qt::Window), echoTexts_(std::move(echoTexts)) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Preview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window still ends the program
    FileName = new QLabel(this);
    FileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Waveform = new WaveformView(this);
    Status = new QLabel(this);
    Status->setWordWrap(true);
    Play = new QPushButton(QStringLiteral("Play"), this);
    Stop = new QPushButton(QStringLiteral("Stop"), this);
    Sound = new QLabel(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Play);
    buttons->addWidget(Stop);
    buttons->addWidget(Sound, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FileName);
    layout->addWidget(Waveform, 1);
    layout->addWidget(Status);
    layout->addLayout(buttons);
    resize(600, 340);

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    cursorTimer_.setInterval(kCursorIntervalMs);
    connect(&settle_, &QTimer::timeout, this, &PreviewWindow::renderEcho);
    connect(&cursorTimer_, &QTimer::timeout, this, &PreviewWindow::followPlayback);
    connect(&render_, &PreviewRender::inputReady, this, &PreviewWindow::onInputReady);
    connect(&render_, &PreviewRender::echoReady, this, &PreviewWindow::onEchoReady);
    connect(&render_, &PreviewRender::inputFailed, this,
            [this](const QString& reason) { onFailed(true, reason); });
    connect(&render_, &PreviewRender::echoFailed, this,
            [this](const QString& reason) { onFailed(false, reason); });
    connect(Play, &QPushButton::clicked, this, &PreviewWindow::startPlayback);
    connect(Stop, &QPushButton::clicked, this, &PreviewWindow::stopPlayback);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    soundOutput_ = !QMediaDevices::defaultAudioOutput().isNull();
    if (!soundOutput_)
        Sound->setText(QStringLiteral("No sound output found."));
    updateButtons();
}

PreviewWindow::~PreviewWindow() {
    stopPlayback();
    render_.stop();
}

void PreviewWindow::showFile(const QString& path) {
    stopPlayback();
    path_ = path;
    FileName->setText(FileNameOf(path));
    FileName->setToolTip(path);
    Waveform->setMessage(WaveformView::InputStrip, QString());
    Waveform->setMessage(WaveformView::EchoStrip, QString());
    settle_.stop();
    render_.forget();  // the file may have changed since it was shown
    renderEcho();
}

void PreviewWindow::echoFieldsChanged() {
    settle_.start();
}

// Renders with the fields as they are now; a field that is not a number stops the render and
// is named in place of the echo strip, in the words of the window's own test.
void PreviewWindow::renderEcho() {
    if (path_.isEmpty())
        return;
    const EchoTexts texts = echoTexts_();
    const QString failure = CheckEchoTexts(texts);
    if (!failure.isEmpty()) {
        render_.stop();
        stopPlayback();
        Waveform->setMessage(WaveformView::EchoStrip, failure);
        Status->clear();
        updateButtons();
        emit rendered();
        return;
    }
    Status->setText(QStringLiteral("Rendering..."));
    render_.render(path_, texts);
}

void PreviewWindow::onInputReady(const PreviewAudio& audio) {
    Waveform->setAudio(WaveformView::InputStrip, audio);
}

void PreviewWindow::onEchoReady(const PreviewAudio& audio) {
    stopPlayback();
    Waveform->setAudio(WaveformView::EchoStrip, audio);
    Status->clear();
    updateButtons();
    emit rendered();
}

void PreviewWindow::onFailed(bool input, const QString& reason) {
    stopPlayback();
    if (input)
        Waveform->setMessage(WaveformView::InputStrip, reason);
    Waveform->setMessage(WaveformView::EchoStrip, input ? QString() : reason);
    Status->setText(reason);
    updateButtons();
    emit rendered();
}

// Plays the echo as rendered, with a line following the position over the strips.
void PreviewWindow::startPlayback() {
    stopPlayback();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    soundOutput_ = !device.isNull();
    Sound->setText(soundOutput_ ? QString() : QStringLiteral("No sound output found."));
    const PreviewAudio& audio = Waveform->audio(WaveformView::EchoStrip);
    if (!soundOutput_ || audio.frames() == 0) {
        updateButtons();
        return;
    }
    playing_.setData(audio.pcm);
    playing_.open(QIODevice::ReadOnly);
    sink_ = new QAudioSink(device, PreviewFormat(), this);
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            stopPlayback();
    });
    sink_->start(&playing_);
    if (sink_->error() != QAudio::NoError) {
        Sound->setText(QStringLiteral("The sound output could not be opened."));
        stopPlayback();
        return;
    }
    Waveform->setCursorSeconds(0);
    cursorTimer_.start();
    updateButtons();
}

void PreviewWindow::stopPlayback() {
    cursorTimer_.stop();
    if (sink_) {
        QAudioSink* sink = sink_;
        sink_ = nullptr;  // the stop below reports a state change that comes back here
        sink->disconnect(this);
        sink->stop();
        sink->deleteLater();
    }
    playing_.close();
    if (Waveform)
        Waveform->setCursorSeconds(-1);
    updateButtons();
}

void PreviewWindow::followPlayback() {
    if (!sink_)
        return;
    // What has been handed to the output, less what still waits in its buffer.
    const qint64 waiting = sink_->format().durationForBytes(
        static_cast<qint32>(std::max<qsizetype>(0, sink_->bufferSize() - sink_->bytesFree())));
    Waveform->setCursorSeconds(static_cast<double>(sink_->processedUSecs() - waiting) / 1e6);
}

void PreviewWindow::updateButtons() {
    if (!Play)
        return;
    Play->setEnabled(soundOutput_ && !sink_ &&
                     Waveform->audio(WaveformView::EchoStrip).frames() > 0);
    Stop->setEnabled(sink_ != nullptr);
}

}  // namespace eb
