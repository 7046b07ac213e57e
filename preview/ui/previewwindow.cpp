#include "preview/ui/previewwindow.h"

#include "paths/pathhelpers.h"
#include "preview/ui/waveformview.h"

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
    setWindowTitle(tr("Preview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window still ends the program
    fileName = new QLabel(this);
    fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    waveform = new WaveformView(this);
    status = new QLabel(this);
    status->setWordWrap(true);
    play = new QPushButton(tr("Play"), this);
    stop = new QPushButton(tr("Stop"), this);
    sound = new QLabel(this);
    fileName->setAccessibleDescription(tr("The file shown"));
    status->setAccessibleDescription(tr("The state of the render"));
    play->setAccessibleDescription(tr("Play the file with the echo"));
    stop->setAccessibleDescription(tr("Stop playing"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(play);
    buttons->addWidget(stop);
    buttons->addWidget(sound, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileName);
    layout->addWidget(waveform, 1);
    layout->addWidget(status);
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
    connect(play, &QPushButton::clicked, this, &PreviewWindow::startPlayback);
    connect(stop, &QPushButton::clicked, this, &PreviewWindow::stopPlayback);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    soundOutput_ = !QMediaDevices::defaultAudioOutput().isNull();
    if (!soundOutput_)
        sound->setText(tr("No sound output found."));
    updateButtons();
}

PreviewWindow::~PreviewWindow() {
    stopPlayback();
    render_.stop();
}

void PreviewWindow::showFile(const QString& path) {
    stopPlayback();
    path_ = path;
    fileName->setText(FileNameOf(path));
    fileName->setToolTip(path);
    waveform->setMessage(WaveformView::InputStrip, QString());
    waveform->setMessage(WaveformView::EchoStrip, QString());
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
        waveform->setMessage(WaveformView::EchoStrip, failure);
        status->clear();
        updateButtons();
        emit rendered();
        return;
    }
    status->setText(tr("Rendering..."));
    render_.render(path_, texts);
}

void PreviewWindow::onInputReady(const PreviewAudio& audio) {
    waveform->setAudio(WaveformView::InputStrip, audio);
}

void PreviewWindow::onEchoReady(const PreviewAudio& audio) {
    stopPlayback();
    waveform->setAudio(WaveformView::EchoStrip, audio);
    status->clear();
    updateButtons();
    emit rendered();
}

void PreviewWindow::onFailed(bool input, const QString& reason) {
    stopPlayback();
    if (input)
        waveform->setMessage(WaveformView::InputStrip, reason);
    waveform->setMessage(WaveformView::EchoStrip, input ? QString() : reason);
    status->setText(reason);
    updateButtons();
    emit rendered();
}

// Plays the echo as rendered, with a line following the position over the strips.
void PreviewWindow::startPlayback() {
    stopPlayback();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    soundOutput_ = !device.isNull();
    sound->setText(soundOutput_ ? QString() : tr("No sound output found."));
    const PreviewAudio& audio = waveform->audio(WaveformView::EchoStrip);
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
        sound->setText(tr("The sound output could not be opened."));
        stopPlayback();
        return;
    }
    waveform->setCursorSeconds(0);
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
    if (waveform)
        waveform->setCursorSeconds(-1);
    updateButtons();
}

void PreviewWindow::followPlayback() {
    if (!sink_)
        return;
    // What has been handed to the output, less what still waits in its buffer.
    const qint64 waiting = sink_->format().durationForBytes(
        static_cast<qint32>(std::max<qsizetype>(0, sink_->bufferSize() - sink_->bytesFree())));
    waveform->setCursorSeconds(static_cast<double>(sink_->processedUSecs() - waiting) / 1e6);
}

void PreviewWindow::updateButtons() {
    if (!play)
        return;
    play->setEnabled(soundOutput_ && !sink_ &&
                     waveform->audio(WaveformView::EchoStrip).frames() > 0);
    stop->setEnabled(sink_ != nullptr);
}

}  // namespace eb
