#include "engine/loudness/replaygain.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/mp3decoder.h"
#include "engine/outputs/temporarylock.h"
#include "engine/tools/tagcopyrun.h"
#include "posix/fileio.h"
#include "posix/uniquefd.h"
#include "process/toolrun.h"
#include "tagcopy/replaygainwrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numbers>
#include <utility>

#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

namespace eb {

namespace {

constexpr double kReferenceLufs = -18.0;

// The ReplayGain write's helper, and how long it may take: a rewrite of the file's tags.
constexpr int kHelperTimeoutMs = 30000;
constexpr int kWritten = 0;
constexpr int kUnreadable = 12;
constexpr int kUnwritable = 13;

// The loudness standard's frequency weighting for `rate`: a high shelf of +4 dB above about
// 1.7 kHz, then a high pass at about 38 Hz, the two taken together as one filter of the fourth
// order (the standard's parameters, the shelf's and the high pass's, as the meters in use
// derive them for any rate).
struct KWeighting {
    std::array<double, 5> b{};
    std::array<double, 5> a{};  // a[0] is 1

    explicit KWeighting(long rate) {
        const double shelfK =
            std::tan(std::numbers::pi * 1681.974450955533 / static_cast<double>(rate));
        const double shelfQ = 0.7071752369554196;
        const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + shelfK / shelfQ + shelfK * shelfK;
        const std::array<double, 3> shelfB{(vh + vb * shelfK / shelfQ + shelfK * shelfK) / a0,
                                           2.0 * (shelfK * shelfK - vh) / a0,
                                           (vh - vb * shelfK / shelfQ + shelfK * shelfK) / a0};
        const std::array<double, 3> shelfA{1.0, 2.0 * (shelfK * shelfK - 1.0) / a0,
                                           (1.0 - shelfK / shelfQ + shelfK * shelfK) / a0};
        const double passK =
            std::tan(std::numbers::pi * 38.13547087602444 / static_cast<double>(rate));
        const double passQ = 0.5003270373238773;
        const double p0 = 1.0 + passK / passQ + passK * passK;
        const std::array<double, 3> passB{1.0, -2.0, 1.0};
        const std::array<double, 3> passA{1.0, 2.0 * (passK * passK - 1.0) / p0,
                                          (1.0 - passK / passQ + passK * passK) / p0};
        // The product of the two polynomials.
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j) {
                b[i + j] += shelfB[i] * passB[j];
                a[i + j] += shelfA[i] * passA[j];
            }
        }
    }
};

// A channel's filter (direct form II: the last four intermediate values, newest first) and the
// sum of the weighted squares it has given; over doubles, or over the two channels of a stereo
// frame side by side in one pair of lanes.
template <typename T>
struct Filter {
    std::array<T, 4> w{};
    T sum{};

    void add(const KWeighting& k, T sample) {
        // The newest value comes last: the older terms are summed while it is still computed.
        const T w0 = sample - k.a[4] * w[3] - k.a[3] * w[2] - k.a[2] * w[1] - k.a[1] * w[0];
        const T y = k.b[0] * w0 + k.b[1] * w[0] + k.b[2] * w[1] + k.b[3] * w[2] + k.b[4] * w[3];
        sum += y * y;
        w = {w0, w[0], w[1], w[2]};
    }
};
using ChannelFilter = Filter<double>;
// The two channels of a stereo frame side by side, a vector of the compilers' own.
using Lanes = double __attribute__((vector_size(16)));

// A state that has decayed in silence to where it no longer counts is ended: what is left of it
// would only slow the arithmetic down (numbers below the normal range).
void Settle(ChannelFilter& f) {
    for (double& w : f.w)
        w = std::fabs(w) < 1e-30 ? 0.0 : w;
}

constexpr double kAbsoluteGate = -70.0;

double LoudnessOf(double energy) {
    return energy > 0 ? -0.691 + 10.0 * std::log10(energy) : -HUGE_VAL;
}

}  // namespace

