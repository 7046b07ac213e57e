// Each file's encoding class is read before its conversion: that read must cost next to nothing
// beside the conversion itself (target: under 2 % of a one-second file's SoX run). Makes one-
// second MP3 files as the batch benchmark does, then times the read of all of them against SoX
// converting some of them, best of several rounds, on the same machine at the same time.
#include "engine/audio/encodingclass.h"
#include "engine/conversionjob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool Sox(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("sox"), args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kFiles = 100, kConverted = 10, kRounds = 5;
    constexpr double kLimit = 0.02;
    QTemporaryDir dir;
    QStringList files;
    for (int k = 0; k < kFiles; ++k) {
        files << dir.filePath(QStringLiteral("f%1.mp3").arg(k));
        // A VBR file among CBR ones: its Xing and encoder tags are read too.
        const QStringList vbr = k % 10 == 0 ? QStringList{"-C", "-2"} : QStringList();
        if (!Sox(QStringList{"-n", "-r", "44100", "-c", "2"} + vbr +
                 QStringList{files.last(), "synth", "1", "sine", QString::number(200 + 7 * k),
                             "vol", "0.5"})) {
            std::fprintf(stderr, "bench: sox could not make the input files\n");
            return 1;
        }
    }
    const eb::EchoTexts echo{"0.8", "0.7", "63", "0.3"};
    double readNs = 1e18, soxNs = 1e18;
    QElapsedTimer clock;
    for (int r = 0; r < kRounds; ++r) {
        clock.start();
        qsizetype chars = 0;
        for (const QString& f : files)
            chars += eb::CompressionFor(eb::ReadInputEncoding(f)).size();
        readNs = std::min(readNs, static_cast<double>(clock.nsecsElapsed()) / kFiles);
        if (chars < kFiles)
            return 1;
        clock.start();
        for (int k = 0; k < kConverted; ++k) {
            if (!Sox(eb::ToolArguments(files[k], dir.filePath("out.mp3"), echo, "128")))
                return 1;
        }
        soxNs = std::min(soxNs, static_cast<double>(clock.nsecsElapsed()) / kConverted);
    }
    const double share = readNs / soxNs;
    std::printf(
        "encoding class read: %.0f us per file, %.2f %% of a one-second file's SoX run "
        "(%.0f ms), best of %d rounds (target < %.0f %%) %s\n",
        readNs / 1e3, share * 100, soxNs / 1e6, kRounds, kLimit * 100,
        share < kLimit ? "met" : "MISSED");
    return share < kLimit ? 0 : 1;
}
