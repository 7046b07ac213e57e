// The preview's sound on a real PulseAudio server whose only output is a null sink: Play moves
// the cursor line over the strips, Stop ends it, and a played-out render ends by itself.
#include "preview/ui/previewwindow.h"
#include "preview/ui/waveformview.h"
#include "shell/form1.h"
#include "support/widgetsupport.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace eb;

class TestPreviewSound : public QObject {
    Q_OBJECT
    ebtest::ProgramFolder folder_;
    QTemporaryDir scratch_;

private slots:
    void playMovesTheCursor() {
        const QString input = scratch_.filePath(QStringLiteral("impulse.wav"));
        QVERIFY(ebtest::makeImpulseWav(input, 1.5, 0.5, 20000));
        ebtest::ScriptedPrompter prompter;
        Form1 form(folder_.startup(), &prompter);
        form.openPreview(input);
        PreviewWindow* window = form.previewWindow();
        QSignalSpy rendered(window, &PreviewWindow::rendered);
        QVERIFY(rendered.wait(ebtest::kLongWaitMs));
        QVERIFY(window->soundOutputFound());
        QCOMPARE(window->sound->text(), QString());
        WaveformView& view = *window->waveform;

        QVERIFY(window->play->isEnabled());
        window->play->click();
        QVERIFY(window->stop->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(view.cursorSeconds() > 0.3, ebtest::kShortWaitMs);
        window->stop->click();
        QCOMPARE(view.cursorSeconds(), -1.0);
        QVERIFY(window->play->isEnabled());

        window->play->click();  // to the end: about 1.6 s
        QTRY_VERIFY_WITH_TIMEOUT(view.cursorSeconds() > 1.0, ebtest::kShortWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(view.cursorSeconds(), -1.0, ebtest::kShortWaitMs);
        QVERIFY(!window->stop->isEnabled());
        QVERIFY(prompter.boxes.isEmpty());
    }
};

// A private sound server for this process: a null sink behind a socket in a scratch folder.
int main(int argc, char** argv) {
    const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (pulseaudio.isEmpty()) {
        std::fprintf(stderr, "FAIL: pulseaudio is not installed (Debian package pulseaudio)\n");
        return 1;
    }
    QTemporaryDir home;
    const QString socket = home.filePath(QStringLiteral("sock"));
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.remove(QStringLiteral("DISPLAY"));
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(
        pulseaudio,
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
         QStringLiteral("--log-level=error"),
         QStringLiteral("--load=module-null-sink sink_name=quiet"),
         QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket});
    for (int k = 0; k < 100 && !QFileInfo::exists(socket); ++k)
        QThread::msleep(100);
    if (!QFileInfo::exists(socket)) {
        std::fprintf(stderr, "FAIL: the sound server did not start\n");
        return 1;
    }
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
    int status = 0;
    {
        QApplication app(argc, argv);
        TestPreviewSound test;
        status = QTest::qExec(&test, argc, argv);
    }
    server.kill();
    server.waitForFinished();
    return status;
}
#include "tst_previewsound.moc"