// The loudness standard's meter: the weighted samples' energy in 100 ms steps, a gating block
// of 400 ms ending at each step from the fourth on.
struct Loudness::State {
    KWeighting weighting;
    std::vector<ChannelFilter> filters;
    std::size_t channels = 0;
    float peak = 0;                 // the highest sample's magnitude
    std::size_t step = 0;           // frames in 100 ms
    std::size_t toStep = 0;         // frames until the current step ends
    double stepEnergy = 0;          // the weighted squares of the current step, all channels
    std::array<double, 4> steps{};  // the last four steps' sums
    std::size_t stepsDone = 0;
    std::vector<double> blocks;  // the energy of each block above the absolute gate
    LoudnessSummary summary;

    State(int channelCount, long rate)
        : weighting(rate),
          filters(static_cast<std::size_t>(channelCount)),
          channels(static_cast<std::size_t>(channelCount)),
          step(static_cast<std::size_t>((rate + 5) / 10)),
          toStep(step) {}
    void filter(const float* samples, std::size_t frames);
    void endStep();
};

// Each channel's filter is copied into locals for the loop: kept in the vector, every value
// stored would have to be read back.
void Loudness::State::filter(const float* samples, std::size_t frames) {
    if (channels == 2) {  // the two chains of a stereo file in one pair of lanes
        Filter<Lanes> both;
        for (std::size_t j = 0; j < both.w.size(); ++j)
            both.w[j] = Lanes{filters[0].w[j], filters[1].w[j]};
        for (std::size_t i = 0; i < frames; ++i)
            both.add(weighting, Lanes{samples[2 * i], samples[2 * i + 1]});
        for (std::size_t j = 0; j < both.w.size(); ++j) {
            filters[0].w[j] = both.w[j][0];
            filters[1].w[j] = both.w[j][1];
        }
        filters[0].sum += both.sum[0];
        filters[1].sum += both.sum[1];
    } else {
        for (std::size_t c = 0; c < channels; ++c) {
            ChannelFilter f = filters[c];
            for (std::size_t i = 0; i < frames; ++i)
                f.add(weighting, samples[i * channels + c]);
            filters[c] = f;
        }
    }
    for (ChannelFilter& f : filters) {
        Settle(f);
        stepEnergy += std::exchange(f.sum, 0.0);
    }
}

void Loudness::State::endStep() {
    steps[stepsDone++ % steps.size()] = std::exchange(stepEnergy, 0.0);
    if (stepsDone < steps.size())
        return;
    const double energy =
        (steps[0] + steps[1] + steps[2] + steps[3]) / static_cast<double>(step * steps.size());
    const double block = LoudnessOf(energy);
    if (!(block >= kAbsoluteGate))
        return;
    blocks.push_back(energy);
    const int bin =
        std::min(LoudnessSummary::kBins - 1, static_cast<int>((block - kAbsoluteGate) * 10));
    ++summary.blocks[static_cast<std::size_t>(bin)];
    summary.energy[static_cast<std::size_t>(bin)] += energy;
}

Loudness::~Loudness() = default;

std::shared_ptr<Loudness> Loudness::create(int channels, long rate) {
    if (channels < 1 || rate < 16)
        return nullptr;
    std::shared_ptr<Loudness> loudness(new Loudness);
    loudness->d_ = std::make_unique<State>(channels, rate);
    return loudness;
}

void Loudness::add(const float* samples, std::size_t frames) {
    const std::size_t count = frames * d_->channels;
    float peak = d_->peak;  // a local: the samples could be where the state's value is
    for (std::size_t k = 0; k < count; ++k)
        peak = std::max(peak, std::fabs(samples[k]));
    d_->summary.peak = d_->peak = peak;
    while (frames > 0) {
        const std::size_t part = std::min(frames, d_->toStep);
        d_->filter(samples, part);
        samples += part * d_->channels;
        frames -= part;
        d_->toStep -= part;
        if (d_->toStep == 0) {
            d_->endStep();
            d_->toStep = d_->step;
        }
    }
}

std::shared_ptr<Loudness> Loudness::measure(const QString& path) {
    const Mp3Decoder decoder = OpenMp3File(path);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (!decoder || mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK)
        return nullptr;
    std::shared_ptr<Loudness> loudness = create(channels, rate);
    if (!loudness)
        return nullptr;
    std::vector<float> buffer(static_cast<size_t>(channels) * 8192);
    for (;;) {
        size_t bytes = 0;
        const int rc =
            mpg123_read(decoder.get(), buffer.data(), buffer.size() * sizeof(float), &bytes);
        loudness->add(buffer.data(), bytes / sizeof(float) / static_cast<size_t>(channels));
        if (rc == MPG123_DONE)
            return loudness;
        if (rc != MPG123_OK)
            return nullptr;  // a change of format or a broken stream: no trustworthy figure
    }
}

