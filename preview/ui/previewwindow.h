// The "Preview" window: one list entry's first seconds drawn as they are and with the echo of
// the main window's four fields, and played on the desktop's default sound output. It follows
// the fields: a change re-renders after a short pause, once all four are numbers. Closing it
// stops the render and the sound and removes every file the render made.
#pragma once

#include "options/echooptions.h"
#include "preview/previewrender.h"

#include <QBuffer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAudioSink;
class QLabel;
class QPushButton;

namespace eb {

class WaveformView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // The pause after a field's change before the echo is rendered again.
    static constexpr int kSettleMs = 300;

    // `echoTexts` reads the four fields whenever a render is due.
    explicit PreviewWindow(std::function<EchoTexts()> echoTexts, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Shows the preview of `path`, rendering it at once.
    void showFile(const QString& path);
    // One of the four fields changed: the echo follows after kSettleMs.
    void echoFieldsChanged();

    const QString& path() const { return path_; }
    bool soundOutputFound() const { return soundOutput_; }
    PreviewRender& render() { return render_; }

    QLabel* fileName = nullptr;
    WaveformView* waveform = nullptr;
    QLabel* status = nullptr;  // the render's state or the tool's reason
    QLabel* sound = nullptr;   // "No sound output found." when there is none
    QPushButton* play = nullptr;
    QPushButton* stop = nullptr;

signals:
    // A render has ended (samples drawn or a reason shown).
    void rendered();

private:
    void renderEcho();
    void onInputReady(const PreviewAudio& audio);
    void onEchoReady(const PreviewAudio& audio);
    void onFailed(bool input, const QString& reason);
    void startPlayback();
    void stopPlayback();
    void followPlayback();
    void updateButtons();

    std::function<EchoTexts()> echoTexts_;
    PreviewRender render_;
    QString path_;
    QTimer settle_;
    QTimer cursorTimer_;
    QAudioSink* sink_ = nullptr;
    QBuffer playing_;
    bool soundOutput_ = false;
};

}  // namespace eb
