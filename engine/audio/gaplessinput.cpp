#include "engine/audio/gaplessinput.h"

#include "core/regularfile.h"
#include "core/systemerror.h"
#include "core/usertext.h"
#include "mp3/mp3frames.h"

#include <QFile>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

namespace eb {

namespace {

QString TimeText(std::int64_t samples, int rate) {
    const std::int64_t seconds = rate > 0 ? samples / rate : 0;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

InputPlan PlanInput(const QString& path, int fd) {
    InputPlan plan;
    struct stat st {};
    if (!path.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive) || ::fstat(fd, &st) != 0 ||
        !S_ISREG(st.st_mode))
        return plan;
    ByteWindow file(fd, st.st_size);
    const Mp3Frames m = ScanMp3Frames(file);
    if (!m.valid) {
        plan.refusal = InBoth([] { return UserText::tr("no MPEG audio frame found"); });
        return plan;
    }
    if (m.changeAt > 0) {
        plan.refusal =
            InBoth([&] { return StreamChangeText(m.first.sampleRate, m.changedRate, m.changeAt); });
        return plan;
    }
    plan.mp3 = true;
    plan.sampleRate = m.first.sampleRate;
    plan.channels = m.maxChannels;
    plan.frameSamples = m.first.samples;
    plan.music = m.promisedSamples();
    plan.encoding = EncodingOfFrames(m);
    return plan;
}

InputPlan PlanInput(const QString& path) {
    const Result<posix::UniqueFd> fd = OpenRegularFile(QFile::encodeName(path));
    return fd ? PlanInput(path, fd->get()) : InputPlan();
}

QStringList DecodedArguments(const InputPlan& plan) {
    if (!plan.mp3)
        return {};
    return {QStringLiteral("--ignore-length"), QStringLiteral("-")};
}

QString CutShortReason(const InputPlan& plan, std::int64_t decoded) {
    if (!plan.mp3 || decoded + plan.frameSamples >= plan.music)
        return {};
    return UserText::tr("the audio ends after %1 of %2")
        .arg(SecondsText(decoded, plan.sampleRate), SecondsText(plan.music, plan.sampleRate));
}

bool WithinFileSizeLimit(std::int64_t bytes) {
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           static_cast<rlim_t>(bytes) <= limit.rlim_cur;
}

std::int64_t EchoTailSamples(const QString& toolDelay, int sampleRate) {
    // The tool reads the delay as a float (with a point, whatever the process's locale) and
    // counts whole samples of delay * rate / 1000.
    const float delay = toolDelay.toLatin1().toFloat();
    return static_cast<std::int64_t>(static_cast<double>(delay) * sampleRate / 1000.0);
}

QString SecondsText(std::int64_t samples, int sampleRate) {
    return QString::number(sampleRate > 0 ? static_cast<double>(samples) / sampleRate : 0.0, 'f',
                           2) +
           QStringLiteral(" s");
}

QString StreamChangeText(int fromRate, int toRate, std::int64_t atSample) {
    return UserText::tr("the sample rate changes from %1 to %2 Hz at %3")
        .arg(fromRate)
        .arg(toRate)
        .arg(TimeText(atSample, fromRate));
}

}  // namespace eb