// The blocks above the absolute gate, then those of them above the relative gate (10 LU below
// their mean).
double Loudness::lufs() const {
    const std::vector<double>& blocks = d_->blocks;
    if (blocks.empty())
        return -HUGE_VAL;
    double sum = 0;
    for (const double energy : blocks)
        sum += energy;
    const double relative = sum / static_cast<double>(blocks.size()) * 0.1;
    sum = 0;
    std::size_t count = 0;
    for (const double energy : blocks) {
        if (energy >= relative) {
            sum += energy;
            ++count;
        }
    }
    return LoudnessOf(sum / static_cast<double>(count));
}

double Loudness::peak() const {
    return d_->peak;
}

const LoudnessSummary& Loudness::summary() const {
    return d_->summary;
}

double LoudnessSummary::lufsOf(const std::vector<const LoudnessSummary*>& parts) {
    // The relative gate lies 10 LU below the mean of the blocks above the absolute gate; the
    // blocks of its own 0.1 LU step are counted in, as the meter's histogram mode does.
    const auto mean = [&](int from) {
        double sum = 0;
        std::uint64_t count = 0;
        for (const LoudnessSummary* part : parts) {
            for (int bin = from; bin < kBins; ++bin) {
                sum += part->energy[static_cast<std::size_t>(bin)];
                count += part->blocks[static_cast<std::size_t>(bin)];
            }
        }
        return count > 0 ? -0.691 + 10.0 * std::log10(sum / static_cast<double>(count)) : -HUGE_VAL;
    };
    const double all = mean(0);
    if (!std::isfinite(all))
        return all;
    const double relative = all - 10.0;
    return mean(std::clamp(static_cast<int>(std::floor((relative + 70.0) * 10)), 0, kBins - 1));
}

GainValues GainFor(double lufs, double peak) {
    // Silence has no loudness: no gain rather than an endless one.
    return {std::isfinite(lufs) ? kReferenceLufs - lufs : 0.0, peak};
}

std::optional<GainValues> TrackValues(const Loudness& loudness) {
    const double lufs = loudness.lufs();
    if (!std::isfinite(lufs))
        return std::nullopt;
    return GainFor(lufs, loudness.peak());
}

bool Loudness::tooShort() const {
    return d_->stepsDone < d_->steps.size();
}

namespace {

// The helper's records, a file each ("GAIN PEAK PATH" and a NUL byte; "- -" without track
// values), in a file in memory that is its standard input: no argument list to outgrow.
posix::UniqueFd Records(const std::vector<TrackWrite>& files) {
    posix::UniqueFd fd(::memfd_create("echobatch-replaygain", MFD_CLOEXEC));
    QByteArray records;
    for (const TrackWrite& file : files) {
        records += file.track ? QByteArray::number(file.track->gain, 'g', 17) + ' ' +
                                    QByteArray::number(file.track->peak, 'g', 17)
                              : QByteArray("- -");
        records += ' ';
        records += QFile::encodeName(file.path);
        records += '\0';
    }
    if (!fd || !posix::WriteAll(fd.get(), records.constData(), records.size()) ||
        ::lseek(fd.get(), 0, SEEK_SET) != 0)
        return {};
    return fd;
}

QString WriteFailure(int code) {
    return code == kUnreadable ? UserText::tr("the output cannot be read for its ReplayGain values")
                               : UserText::tr("the ReplayGain values cannot be written");
}

}  // namespace

