#include "testsupport.h"

#include "core/settingsstore.h"
#include "engine/audio/gaplessinput.h"
#include "engine/audio/gaplessoutput.h"
#include "engine/tools/tagcopyrun.h"
#include "engine/tools/toolcommand.h"
#include "engine/tools/tooldeploy.h"
#include "posix/uniquefd.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <QFileInfo>
#include <QProcess>
#include <QVector>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace ebtest {

int run(const QString& program, const QStringList& args, QByteArray* out, QByteArray* err,
        int timeoutMs) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs)) {
        return -1;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool makeToneMp3(const QString& path, double seconds, int frequency) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return run(QStringLiteral("sox"),
               {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("--no-glob"), path,
                QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"),
                QString::number(frequency), QStringLiteral("vol"), QStringLiteral("0.5")}) == 0;
}

bool makeImpulseMp3(const QString& path, double seconds, double atSeconds) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Silence, with a 2 ms full-scale square burst at `atSeconds`: pad places the burst.
    const double burst = 0.002;
    return run(QStringLiteral("sox"),
               {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("--no-glob"), path,
                QStringLiteral("synth"), QString::number(burst), QStringLiteral("square"),
                QStringLiteral("1000"), QStringLiteral("vol"), QStringLiteral("0.9"),
                QStringLiteral("pad"), QString::number(atSeconds),
                QString::number(seconds - atSeconds - burst)}) == 0;
}

bool makeImpulseWav(const QString& path, double seconds, double atSeconds, qint16 amplitude) {
    constexpr quint32 kRate = 44100;
    const auto frames = static_cast<quint32>(seconds * kRate);
    QByteArray data(static_cast<qsizetype>(frames) * 4, '\0');
    const auto at = static_cast<qsizetype>(atSeconds * kRate) * 4;
    for (int k = 0; k < 4; ++k)  // both channels, little-endian
        data[at + k] = static_cast<char>((amplitude >> (8 * (k % 2))) & 0xff);
    auto le = [](quint32 v, int bytes) {
        QByteArray b;
        for (int k = 0; k < bytes; ++k)
            b += static_cast<char>((v >> (8 * k)) & 0xff);
        return b;
    };
    const QByteArray header = "RIFF" + le(36 + static_cast<quint32>(data.size()), 4) + "WAVEfmt " +
                              le(16, 4) + le(1, 2) + le(2, 2) + le(kRate, 4) + le(kRate * 4, 4) +
                              le(4, 2) + le(16, 2) + "data" +
                              le(static_cast<quint32>(data.size()), 4);
    return writeFile(path, header + data);
}

QVector<qint16> decodeSamples(const QString& path, int rate) {
    QByteArray raw;
    const int rc =
        run(QStringLiteral("sox"),
            {QStringLiteral("--no-glob"), path, QStringLiteral("-t"), QStringLiteral("raw"),
             QStringLiteral("-e"), QStringLiteral("signed"), QStringLiteral("-b"),
             QStringLiteral("16"), QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-r"),
             QString::number(rate), QStringLiteral("-L"), QStringLiteral("-")},
            &raw);
    QVector<qint16> samples;
    if (rc != 0)
        return samples;
    samples.resize(raw.size() / 2);
    memcpy(samples.data(), raw.constData(), static_cast<size_t>(samples.size()) * 2);
    return samples;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool makeTree(const QString& root, const QStringList& entries) {
    for (const QString& entry : entries) {
        const bool ok = entry.endsWith(u'/') ? QDir(root).mkpath(entry)
                                             : writeFile(root + u'/' + entry, "ID3 bytes");
        if (!ok)
            return false;
    }
    return true;
}

QStringList under(const QString& root, const QStringList& names) {
    QStringList paths;
    for (const QString& name : names)
        paths << root + u'/' + name;
    return paths;
}

DeleteAfterListing::DeleteAfterListing(const QString& watched, const QString& victim)
    : inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), victim_(victim) {
    inotify_add_watch(inotify_, QFile::encodeName(watched).constData(), IN_CLOSE_NOWRITE);
}

DeleteAfterListing::~DeleteAfterListing() {
    close(inotify_);
}

void DeleteAfterListing::operator()() {
    char events[4096];
    if (!deleted && read(inotify_, events, sizeof events) > 0)
        deleted = QDir(victim_).removeRecursively();
}

int runToolAsProgram(const QString& input, const QStringList& args, QByteArray* err) {
    if (args.value(1) != QStringLiteral("-"))
        return run(eb::InstalledSox(), args, nullptr, err);
    // mpg123 writes its header alone, before the samples: the type is named, not guessed.
    QStringList typed = args;
    typed.insert(1, QStringLiteral("-twav"));
    return run(QStringLiteral("/bin/sh"),
               QStringList{QStringLiteral("-c"),
                           QStringLiteral("mpg123 -q -e f32 -w - -- \"$0\" | \"$@\""), input,
                           eb::InstalledSox()} +
                   typed,
               nullptr, err);
}

bool convertWithoutTags(const QString& input, const QString& output) {
    const eb::EchoTexts e = eb::DefaultEchoTexts();
    const eb::InputPlan plan = eb::PlanInput(input);
    if (runToolAsProgram(input,
                         eb::ToolArguments(input, output, e, {}, eb::DecodedArguments(plan))) != 0)
        return false;
    const qint64 fed = plan.music + eb::EchoTailSamples(e.delay, plan.sampleRate);
    const eb::posix::UniqueFd fd(::open(QFile::encodeName(output).constData(), O_RDWR | O_CLOEXEC));
    return eb::FinishOutput(fd.get(), {plan.music, fed}).ok();
}

QByteArray checksum(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

QString binDir() {
    return qEnvironmentVariable("ECHOBATCH_BIN_DIR");
}
QString sourceDir() {
    return qEnvironmentVariable("ECHOBATCH_SOURCE_DIR");
}

namespace {
// The tests run from build/tests, the tag copy helper lies beside the programs in build/bin.
void UseBuiltTagCopy() {
    if (!binDir().isEmpty())
        eb::SetTagCopyProgram(binDir() + QStringLiteral("/echobatch-tagcopy"));
}
}  // namespace
Q_COREAPP_STARTUP_FUNCTION(UseBuiltTagCopy)

QString stored(const QString& key) {
    return eb::SettingsStore::read(key, QStringLiteral("<absent>"))
        .valueOr(QStringLiteral("<unreadable>"));
}

QString cliProgram() {
    return binDir() + QStringLiteral("/echobatch-cli");
}

}  // namespace ebtest
