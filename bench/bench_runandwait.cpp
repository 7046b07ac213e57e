// RunAndWait learns a child's end at once: a batch of short children must not pay a pass of
// 100 ms each. Runs `true` many times and fails when the mean wait comes near one pass.
#include "process/runandwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {
struct QuietDisplay : eb::ProgressDisplay {
    int shown = 0;
    void setProgressText(const QString&) override { ++shown; }
};
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRuns = 100;
    constexpr double kLimitMs = 20.0;  // a fifth of a pass
    QuietDisplay display;
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < kRuns; ++k) {
        if (eb::RunAndWait(display, QStringLiteral("true"), {}).code != 0) {
            std::fprintf(stderr, "bench: `true` did not end with 0\n");
            return 1;
        }
    }
    const double meanMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 / kRuns;
    std::printf(
        "RunAndWait of a child that ends at once: %.2f ms per call over %d calls "
        "(limit %.0f ms) %s\n",
        meanMs, kRuns, kLimitMs, meanMs <= kLimitMs ? "met" : "MISSED");
    return meanMs <= kLimitMs ? 0 : 1;
}
