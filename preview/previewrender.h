// The preview's audio: the first seconds of one file, as they are and with the echo, decoded
// as a batch decodes it (an MP3 here, gaplessly, anything else by SoX) and run through the same
// SoX a batch runs with the same "echos" arguments.
//
// Everything it writes lies in one private folder, made as a batch makes its tool folder (mode
// 0700, "echobatch-XXXXXX" in the temporary folder): the copy of the installed SoX, run from its
// open file as a batch runs its copy (the installed one where the copy cannot start), the
// decoded input, kept while the preview shows the same file, and each echo render until it has
// been read back. Nothing is written beside the input or into the output folder. The folder and
// all in it are removed when the object is destroyed.
#pragma once

#include "core/result.h"
#include "engine/tools/tooldeploy.h"
#include "options/echooptions.h"
#include "process/toolrun.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace eb {

class DecodedInput;

// 16-bit signed stereo samples at 44.1 kHz, interleaved, in the machine's byte order.
struct PreviewAudio {
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kFrameBytes = kChannels * 2;

    QByteArray pcm;

    qsizetype frames() const { return pcm.size() / kFrameBytes; }
    double seconds() const { return static_cast<double>(frames()) / kRate; }
    const qint16* samples() const { return reinterpret_cast<const qint16*>(pcm.constData()); }
};

class PreviewRender : public QObject {
    Q_OBJECT
public:
    // How much of a file is decoded and rendered.
    static constexpr int kSeconds = 15;

    explicit PreviewRender(QObject* parent = nullptr);
    // Stops a running render and removes the private folder with everything in it.
    ~PreviewRender() override;

    // Decodes the first kSeconds of `input` (unless it is the file decoded last), reports
    // inputReady(), then renders the echo and reports echoReady(). A render still running is
    // stopped first and reports nothing more.
    void render(const QString& input, const EchoTexts& echo);
    // Stops a running render; nothing more is reported for it.
    void stop();
    // Stops, and drops the decoded input, so that the next render reads the file afresh.
    void forget();

    bool isRunning() const { return run_.isRunning(); }
    // The private folder; empty until the first render made it.
    QString folder() const;

signals:
    void inputReady(const eb::PreviewAudio& audio);
    void echoReady(const eb::PreviewAudio& audio);
    // The file could not be decoded (the tool's reason); no echo follows.
    void inputFailed(const QString& reason);
    // The echo could not be rendered (the tool's reason).
    void echoFailed(const QString& reason);

private:
    enum class Stage { Idle, Input, Echo };

    Result<> makeFolder();
    void startInput(int fd);
    QString finishDecoding();
    void start(Stage stage, QStringList args);
    void startEcho();
    void onFinished(const ToolRun::Outcome& outcome);
    void fail(Stage stage, const QString& reason);
    void removeOutput();

    ToolRun run_;
    ToolSet tools_;
    std::unique_ptr<DecodedInput> decoded_;  // an MP3 input's samples for the tool, while it reads
    Stage stage_ = Stage::Idle;
    bool stopping_ = false;
    int serial_ = 0;
    QString program_;
    QString output_;        // what the running stage writes
    QString decodedInput_;  // the file whose samples lie in decodedPath_
    QString decodedPath_;
    QString input_;
    EchoTexts echo_;
};

}  // namespace eb