// Why `path` does not read as written, or empty: every ReplayGain value the program's own reader
// finds there must be one written (a gain to its two decimals, a peak to RVA2's 16 bits), a
// gain written must be found, and none of what was not written may be left.
QString ReadBackDiffers(const QString& path, const std::optional<GainValues>& track,
                        const std::optional<GainValues>& album) {
    QStringList differ;
    std::array<bool, 2> found{};  // a track gain, an album gain
    for (const ReplayGainValue& v : ReadReplayGainValues(path)) {
        const bool gain = v.key.endsWith(u"_gain");
        if (!gain && !v.key.endsWith(u"_peak"))
            continue;  // not a value of ours (a reference loudness)
        const bool ofAlbum = v.key.startsWith(u"replaygain_album_");
        const std::optional<GainValues>& wanted = ofAlbum ? album : track;
        found[ofAlbum ? 1 : 0] |= gain;
        if (!wanted ||
            std::abs(v.value - (gain ? wanted->gain : wanted->peak)) > (gain ? 0.006 : 0.00002))
            differ << QStringLiteral("%1 %2").arg(v.key).arg(v.value);
    }
    if ((track && !found[0]) || (album && !found[1]))
        differ << UserText::tr("a gain written is missing");
    return differ.isEmpty() ? QString()
                            : UserText::tr("the ReplayGain values read back differ: ") +
                                  differ.join(QStringLiteral(", "));
}

std::vector<Result<>> WriteReplayGain(const std::vector<TrackWrite>& files,
                                      const std::optional<GainValues>& album) {
    QStringList args{QStringLiteral("--replaygain")};
    if (album)
        args << QStringLiteral("--album") << QString::number(album->gain, 'g', 17)
             << QString::number(album->peak, 'g', 17);
    posix::UniqueFd records = Records(files);
    if (!records)
        return std::vector<Result<>>(
            files.size(),
            Failed{UserText::tr("the ReplayGain values cannot be handed to the tag copy: ") +
                   ErrnoText(errno)});
    ToolRun run;
    run.setStandardInput(std::move(records));
    const bool ended = !run.start(TagCopyProgram(), args) || run.waitForEnd(kHelperTimeoutMs);
    const ToolRun::Outcome& outcome = run.outcome();
    const int code = outcome.exitCode;
    if (!ended || !outcome.started || outcome.crashed ||
        (code != kWritten && code != kUnreadable && code != kUnwritable)) {
        // How the helper failed, in the tag copy's words (it is the same helper).
        const QString why = TagCopyRun::interpret(outcome, !ended, kHelperTimeoutMs).text.text;
        return std::vector<Result<>>(files.size(), Failed{why});
    }
    // The files it could not write, a line each: "failed INDEX CODE".
    std::vector<Result<>> results(files.size());
    for (const QByteArray& line : outcome.stderrTail.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        const std::size_t index = words.value(1).toULong();
        if (words.size() == 3 && words[0] == "failed" && index < files.size())
            results[index] = Failed{WriteFailure(words[2].toInt())};
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (const QString why =
                results[i] ? ReadBackDiffers(files[i].path, files[i].track, album) : QString();
            !why.isEmpty())
            results[i] = Failed{why};
    }
    return results;
}

Result<> WriteReplayGain(const QString& path, const GainValues& track,
                         const std::optional<GainValues>& album) {
    return WriteReplayGain(std::vector<TrackWrite>{{path, track}}, album).front();
}

QString FewNamed(const QStringList& failures) {
    constexpr qsizetype kNamed = 3;
    QString text = failures.mid(0, kNamed).join(QStringLiteral("; "));
    if (failures.size() > kNamed)
        text += UserText::tr(" and %n more", nullptr, static_cast<int>(failures.size() - kNamed));
    return text;
}

