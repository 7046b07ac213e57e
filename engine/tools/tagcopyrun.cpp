#include "engine/tools/tagcopyrun.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/tools/toolcommand.h"
#include "mp3/taglayout.h"
#include "posix/uniquefd.h"

#include <QCoreApplication>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace eb {

namespace {

// The helper's exit statuses (tagcopy/tagcopytool.cpp).
constexpr int kNoTags = 10;
constexpr int kNotCopied = 11;

QString g_program;
int g_timeoutMs = 0;

}  // namespace

QString TagCopyProgram() {
    if (!g_program.isEmpty())
        return g_program;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/echobatch-tagcopy");
}

void SetTagCopyProgram(const QString& program, int timeoutMs) {
    g_program = program;
    g_timeoutMs = timeoutMs;
}

bool MayHaveTags(const QString& input, int fd) {
    if (!input.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive))
        return true;  // other formats: the helper asks TagLib
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return true;  // the helper names the reason
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, st.st_size);
    return !layout || layout->any() || layout->tailUnreadable;
}

TagCopyRun::Result TagCopyRun::interpret(const ToolRun::Outcome& outcome, bool timedOut,
                                         int timeoutMs) {
    using Kind = Result::Kind;
    const QString last = LastLine(outcome.stderrTail);
    const Said helperSaid{last, last};
    if (!outcome.started)
        return {Kind::NotCopied, InBoth([&] {
                    return UserText::tr("the tag copy could not be started: %1")
                        .arg(ErrnoText(outcome.startErrno));
                })};
    if (timedOut)
        return {
            Kind::NotCopied, InBoth([&] {
                return UserText::tr("the tag copy took longer than %1 s").arg(timeoutMs / 1000.0);
            })};
    if (outcome.cancelled)
        return {Kind::Stopped, Said()};
    if (outcome.crashed)
        return {Kind::NotCopied, InBoth([&] {
                    return UserText::tr("the tag copy was ended by signal %1 (%2)")
                        .arg(outcome.signal)
                        .arg(QString::fromLocal8Bit(strsignal(outcome.signal)));
                })};
    if (outcome.exitCode == 0)
        return {Kind::Copied, helperSaid};
    if (outcome.exitCode == kNoTags)
        return {Kind::NoTags, Said()};
    if (outcome.exitCode == kNotCopied && !last.isEmpty())
        return {Kind::NotCopied, helperSaid};
    return {Kind::NotCopied, InBoth([&] {
                return UserText::tr("the tag copy ended with exit code %1%2")
                    .arg(outcome.exitCode)
                    .arg(last.isEmpty() ? QString() : NamedText(QString(), last));
            })};
}

TagCopyRun::TagCopyRun(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        run_.cancel();
    });
    connect(&run_, &ToolRun::finished, this, &TagCopyRun::onRunFinished);
}

bool TagCopyRun::start(const QString& input, const Files& files) {
    timedOut_ = false;
    timeoutMs_ = g_timeoutMs > 0 ? g_timeoutMs : kTimeoutMs;
    run_.setPassedFds({files.input, files.converted, files.tagged});
    QStringList args{QStringLiteral("/dev/fd/3"), QStringLiteral("/dev/fd/4"),
                     QStringLiteral("/dev/fd/5"), input};
    if (files.replayGain)
        args << QString::number(files.replayGain->first, 'g', 17)
             << QString::number(files.replayGain->second, 'g', 17);
    const bool started = run_.start(TagCopyProgram(), args);
    run_.setPassedFds({});
    if (!started) {
        result_ = interpret(run_.outcome(), false, timeoutMs_);
        return false;
    }
    timer_.start(timeoutMs_);
    return true;
}

void TagCopyRun::cancel() {
    if (run_.isRunning())
        run_.cancel();
}

void TagCopyRun::terminateNow() {
    if (run_.isRunning())
        run_.terminateNow(0);
}

void TagCopyRun::onRunFinished() {
    timer_.stop();
    result_ = interpret(run_.outcome(), timedOut_, timeoutMs_);
    emit finished();
}

}  // namespace eb
