#include "engine/conversionjob.h"

#include "engine/pathhelpers.h"
#include "engine/runandwait.h"
#include "engine/tagcopy.h"
#include "engine/tooldeploy.h"
#include "shell/steps.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <exception>

namespace eb {

namespace {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The permissions a newly created output gets, as the tool would have given it.
mode_t NewFileMode() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return static_cast<mode_t>(0666 & ~mask);
}

// The temporary name keeps the output's base name for the user's orientation, shortened so
// that the longer name still fits the file system's limit.
QByteArray TemporaryPattern(const QString& output) {
    const qsizetype slash = output.lastIndexOf(QLatin1Char('/'));
    const QString folder = output.left(slash + 1);
    QString base = output.mid(slash + 1);
    base.chop(4);  // ".mp3"
    while (base.toUtf8().size() > 200)
        base.chop(1);
    return QFile::encodeName(folder + u'.' + base + QStringLiteral(".echobatch-XXXXXX.mp3"));
}

// Creates an empty hidden file beside the output, with the permissions a new output gets.
// Returns its name; an empty name and `error` when it cannot be created.
QString CreateTemporary(const QString& output, QString* error) {
    QByteArray pattern = TemporaryPattern(AbsolutePath(output));
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("cannot write into the output folder: ") + ErrnoText(errno);
        return QString();
    }
    const QString name = QFile::decodeName(pattern);
    const bool ok = ::fchmod(fd, NewFileMode()) == 0;
    const int fchmodError = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(pattern.constData());
        *error = QStringLiteral("cannot write into the output folder: ") + ErrnoText(fchmodError);
        return QString();
    }
    return name;
}

QString LastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QByteArray line = it->trimmed();
        if (!line.isEmpty())
            return QString::fromLocal8Bit(line);
    }
    return QString();
}

}  // namespace

QStringList ToolArguments(const QString& input, const QString& output, const EchoTexts& echo) {
    return QStringList{QStringLiteral("--no-glob"), AbsolutePath(input),
                       QStringLiteral("--no-glob"), AbsolutePath(output)} +
           EchoArguments(echo);
}

QStringList EchoArguments(const EchoTexts& echo) {
    return {QStringLiteral("echos"), echo.gainIn, echo.gainOut, echo.delay, echo.decay};
}

QString ToolFailure(const ToolRun::Outcome& outcome, const QString& program) {
    if (outcome.cancelled)
        return QStringLiteral("stopped");
    if (!outcome.started)
        return QStringLiteral("the tool could not be started: %1 (%2)")
            .arg(ErrnoText(outcome.startErrno), program);
    if (const QString failLine = FailLine(outcome.stderrTail); !failLine.isEmpty())
        return failLine;
    if (outcome.crashed)
        return QStringLiteral("the tool was ended by signal %1 (%2)")
            .arg(outcome.signal)
            .arg(QString::fromLocal8Bit(strsignal(outcome.signal)));
    if (outcome.exitCode != 0) {
        const QString last = LastLine(outcome.stderrTail);
        return last.isEmpty()
                   ? QStringLiteral("the tool ended with exit code %1").arg(outcome.exitCode)
                   : last;
    }
    return QString();
}

QString FailLine(const QByteArray& stderrText) {
    const QList<QByteArray> lines = stderrText.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        // The tool's messages read "<program> <LEVEL> <where>: <text>".
        const QList<QByteArray> words = it->trimmed().split(' ');
        if (words.size() >= 2 && words[1] == "FAIL")
            return QString::fromLocal8Bit(it->trimmed());
    }
    return QString();
}

ConversionJob::ConversionJob(const QString& input, QObject* parent) : QObject(parent) {
    result_.input = input;
    connect(&run_, &ToolRun::finished, this, &ConversionJob::onRunFinished);
}

ConversionJob::~ConversionJob() {
    disconnect(&run_, nullptr, this, nullptr);
    if (run_.isRunning())
        run_.terminateNow(0);
    removeTemporary();
}

void ConversionJob::formOutputPath(const QString& outputFolderText) {
    result_.output = OutputPathFor(outputFolderText, result_.input);
}

bool ConversionJob::checkOutputIsFree(const std::function<bool(const FileIdentity&)>& isListFile) {
    const std::optional<FileIdentity> existing = IdentityOf(result_.output);
    if (!existing)
        return true;
    if (IdentityOf(result_.input) == existing) {
        fail(QStringLiteral("skipped: the output would replace the input file itself"));
        return false;
    }
    if (isListFile && isListFile(*existing)) {
        fail(QStringLiteral("skipped: the output would replace another file of the list"));
        return false;
    }
    return true;
}