namespace {

// A locked copy of a finished output beside it, to be edited and then put in its place, so
// that the output is never seen half-written.
Result<QByteArray> CopyBeside(const QString& output, const QString& base) {
    const QFileInfo info(output);
    SaidResult<MadeTemporary> made = CreateLockedTemporaryBeside(QFile::encodeName(
        base.isEmpty() ? output : info.absolutePath() + u'/' + base + QStringLiteral(".mp3")));
    if (!made)
        return Failed{made.error().text};
    QFile from(output);
    QFile to;
    bool ok = from.open(QIODevice::ReadOnly) &&
              to.open(made->fd.get(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    while (ok && !from.atEnd()) {
        const QByteArray chunk = from.read(1 << 20);
        ok = !chunk.isEmpty() && to.write(chunk) == chunk.size();
    }
    ok = ok && to.setPermissions(from.permissions()) && to.flush();
    if (ok)
        return made->path;
    const QString why = (from.error() != QFileDevice::NoError ? from : to).errorString();
    RemoveTemporary(made->path);
    return Failed{why};
}

// The same write as the helper's, in this process, with the bounded frame walk that reads the
// values: only to take values off when the helper failed.
std::vector<Result<>> WriteInProcess(const std::vector<TrackWrite>& files,
                                     const std::optional<GainValues>& album) {
    const auto pair = [](const std::optional<GainValues>& v) {
        return v ? std::optional<GainPair>({v->gain, v->peak}) : std::nullopt;
    };
    std::vector<Result<>> results;
    for (const TrackWrite& file : files) {
        const ReplayGainWrite done = WriteReplayGainValues(
            QFile::encodeName(file.path).toStdString(), pair(file.track), pair(album));
        const QString why = done != ReplayGainWrite::Written
                                ? WriteFailure(static_cast<int>(done))
                                : ReadBackDiffers(file.path, file.track, album);
        results.push_back(why.isEmpty() ? Result<>() : Result<>(Failed{why}));
    }
    return results;
}

}  // namespace

Result<QByteArray> RewrittenCopy(const QString& file, const QString& base,
                                 const std::optional<GainValues>& track, bool byHelper) {
    Result<QByteArray> copy = CopyBeside(file, base);
    if (!copy)
        return copy;
    const QString name = QFile::decodeName(*copy);
    const std::vector<TrackWrite> write{{name, byHelper ? track : std::nullopt}};
    const Result<> written =
        (byHelper ? WriteReplayGain(write, std::nullopt) : WriteInProcess(write, std::nullopt))
            .front();
    if (written)
        return copy;
    RemoveTemporary(*copy);
    return Failed{written.error()};
}

namespace {

// The edited copy takes the output's name; else it goes.
Result<> PutInPlace(const QByteArray& copy, const QString& output) {
    if (const SaidResult<> put =
            PutTemporaryInPlace(copy, QFile::encodeName(QFileInfo(output).fileName()));
        !put) {
        RemoveTemporary(copy);
        return Failed{put.error().text};
    }
    return {};
}

QString IdentityText(const std::optional<FileIdentity>& id) {
    return id ? QStringLiteral("%1:%2").arg(id->device).arg(id->inode) : QString();
}

}  // namespace

void AlbumLedger::setInputs(const QStringList& inputs) {
    for (const QString& input : inputs) {
        if (const std::optional<FileIdentity> id = IdentityOf(input))
            batch_.insert(*id);
    }
}

// One album: its folder, as the file it is, and its tag; a file without an album tag is an
// album of its own. Its members are the files beside the input with ReplayGain and the same
// album tag, the input among them.
AlbumLedger::Album& AlbumLedger::albumOf(const QString& input, const ReplayGainPlaces& places) {
    const QFileInfo info(input);
    const std::optional<FileIdentity> self = IdentityOf(input);
    const QString key = places.album.isEmpty()
                            ? QStringLiteral("file ") + IdentityText(self)
                            : IdentityText(IdentityOf(info.absolutePath())) + u'\n' + places.album;
    const auto known = albums_.find(key);
    if (known != albums_.end())
        return *known;
    Album& album = albums_[key];
    if (self)
        album.members.insert(*self);
    if (!places.album.isEmpty())
        album.members.unite(albumsIn(info.absolutePath()).value(places.album));
    return album;
}

// The files with ReplayGain in a folder, by their album tag; each folder is read once.
const QHash<QString, IdentitySet>& AlbumLedger::albumsIn(const QString& folder) {
    const QString key = IdentityText(IdentityOf(folder));
    const auto known = folders_.constFind(key);
    if (known != folders_.constEnd())
        return *known;
    QHash<QString, IdentitySet>& albums = folders_[key];
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList({QStringLiteral("*.mp3"), QStringLiteral("*.MP3")}, QDir::Files)) {
        const std::optional<FileIdentity> id = IdentityOf(entry.absoluteFilePath());
        const ReplayGainPlaces theirs =
            id ? ReadNeighbourPlaces(entry.absoluteFilePath()) : ReplayGainPlaces();
        if (theirs.any() && !theirs.album.isEmpty())
            albums[theirs.album].insert(*id);
    }
    return albums;
}

bool AlbumLedger::albumComplete(const QString& input, const ReplayGainPlaces& places) {
    const Album& album = albumOf(input, places);
    return std::all_of(album.members.begin(), album.members.end(),
                       [this](const FileIdentity& m) { return batch_.contains(m); });
}

QString AlbumLedger::converted(const QString& input, const QString& output,
                               const ReplayGainPlaces& places,
                               const std::shared_ptr<Loudness>& loudness) {
    Album& album = albumOf(input, places);
    const std::optional<FileIdentity> id = IdentityOf(input);
    if (!id)
        return {};
    album.done.insert_or_assign(
        *id, Member{input, output, places, loudness->summary(), TrackValues(*loudness)});
    return settle(album);
}

// Once every file of the album is converted or held up to date: the held outputs are measured
// and take part (when anything of the album was converted), and the album's values go into
// every output. A held file counts as updated only when its output took new values.
QString AlbumLedger::settle(Album& album) {
    IdentitySet seen;
    for (const auto& [id, m] : album.done)
        seen.insert(id);
    for (const Held& h : album.held)
        seen.insert(h.id);
    if (!album.failedFile.isEmpty() || !seen.contains(album.members))
        return {};
    IdentitySet updated;
    QString why;
    if (!album.done.empty()) {  // else nothing of the album changed
        QStringList unmeasured;
        measureHeld(album, unmeasured);
        why = writeAlbum(album, unmeasured, updated);
    }
    for (const Held& h : album.held)
        released_.push_back({h.index, updated.contains(h.id), why});
    album.held.clear();
    return why;
}

// The held outputs join the album's converted files as they are now.
void AlbumLedger::measureHeld(Album& album, QStringList& unmeasured) {
    for (const Held& h : album.held) {
        if (album.done.count(h.id) != 0)
            continue;  // the file was converted after all
        const std::shared_ptr<Loudness> loudness = Loudness::measure(h.output);
        if (!loudness) {
            unmeasured << h.output + QStringLiteral(": ") +
                              UserText::tr("the output cannot be decoded");
            continue;
        }
        album.done.insert_or_assign(h.id, Member{{},
                                                 h.output,
                                                 ReadReplayGainPlaces(h.output),
                                                 loudness->summary(),
                                                 TrackValues(*loudness)});
    }
}

namespace {

// An output of the album to write: its file, where it is and its own track values.
struct Target {
    FileIdentity id;
    QString output;
    std::optional<GainValues> track;
};

// `album` (none: no album values) written into copies of the targets' outputs, each with its
// own track values, by one helper; only when every copy reads back right do the copies take the
// outputs' names (those put in place join `updated`). An output that reads so already is left
// alone. Returns what failed, "output: why".
using Writer = std::vector<Result<>> (*)(const std::vector<TrackWrite>&,
                                         const std::optional<GainValues>&);

QStringList RewriteOutputs(const std::vector<Target>& targets,
                           const std::optional<GainValues>& album, IdentitySet& updated,
                           Writer write = &WriteReplayGain) {
    QStringList failures;
    std::vector<const Target*> pending;
    std::vector<QByteArray> copies;
    std::vector<TrackWrite> writes;
    for (const Target& target : targets) {
        if (ReadBackDiffers(target.output, target.track, album).isEmpty())
            continue;
        const Result<QByteArray> copy = CopyBeside(target.output, {});
        if (!copy) {
            failures << target.output + QStringLiteral(": ") + copy.error();
            continue;
        }
        pending.push_back(&target);
        copies.push_back(*copy);
        writes.push_back({QFile::decodeName(*copy), target.track});
    }
    const std::vector<Result<>> written =
        failures.isEmpty() && !writes.empty()
            ? write(writes, album)
            : std::vector<Result<>>(writes.size(), Failed{QString()});
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (!written[i] && !written[i].error().isEmpty())
            failures << pending[i]->output + QStringLiteral(": ") + written[i].error();
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const QString& output = pending[i]->output;
        if (!failures.isEmpty())
            RemoveTemporary(copies[i]);
        else if (const Result<> put = PutInPlace(copies[i], output); put)
            updated.insert(pending[i]->id);
        else
            failures << output + QStringLiteral(": ") + put.error();
    }
    return failures;
}

}  // namespace

