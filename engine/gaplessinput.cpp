#include "engine/gaplessinput.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/mp3frames.h"
#include "posix/fileio.h"
#include "posix/uniquefd.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

namespace eb {

namespace {

// The decoder's own delay, in samples, that a gapless decoder drops with the encoder's delay.
constexpr std::int64_t kDecoderDelay = 529;
// Zero bytes after the last frame: without them the tool's decoder never gives that frame.
constexpr std::int64_t kGuardBytes = 1024;

// A regular file mapped read-only for as long as this lives.
class MappedFile {
public:
    explicit MappedFile(const QString& path) {
        const posix::UniqueFd fd(::open(QFile::encodeName(path).constData(),
                                        O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
            return;
        void* at = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE,
                          fd.get(), 0);
        if (at == MAP_FAILED)
            return;
        data_ = static_cast<const unsigned char*>(at);
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ~MappedFile() {
        if (data_)
            ::munmap(const_cast<unsigned char*>(data_), size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    std::span<const unsigned char> bytes() const { return {data_, size_}; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

QString TimeText(std::int64_t samples, int rate) {
    const std::int64_t seconds = rate > 0 ? samples / rate : 0;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The encoding class as the frames tell it: a header's word first (with its quality), else the
// spread of the frames' bitrates; a CBR input's bitrate is the one most of its frames have.
InputEncoding EncodingOf(const Mp3Frames& m) {
    InputEncoding e;
    e.known = true;
    e.mp3 = true;
    e.sampleRate = m.first.sampleRate;
    e.vbr = m.variable();
    e.kbps = e.vbr ? m.averageKbps() : m.commonKbps;
    e.vbrQuality = e.vbr ? m.lameQuality : -1;
    return e;
}

}  // namespace

InputPlan PlanInput(const QString& path) {
    InputPlan plan;
    if (!path.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive))
        return plan;
    const MappedFile file(path);
    const Mp3Frames m = ScanMp3Frames(file.bytes());
    if (!m.valid)
        return plan;
    if (m.changeAt > 0) {
        plan.refusal = StreamChangeText(m.first.sampleRate, m.changedRate, m.first.channels,
                                        m.changedChannels, m.changeAt);
        return plan;
    }
    plan.mp3 = true;
    plan.audioStart = m.audioStart;
    plan.audioEnd = m.audioEnd;
    plan.sampleRate = m.first.sampleRate;
    plan.skip = m.lame ? m.encoderDelay + kDecoderDelay : 0;
    plan.music = std::min(m.musicSamples(), m.decodedSamples() - plan.skip);
    plan.encoding = EncodingOf(m);
    return plan;
}

QStringList TrimArguments(const InputPlan& plan) {
    if (!plan.mp3)
        return {};
    // The end first, then the start: a first trim that starts later makes the tool seek in
    // the input, and its MP3 seek is not exact (one frame off at the lower sample rates).
    QStringList trim{QStringLiteral("trim"), QStringLiteral("0s"),
                     QStringLiteral("%1s").arg(plan.skip + plan.music)};
    if (plan.skip > 0)
        trim << QStringLiteral("trim") << QStringLiteral("%1s").arg(plan.skip);
    return trim;
}

Result<QString> WritePreparedCopy(const InputPlan& plan, const QString& input,
                                  const QString& folder) {
    if (!WithinFileSizeLimit(plan.audioEnd - plan.audioStart + kGuardBytes))
        return Failed{UserText::tr("the prepared input would pass the file-size limit")};
    const MappedFile file(input);
    const std::span<const unsigned char> bytes = file.bytes();
    if (static_cast<std::int64_t>(bytes.size()) < plan.audioEnd)
        return Failed{UserText::tr("the input changed while it was read")};
    QByteArray name = QFile::encodeName(folder + QStringLiteral("/input-XXXXXX.mp3"));
    const posix::UniqueFd fd(::mkostemps(name.data(), 4, O_CLOEXEC));
    if (!fd)
        return Failed{UserText::tr("cannot prepare the input for the tool: ") + ErrnoText(errno)};
    const QByteArray guard(kGuardBytes, '\0');
    const auto* audio = reinterpret_cast<const char*>(bytes.data() + plan.audioStart);
    if (!posix::WriteAll(fd.get(), audio, plan.audioEnd - plan.audioStart) ||
        !posix::WriteAll(fd.get(), guard.constData(), guard.size())) {
        const QString why = ErrnoText(errno);
        ::unlink(name.constData());
        return Failed{UserText::tr("cannot prepare the input for the tool: ") + why};
    }
    return QFile::decodeName(name);
}

bool WithinFileSizeLimit(std::int64_t bytes) {
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           static_cast<rlim_t>(bytes) <= limit.rlim_cur;
}

QStringList WithPreparedCopy(QStringList toolArguments, const QString& copy) {
    toolArguments[0] = QStringLiteral("--ignore-length");
    toolArguments[1] = copy;
    return toolArguments;
}

std::int64_t EchoTailSamples(const QString& delayText, int sampleRate) {
    // The tool reads the delay as a float and counts whole samples of delay * rate / 1000.
    const float delay = std::strtof(delayText.toLatin1().constData(), nullptr);
    return static_cast<std::int64_t>(static_cast<double>(delay) * sampleRate / 1000.0);
}

QString StreamChangeText(int fromRate, int toRate, int fromChannels, int toChannels,
                         std::int64_t atSample) {
    const QString at = TimeText(atSample, fromRate);
    if (fromRate != toRate)
        return UserText::tr("the sample rate changes from %1 to %2 Hz at %3")
            .arg(fromRate)
            .arg(toRate)
            .arg(at);
    return UserText::tr("the channels change from %1 to %2 at %3")
        .arg(fromChannels)
        .arg(toChannels)
        .arg(at);
}

}  // namespace eb