bool ConversionJob::prepare(const EchoTexts& echo) {
    const QString wrong = CheckEchoTexts(echo);
    if (!wrong.isEmpty()) {
        fail(QString(wrong).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return false;
    }
    QString error;
    temp_ = CreateTemporary(result_.output, &error);
    if (temp_.isEmpty()) {
        fail(error);
        return false;
    }
    args_ = ToolArguments(result_.input, temp_, echo);
    return true;
}

bool ConversionJob::plan(const QString& outputFolderText, const EchoTexts& echo,
                         const IdentitySet& listFiles) {
    try {
        formOutputPath(outputFolderText);
    } catch (const StepError& e) {
        fail(e.description());
        return false;
    }
    return checkOutputIsFree([&](const FileIdentity& id) { return listFiles.contains(id); }) &&
           prepare(echo);
}

void ConversionJob::runAndWait(ProgressDisplay& display, ToolSet& tools) {
    QString program = tools.program();
    ToolRun::Outcome outcome;
    std::exception_ptr displayFailure;
    auto attempt = [&] {
        try {
            RunAndWait(display, run_, program, args_, 0, &outcome);
        } catch (...) {
            displayFailure = std::current_exception();
        }
    };
    attempt();
    if (!outcome.started && !outcome.cancelled && !done_ && tools.fallBack()) {
        program = tools.program();
        attempt();
    }
    if (!done_)
        conclude(outcome, program);
    if (displayFailure)
        std::rethrow_exception(displayFailure);
}

void ConversionJob::start(ToolSet& tools) {
    async_ = true;
    program_ = tools.program();
    bool started = run_.start(program_, args_);
    if (!started && tools.fallBack()) {
        program_ = tools.program();
        started = run_.start(program_, args_);
    }
    if (!started) {
        conclude(run_.outcome(), program_);
        QMetaObject::invokeMethod(this, &ConversionJob::finished, Qt::QueuedConnection);
    }
}

void ConversionJob::cancel() {
    if (run_.isRunning())
        run_.cancel();
}

void ConversionJob::abortNow() {
    if (run_.isRunning())
        run_.terminateNow();
    if (!done_)
        fail(QStringLiteral("stopped"));
}

void ConversionJob::onRunFinished() {
    if (done_ || !async_)
        return;  // the synchronous run concludes itself
    conclude(run_.outcome(), program_);
    emit finished();
}

void ConversionJob::fail(const QString& reason) {
    removeTemporary();
    result_.converted = false;
    result_.reason = reason;
    result_.warning.clear();
    done_ = true;
}

void ConversionJob::conclude(const ToolRun::Outcome& outcome, const QString& program) {
    outcome_ = outcome;
    QString reason = ToolFailure(outcome, program);
    if (reason.isEmpty()) {
        struct stat st {};
        if (::stat(QFile::encodeName(temp_).constData(), &st) != 0 || st.st_size == 0) {
            const QString last = LastLine(outcome.stderrTail);
            reason = last.isEmpty() ? QStringLiteral("the tool wrote no output")
                                    : QStringLiteral("the tool wrote no output: ") + last;
        }
    }
    if (reason.isEmpty())
        attachTags();
    if (reason.isEmpty() &&
        ::rename(QFile::encodeName(temp_).constData(),
                 QFile::encodeName(AbsolutePath(result_.output)).constData()) != 0) {
        reason = QStringLiteral("cannot replace %1: %2").arg(result_.output, ErrnoText(errno));
    }
    if (reason.isEmpty()) {
        temp_.clear();
        result_.converted = true;
        result_.reason.clear();
        done_ = true;
    } else {
        fail(reason);
    }
}

// The tool's output gets the input's tags. When that fails the audio is still kept, under the
// tool's own tags, and the reason goes with the result.
void ConversionJob::attachTags() {
    TagSource source(AbsolutePath(result_.input));
    QString error = source.error();
    if (error.isEmpty() && !source.hasTags())
        return;
    QString tagged;
    if (error.isEmpty())
        tagged = CreateTemporary(result_.output, &error);
    if (error.isEmpty()) {
        error = source.writeTagged(temp_, tagged);
        ::unlink(QFile::encodeName(error.isEmpty() ? temp_ : tagged).constData());
        if (error.isEmpty())
            temp_ = tagged;
    }
    if (!error.isEmpty())
        result_.warning = QStringLiteral("tags not copied: ") + error;
}

void ConversionJob::removeTemporary() {
    if (!temp_.isEmpty())
        ::unlink(QFile::encodeName(temp_).constData());
    temp_.clear();
}

}  // namespace eb
