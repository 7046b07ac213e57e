// The preview's render of the first 15 s of a one-minute 44.1 kHz stereo MP3: the whole render
// (decode, then echo) of a file shown first, and the echo alone after a field changed. Prints
// the median and the slowest of several runs; fails when the median of the whole render
// reaches half a second.
#include "preview/previewrender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kRuns = 9;
constexpr double kLimitMs = 500.0;

// Milliseconds from render() to the echo's samples; negative on a failure.
double TimeRender(eb::PreviewRender& render, const QString& input, const eb::EchoTexts& echo) {
    QEventLoop loop;
    bool ok = false;
    const auto done = QObject::connect(&render, &eb::PreviewRender::echoReady, &loop, [&] {
        ok = true;
        loop.quit();
    });
    const auto failedInput =
        QObject::connect(&render, &eb::PreviewRender::inputFailed, &loop, [&](const QString& why) {
            std::fprintf(stderr, "bench: %s\n", qPrintable(why));
            loop.quit();
        });
    QElapsedTimer clock;
    clock.start();
    render.render(input, echo);
    loop.exec();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(done);
    QObject::disconnect(failedInput);
    return ok ? ms : -1;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.0f ms, slowest %.0f ms over %d runs\n", what, ms[ms.size() / 2],
                ms.back(), static_cast<int>(ms.size()));
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString mp3 = scratch.filePath(QStringLiteral("minute.mp3"));
    // Two tones and some noise, so that the encoder has work to do, as in music.
    if (QProcess::execute(
            QStringLiteral("sox"),
            {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
             QStringLiteral("-c"), QStringLiteral("2"), mp3, QStringLiteral("synth"),
             QStringLiteral("60"), QStringLiteral("sine"), QStringLiteral("220"),
             QStringLiteral("pinknoise"), QStringLiteral("vol"), QStringLiteral("0.5")}) != 0) {
        std::fprintf(stderr, "bench: SoX could not make the test MP3\n");
        return 1;
    }
    std::vector<double> whole, echoOnly;
    for (int k = 0; k < kRuns; ++k) {
        eb::PreviewRender render;
        eb::EchoTexts echo = eb::DefaultEchoTexts();
        whole.push_back(TimeRender(render, mp3, echo));
        echo.delay = QString::number(100 + k);
        echoOnly.push_back(TimeRender(render, mp3, echo));
    }
    if (std::min(*std::min_element(whole.begin(), whole.end()),
                 *std::min_element(echoOnly.begin(), echoOnly.end())) < 0)
        return 1;
    Report("Preview of 15 s of a 44.1 kHz stereo MP3, decode and echo", whole);
    Report("Preview, the echo again after a field changed", echoOnly);
    std::sort(whole.begin(), whole.end());
    const bool met = whole[whole.size() / 2] < kLimitMs;
    std::printf("limit %.0f ms for the median of the whole render: %s\n", kLimitMs,
                met ? "met" : "MISSED");
    return met ? 0 : 1;
}