// The album's values into every output of the album that keeps album values (again, when a
// file listed twice was converted again); a file without loudness of its own takes none. When
// one cannot take them (`failures` already named, an up-to-date output without album values,
// a write that fails or reads back otherwise), none keeps them: the outputs that hold old ones
// lose them too.
QString AlbumLedger::writeAlbum(const Album& album, QStringList failures, IdentitySet& updated) {
    std::vector<const LoudnessSummary*> parts;
    std::vector<Target> targets;
    double peak = 0;
    for (const auto& [id, m] : album.done) {
        parts.push_back(&m.summary);
        peak = std::max(peak, m.summary.peak);
        // A converted file takes them when its input had them; an up-to-date output (its input
        // had them) wherever it keeps ReplayGain values.
        if (m.track && (m.input.isEmpty() ? m.places.any() : m.places.albumValues))
            targets.push_back({id, m.output, m.track});
        else if (m.track && m.input.isEmpty())
            failures << m.output + QStringLiteral(": ") +
                            UserText::tr("it keeps no ReplayGain values");
    }
    const double lufs = LoudnessSummary::lufsOf(parts);
    if (failures.isEmpty() && std::isfinite(lufs)) {
        failures = RewriteOutputs(targets, GainFor(lufs, peak), updated);
        if (failures.isEmpty())
            return {};
    }
    IdentitySet removed;
    if (!RewriteOutputs(targets, std::nullopt, removed).isEmpty())
        (void)RewriteOutputs(targets, std::nullopt, removed, &WriteInProcess);
    for (const FileIdentity& id : removed)
        updated.remove(id);
    if (failures.isEmpty())  // no loudness in the whole album
        return {};
    return UserText::tr("album ReplayGain removed: it cannot be written into ") +
           FewNamed(failures);
}

