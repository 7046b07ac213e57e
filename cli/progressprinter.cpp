#include "cli/progressprinter.h"

#include "engine/pathtext.h"

#include <unistd.h>
#include <algorithm>

namespace eb {

namespace {

constexpr int kBarWidth = 30;

// ", 2 replaced an existing file, 3 up to date" (the parts that are not zero).
QString CountsTail(const QList<ConversionResult>& results, qsizetype upToDate) {
    const qsizetype replaced =
        std::count_if(results.begin(), results.end(), [](const auto& r) { return r.replaced; });
    QString tail;
    if (replaced > 0)
        tail += QStringLiteral(", %1 replaced an existing file").arg(replaced);
    if (upToDate > 0)
        tail += QStringLiteral(", %1 up to date").arg(upToDate);
    return tail;
}

}  // namespace

ProgressPrinter::ProgressPrinter(int total, bool quiet, std::FILE* stream)
    : stream_(stream),
      total_(total),
      quiet_(quiet),
      live_(!quiet && ::isatty(::fileno(stream)) == 1),
      terminal_(::isatty(::fileno(stream)) == 1) {}

void ProgressPrinter::fileStarted() {
    ++running_;
    drawBar();
}

void ProgressPrinter::fileFinished(int index, const ConversionResult& result) {
    if (running_ > 0)
        --running_;
    ++done_;
    if (quiet_)
        return;
    const QString position = QStringLiteral("[%1/%2]").arg(index + 1).arg(total_);
    if (result.upToDate)
        print(QStringLiteral("%1 up to date %2 -> %3").arg(position, result.input, result.output));
    else if (!result.converted)
        print(QStringLiteral("%1 FAILED     %2: %3").arg(position, result.input, result.reason));
    else
        print(
            QStringLiteral("%1 converted  %2 -> %3%4")
                .arg(position, result.input, result.output,
                     result.replaced ? QStringLiteral(" (replaced an existing file)") : QString()));
    if (result.converted && !result.warning.isEmpty())
        print(QStringLiteral("%1 WARNING    %2: %3").arg(position, result.input, result.warning));
}

void ProgressPrinter::summary(const QList<ConversionResult>& results, bool interrupted) {
    clearBar();
    live_ = false;
    if (!quiet_) {
        for (const QString& note : std::as_const(notes_))
            print(QStringLiteral("echobatch-cli: ") + note);
    }
    QList<const ConversionResult*> failed;
    QList<const ConversionResult*> warned;
    for (const ConversionResult& r : results) {
        if (!r.converted && !r.upToDate)
            failed << &r;
        else if (!r.warning.isEmpty())
            warned << &r;
    }
    // A file converted with a warning counts as converted (its audio is there), but the
    // warning is told even when the tool is asked to be quiet.
    const auto tellWarnings = [&] {
        if (warned.isEmpty())
            return;
        print(QStringLiteral("echobatch-cli: %1 of %2 files converted with a warning:")
                  .arg(warned.size())
                  .arg(results.size()));
        for (const ConversionResult* r : warned)
            print(QStringLiteral("  %1: %2").arg(r->input, r->warning));
    };
    const qsizetype upToDate =
        std::count_if(results.begin(), results.end(), [](const auto& r) { return r.upToDate; });
    const qsizetype converted = results.size() - failed.size() - upToDate;
    const QString counts = CountsTail(results, upToDate);
    if (interrupted) {
        print(QStringLiteral("echobatch-cli: interrupted; %1 of %2 files converted%3")
                  .arg(converted)
                  .arg(results.size())
                  .arg(counts));
        tellWarnings();
        return;
    }
    if (failed.isEmpty()) {
        if (!quiet_)
            print(QStringLiteral("echobatch-cli: %1 of %2 files converted%3")
                      .arg(converted)
                      .arg(results.size())
                      .arg(counts));
        tellWarnings();
        return;
    }
    tellWarnings();
    if (!counts.isEmpty())
        print(QStringLiteral("echobatch-cli: %1 of %2 files converted%3")
                  .arg(converted)
                  .arg(results.size())
                  .arg(counts));
    print(QStringLiteral("echobatch-cli: %1 of %2 files failed:")
              .arg(failed.size())
              .arg(results.size()));
    for (const ConversionResult* r : failed)
        print(QStringLiteral("  %1: %2").arg(r->input, r->reason));
}

// Names may hold bytes that are not UTF-8 and, on a terminal, control characters: both are
// shown escaped. A stream that cannot be written any more (its reader has gone: EPIPE; a
// file-size limit: EFBIG) is left alone from then on; the conversions go on.
void ProgressPrinter::print(const QString& line) {
    if (broken_)
        return;
    clearBar();
    std::fputs(EscapedText(line, terminal_).toLocal8Bit().constData(), stream_);
    std::fputc('\n', stream_);
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
        broken_ = true;
        return;
    }
    drawBar();
}

void ProgressPrinter::drawBar() {
    if (!live_ || broken_ || total_ <= 0)
        return;
    const int filled = done_ * kBarWidth / total_;
    const QString bar = QString(filled, u'#') + QString(kBarWidth - filled, u'-');
    const QString text = QStringLiteral("\r\x1b[K[%1] %2/%3 done, %4 running")
                             .arg(bar)
                             .arg(done_)
                             .arg(total_)
                             .arg(running_);
    std::fputs(text.toLocal8Bit().constData(), stream_);
    std::fflush(stream_);
}

void ProgressPrinter::clearBar() {
    if (live_ && !broken_)
        std::fputs("\r\x1b[K", stream_);
}

}  // namespace eb
