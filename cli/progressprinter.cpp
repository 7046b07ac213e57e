#include "cli/progressprinter.h"

#include "core/usertext.h"
#include "paths/pathtext.h"

#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace eb {

namespace {

constexpr int kBarWidth = 30;

// The count that picks a message's plural form.
int Count(qsizetype n) {
    return static_cast<int>(qMin<qsizetype>(n, std::numeric_limits<int>::max()));
}

// An input's size in bytes, for the time left; 0 when it is not a regular file.
qint64 SizeOf(const QString& file) {
    struct stat st {};
    if (::stat(EncodePathBytes(file).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return st.st_size;
}

}  // namespace

ProgressPrinter::ProgressPrinter(int total, bool quiet, std::FILE* stream)
    : stream_(stream),
      total_(total),
      quiet_(quiet),
      live_(!quiet && ::isatty(::fileno(stream)) == 1),
      terminal_(::isatty(::fileno(stream)) == 1) {
    clock_.start();
}

void ProgressPrinter::setInputs(const QStringList& files) {
    qint64 bytes = 0;
    for (qsizetype k = 0; live_ && k < files.size(); ++k)
        bytes += SizeOf(files[k]);
    timeLeft_ = TimeLeft(bytes);
}

void ProgressPrinter::fileStarted(const ConversionResult& planned) {
    ++running_;
    if (live_)
        timeLeft_.started(planned.music, SizeOf(planned.input));
    drawBar();
}

void ProgressPrinter::fileFinished(int index, const ConversionResult& result, bool started) {
    if (started && running_ > 0)
        --running_;
    ++done_;
    if (live_)
        timeLeft_.ended(result.music, started ? 0 : SizeOf(result.input), started);
    if (quiet_)
        return;
    const QString position = QStringLiteral("[%1/%2]").arg(index + 1).arg(total_);
    if (result.upToDate)
        print(UserText::tr("%1 up to date %2 -> %3").arg(position, result.input, result.output) +
              (result.albumUpdated ? UserText::tr(" (album ReplayGain updated)") : QString()));
    else if (!result.converted)
        print(UserText::tr("%1 FAILED     %2: %3").arg(position, result.input, result.reason));
    else
        print(UserText::tr("%1 converted  %2 -> %3%4")
                  .arg(position, result.input, result.output,
                       result.replaced ? UserText::tr(" (replaced an existing file)") : QString()));
    if ((result.converted || result.upToDate) && !result.warning.isEmpty())
        print(UserText::tr("%1 WARNING    %2: %3").arg(position, result.input, result.warning));
}

ProgressPrinter::Tally ProgressPrinter::tally(qsizetype total, const ResultOf& resultOf) {
    Tally t;
    t.total = total;
    for (qsizetype k = 0; k < total; ++k) {
        const ConversionResult r = resultOf(k);
        t.upToDate += r.upToDate ? 1 : 0;
        t.albumUpdated += r.albumUpdated ? 1 : 0;
        t.replaced += r.replaced ? 1 : 0;
        if (!r.converted && !r.upToDate)
            t.failed << k;
        else if (!r.warning.isEmpty())
            t.warned << k;
    }
    return t;
}

// "N of M files converted", with ", K replaced an existing file, J up to date" where not zero.
QString ProgressPrinter::Tally::convertedText() const {
    QString text = UserText::tr("%1 of %n files converted", nullptr, Count(total))
                       .arg(total - failed.size() - upToDate);
    if (replaced > 0)
        text += UserText::tr(", %n replaced an existing file", nullptr, Count(replaced));
    if (upToDate > 0)
        text += UserText::tr(", %n up to date", nullptr, Count(upToDate));
    if (albumUpdated > 0)
        text +=
            UserText::tr(" (album ReplayGain updated in %n files)", nullptr, Count(albumUpdated));
    return text;
}

// A file converted with a warning counts as converted (its audio is there), but the warning is
// told even when the tool is asked to be quiet; so is one of an up-to-date file (its album's
// values), in a list of its own.
void ProgressPrinter::tellWarnings(const Tally& t, const ResultOf& resultOf) {
    for (const bool upToDate : {false, true}) {
        QList<qsizetype> group;
        for (const qsizetype k : t.warned) {
            if (resultOf(k).upToDate == upToDate)
                group << k;
        }
        if (group.isEmpty())
            continue;
        print((upToDate ? UserText::tr("echobatch-cli: %1 of %n files up to date with a warning:",
                                       nullptr, Count(t.total))
                        : UserText::tr("echobatch-cli: %1 of %n files converted with a warning:",
                                       nullptr, Count(t.total)))
                  .arg(group.size()));
        for (const qsizetype k : group) {
            const ConversionResult r = resultOf(k);
            print(QStringLiteral("  ") + NamedText(r.input, r.warning));
        }
    }
}

void ProgressPrinter::summary(qsizetype total, const ResultOf& resultOf, bool interrupted) {
    clearBar();
    live_ = false;
    if (!quiet_) {
        for (const QString& note : std::as_const(notes_))
            print(QStringLiteral("echobatch-cli: ") + note);
    }
    const Tally t = tally(total, resultOf);
    if (interrupted) {
        print(UserText::tr("echobatch-cli: interrupted; ") + t.convertedText());
        tellWarnings(t, resultOf);
        return;
    }
    if (t.failed.isEmpty()) {
        if (!quiet_)
            print(QStringLiteral("echobatch-cli: ") + t.convertedText());
        tellWarnings(t, resultOf);
        return;
    }
    tellWarnings(t, resultOf);
    if (t.replaced + t.upToDate > 0)
        print(QStringLiteral("echobatch-cli: ") + t.convertedText());
    print(UserText::tr("echobatch-cli: %1 of %n files failed:", nullptr, Count(total))
              .arg(t.failed.size()));
    for (const qsizetype k : t.failed) {
        const ConversionResult r = resultOf(k);
        print(QStringLiteral("  ") + NamedText(r.input, r.reason));
    }
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
    QString text =
        QStringLiteral("\r\x1b[K") + UserText::tr("[%1] %n/%2 done, %3 running", nullptr, done_)
                                         .arg(bar)
                                         .arg(total_)
                                         .arg(running_);
    // Once a first file has ended, from the music converted per second.
    if (const std::optional<double> left =
            timeLeft_.secondsLeft(static_cast<double>(clock_.nsecsElapsed()) / 1e9);
        left && done_ < total_)
        text += QStringLiteral(", ") + TimeLeft::text(*left);
    std::fputs(text.toLocal8Bit().constData(), stream_);
    std::fflush(stream_);
}

void ProgressPrinter::clearBar() {
    if (live_ && !broken_)
        std::fputs("\r\x1b[K", stream_);
}

}  // namespace eb