void AlbumLedger::failed(const QString& input) {
    const ReplayGainPlaces places = ReadReplayGainPlaces(input);
    const std::optional<FileIdentity> id = IdentityOf(input);
    if (!places.any() || places.album.isEmpty() || !id)
        return;
    Album& album = albumOf(input, places);
    if (album.done.count(*id) != 0 || !album.failedFile.isEmpty())
        return;
    album.failedFile = QFileInfo(input).fileName();
    for (const auto& entry : album.done) {
        if (!entry.second.input.isEmpty())
            late_.emplace_back(entry.second.input, failure(input, places));
    }
}

std::vector<std::pair<QString, QString>> AlbumLedger::takeLateWarnings() {
    return std::exchange(late_, {});
}

bool AlbumLedger::holdUpToDate(int index, const QString& input, const QString& output) {
    const std::optional<FileIdentity> id = IdentityOf(input);
    if (!id || lookedAt_.contains(*id))
        return false;
    lookedAt_.insert(*id);
    const ReplayGainPlaces places = ReadReplayGainPlaces(input);
    if (!places.albumValues || places.album.isEmpty() || !albumComplete(input, places))
        return false;
    Album& album = albumOf(input, places);
    album.held.push_back({index, *id, output});
    // The album settled with a held file last: its converted files learn what went wrong.
    if (const QString why = settle(album); !why.isEmpty()) {
        for (const auto& entry : album.done) {
            if (!entry.second.input.isEmpty())
                late_.emplace_back(entry.second.input, why);
        }
    }
    return true;
}

std::vector<AlbumLedger::Released> AlbumLedger::takeReleased() {
    return std::exchange(released_, {});
}

std::vector<int> AlbumLedger::releaseAll() {
    std::vector<int> indexes;
    for (Album& album : albums_) {
        for (const Held& h : album.held)
            indexes.push_back(h.index);
        album.held.clear();
    }
    return indexes;
}

QString AlbumLedger::failure(const QString& input, const ReplayGainPlaces& places) {
    const Album& album = albumOf(input, places);
    return album.failedFile.isEmpty()
               ? QString()
               : UserText::tr("album ReplayGain removed: %1 failed").arg(album.failedFile);
}

}  // namespace eb
