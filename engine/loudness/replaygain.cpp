#include "engine/loudness/replaygain.h"

#include "core/systemerror.h"
#include "core/usertext.h"
#include "engine/audio/mp3decoder.h"
#include "engine/outputs/temporarylock.h"
#include "engine/tools/tagcopyrun.h"
#include "process/toolrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ebur128.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include <stdio.h>

namespace eb {

namespace {

constexpr double kReferenceLufs = -18.0;

// The ReplayGain write's helper, and how long it may take: a rewrite of the file's tags.
constexpr int kHelperTimeoutMs = 30000;
constexpr int kWritten = 0;
constexpr int kUnreadable = 12;
constexpr int kUnwritable = 13;

}  // namespace

struct Loudness::State {
    ebur128_state* meter = nullptr;
    int channels = 0;
    float peak = 0;        // the highest sample's magnitude, found here: cheaper than the meter's
    std::size_t step = 0;  // frames in 100 ms, as the meter counts them
    std::size_t toBlock = 0;  // frames until the next gating block ends
    LoudnessSummary summary;
    ~State() {
        if (meter)
            ebur128_destroy(&meter);
    }
};

Loudness::~Loudness() = default;

std::shared_ptr<Loudness> Loudness::create(int channels, long rate) {
    std::shared_ptr<Loudness> loudness(new Loudness);
    loudness->d_ = std::make_unique<State>();
    loudness->d_->channels = channels;
    loudness->d_->meter = ebur128_init(static_cast<unsigned>(channels),
                                       static_cast<unsigned long>(rate), EBUR128_MODE_I);
    // The meter's first gating block ends after 400 ms, each further one 100 ms later.
    loudness->d_->step = static_cast<std::size_t>((rate + 5) / 10);
    loudness->d_->toBlock = 4 * loudness->d_->step;
    return loudness->d_->meter ? loudness : nullptr;
}

void Loudness::add(const float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(d_->channels);
    const std::size_t count = frames * channels;
    for (std::size_t k = 0; k < count; ++k)
        d_->peak = std::max(d_->peak, std::fabs(samples[k]));
    d_->summary.peak = d_->peak;
    // Fed up to each end of a gating block, where the momentary loudness is that block's.
    while (frames > 0) {
        const std::size_t part = std::min(frames, d_->toBlock);
        ebur128_add_frames_float(d_->meter, samples, part);
        samples += part * channels;
        frames -= part;
        d_->toBlock -= part;
        if (d_->toBlock == 0) {
            addBlock();
            d_->toBlock = d_->step;
        }
    }
}

void Loudness::addBlock() {
    constexpr double kGate = -70.0;
    double block = 0;
    if (ebur128_loudness_momentary(d_->meter, &block) != EBUR128_SUCCESS || !(block >= kGate))
        return;
    const int bin = std::min(LoudnessSummary::kBins - 1, static_cast<int>((block - kGate) * 10));
    ++d_->summary.blocks[static_cast<std::size_t>(bin)];
    d_->summary.energy[static_cast<std::size_t>(bin)] += std::pow(10.0, (block + 0.691) / 10.0);
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

double Loudness::lufs() const {
    double value = 0;
    ebur128_loudness_global(d_->meter, &value);
    return value;
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

Result<> WriteReplayGain(const QString& path, const GainValues& track,
                         const std::optional<GainValues>& album) {
    QStringList args{QStringLiteral("--replaygain"), path, QString::number(track.gain, 'g', 17),
                     QString::number(track.peak, 'g', 17)};
    if (album)
        args << QString::number(album->gain, 'g', 17) << QString::number(album->peak, 'g', 17);
    ToolRun run;
    const bool ended = !run.start(TagCopyProgram(), args) || run.waitForEnd(kHelperTimeoutMs);
    const ToolRun::Outcome& outcome = run.outcome();
    if (ended && outcome.started && !outcome.crashed && outcome.exitCode == kWritten)
        return {};
    if (ended && outcome.started && !outcome.crashed && outcome.exitCode == kUnreadable)
        return Failed{UserText::tr("the output cannot be read for its ReplayGain values")};
    if (ended && outcome.started && !outcome.crashed && outcome.exitCode == kUnwritable)
        return Failed{UserText::tr("the ReplayGain values cannot be written")};
    // How the helper failed otherwise, in the tag copy's words (it is the same helper).
    return Failed{TagCopyRun::interpret(outcome, !ended, kHelperTimeoutMs).text};
}

namespace {

// Edits a finished output through a copy beside it that then takes its name, so that the
// output is never seen half-written.
Result<> RewriteInPlace(const QString& output,
                        const std::function<Result<>(const QString&)>& edit) {
    const QFileInfo info(output);
    const Result<QByteArray> made = CreateLockedTemporary(
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.completeBaseName() +
                          QStringLiteral(".echobatch-XXXXXX.mp3")));
    if (!made)
        return Failed{made.error()};
    const QByteArray& name = *made;
    QFile from(output);
    QFile to(QFile::decodeName(name));
    bool ok = from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly);
    while (ok && !from.atEnd()) {
        const QByteArray chunk = from.read(1 << 20);
        ok = !chunk.isEmpty() && to.write(chunk) == chunk.size();
    }
    ok = ok && to.setPermissions(from.permissions()) && to.flush();
    QString why = ok ? QString() : (from.error() != QFileDevice::NoError ? from : to).errorString();
    to.close();
    if (ok) {
        if (const Result<> edited = edit(to.fileName()); !edited)
            why = edited.error();
    }
    if (why.isEmpty() && ::rename(name.constData(), QFile::encodeName(output).constData()) != 0)
        why = ErrnoText(errno);
    if (why.isEmpty()) {
        ReleaseTemporary(name);
        return {};
    }
    RemoveTemporary(name);
    return Failed{why};
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
    album.done.insert_or_assign(*id, Member{input, output, places, loudness->summary(),
                                            GainFor(loudness->lufs(), loudness->peak())});
    return settle(album);
}

// Once every file of the album is converted or held up to date: the held outputs are measured
// and take part (when anything of the album was converted), and the album's values go into
// every output.
QString AlbumLedger::settle(Album& album) {
    IdentitySet seen;
    for (const auto& [id, m] : album.done)
        seen.insert(id);
    for (const Held& h : album.held)
        seen.insert(h.id);
    if (!album.failedFile.isEmpty() || !seen.contains(album.members))
        return {};
    QStringList unmeasured;
    const bool converted = !album.done.empty();
    for (const Held& h : album.held) {
        if (!converted || album.done.count(h.id) != 0)
            continue;  // nothing of the album changed, or the file was converted after all
        const std::shared_ptr<Loudness> loudness = Loudness::measure(h.output);
        if (!loudness) {
            unmeasured << h.output;
            continue;
        }
        album.done.insert_or_assign(h.id, Member{{},
                                                 h.output,
                                                 ReadReplayGainPlaces(h.output),
                                                 loudness->summary(),
                                                 GainFor(loudness->lufs(), loudness->peak())});
    }
    QString why;
    if (converted && unmeasured.isEmpty())
        why = writeAlbum(album);
    else if (converted)
        why = UserText::tr("album ReplayGain removed: the output cannot be decoded: ") +
              unmeasured.join(QStringLiteral(", "));
    for (const Held& h : album.held)
        released_.emplace_back(h.index, converted && why.isEmpty());
    album.held.clear();
    return why;
}

// The album's values into every output of the album (again, when a file listed twice was
// converted again); when one cannot take them, none keeps them.
QString AlbumLedger::writeAlbum(const Album& album) {
    std::vector<const LoudnessSummary*> parts;
    double peak = 0;
    for (const auto& [id, m] : album.done) {
        parts.push_back(&m.summary);
        peak = std::max(peak, m.summary.peak);
    }
    const GainValues values = GainFor(LoudnessSummary::lufsOf(parts), peak);
    QStringList failures;
    QList<const Member*> written;
    for (const auto& entry : album.done) {
        const Member& m = entry.second;
        if (!m.places.albumValues)
            continue;
        const Result<> rewritten = RewriteInPlace(
            m.output, [&](const QString& copy) { return WriteReplayGain(copy, m.track, values); });
        if (rewritten)
            written << &m;
        else
            failures << m.output + QStringLiteral(": ") + rewritten.error();
    }
    if (failures.isEmpty())
        return {};
    for (const Member* m : std::as_const(written)) {
        (void)RewriteInPlace(m->output, [&](const QString& copy) {
            return WriteReplayGain(copy, m->track, std::nullopt);
        });
    }
    return UserText::tr("album ReplayGain removed: it cannot be written into ") +
           failures.join(QStringLiteral("; "));
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
    (void)settle(album);
    return true;
}

std::vector<std::pair<int, bool>> AlbumLedger::takeReleased() {
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
