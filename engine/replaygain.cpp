#include "engine/replaygain.h"

#include "engine/mp3decoder.h"
#include "engine/temporarylock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <taglib/apetag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/relativevolumeframe.h>
#include <taglib/textidentificationframe.h>

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

TagLib::FileName NameOf(const QByteArray& bytes) {
    return bytes.constData();
}

}  // namespace

struct Loudness::State {
    ebur128_state* meter = nullptr;
    int channels = 0;
    float peak = 0;  // the highest sample's magnitude, found here: cheaper than the meter's
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
    return loudness->d_->meter ? loudness : nullptr;
}

void Loudness::add(const float* samples, std::size_t frames) {
    const std::size_t count = frames * static_cast<std::size_t>(d_->channels);
    for (std::size_t k = 0; k < count; ++k)
        d_->peak = std::max(d_->peak, std::fabs(samples[k]));
    if (frames > 0)
        ebur128_add_frames_float(d_->meter, samples, frames);
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

double Loudness::lufsOf(const std::vector<std::shared_ptr<Loudness>>& parts) {
    std::vector<ebur128_state*> meters;
    meters.reserve(parts.size());
    for (const auto& part : parts)
        meters.push_back(part->d_->meter);
    double value = 0;
    ebur128_loudness_global_multiple(meters.data(), meters.size(), &value);
    return value;
}

GainValues GainFor(double lufs, double peak) {
    // Silence has no loudness: no gain rather than an endless one.
    return {std::isfinite(lufs) ? kReferenceLufs - lufs : 0.0, peak};
}

namespace {

TagLib::String GainText(double gain) {
    return TagLib::String(QString::asprintf("%+.2f dB", gain).toStdString());
}

TagLib::String PeakText(double peak) {
    return TagLib::String(QString::asprintf("%.6f", peak).toStdString());
}

// The item names as the file spells them, matched without regard to case.
struct Keys {
    const char* gain;
    const char* peak;
};
constexpr Keys kTrack{"replaygain_track_gain", "replaygain_track_peak"};
constexpr Keys kAlbum{"replaygain_album_gain", "replaygain_album_peak"};

void SetTxxx(TagLib::ID3v2::Tag* id3, const char* key, const TagLib::String* value) {
    bool set = false;
    const TagLib::ID3v2::FrameList frames = id3->frameList("TXXX");
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (!text || QString::fromStdString(text->description().to8Bit(true))
                             .compare(QLatin1String(key), Qt::CaseInsensitive) != 0)
            continue;
        if (value && !set)
            text->setText(*value);
        else
            id3->removeFrame(frame);
        set = true;
    }
    if (value && !set) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
        frame->setDescription(key);
        frame->setText(*value);
        id3->addFrame(frame);
    }
}

// The gain and the peak (16 bits, as other taggers write it) for each channel the frame has.
void SetRvaValues(TagLib::ID3v2::RelativeVolumeFrame* rva, const GainValues& values) {
    TagLib::ID3v2::RelativeVolumeFrame::PeakVolume peak;
    peak.bitsRepresentingPeak = 16;
    const int scaled = std::clamp(static_cast<int>(std::lround(values.peak * 32768)), 0, 65535);
    peak.peakVolume = TagLib::ByteVector::fromShort(static_cast<short>(scaled), true);
    TagLib::List<TagLib::ID3v2::RelativeVolumeFrame::ChannelType> channels = rva->channels();
    if (channels.isEmpty())
        channels.append(TagLib::ID3v2::RelativeVolumeFrame::MasterVolume);
    for (const auto channel : channels) {
        rva->setVolumeAdjustment(static_cast<float>(values.gain), channel);
        rva->setPeakVolume(peak, channel);
    }
}

void SetRva2(TagLib::ID3v2::Tag* id3, const char* id, const GainValues* values) {
    bool set = false;
    const TagLib::ID3v2::FrameList frames = id3->frameList("RVA2");
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* rva = dynamic_cast<TagLib::ID3v2::RelativeVolumeFrame*>(frame);
        const bool album = rva && rva->identification().upper() == "ALBUM";
        if (!rva || album != (std::string(id) == "album"))
            continue;
        if (!values || set) {
            id3->removeFrame(frame);
            continue;
        }
        SetRvaValues(rva, *values);
        set = true;
    }
    if (values && !set) {
        auto* rva = new TagLib::ID3v2::RelativeVolumeFrame();
        rva->setIdentification(id);
        SetRvaValues(rva, *values);
        id3->addFrame(rva);
    }
}

void SetApe(TagLib::APE::Tag* ape, const char* key, const TagLib::String* value) {
    const TagLib::String name = TagLib::String(key).upper();
    if (value)
        ape->addValue(name, *value, true);
    else
        ape->removeItem(name);
}

void WriteValues(TagLib::MPEG::File& file, const ReplayGainPlaces& places, const Keys& keys,
                 const GainValues* values) {
    const TagLib::String gain = values ? GainText(values->gain) : TagLib::String();
    const TagLib::String peak = values ? PeakText(values->peak) : TagLib::String();
    TagLib::ID3v2::Tag* id3 = file.ID3v2Tag(false);
    if (places.txxx && id3) {
        SetTxxx(id3, keys.gain, values ? &gain : nullptr);
        SetTxxx(id3, keys.peak, values ? &peak : nullptr);
    }
    if (places.rva2 && id3)
        SetRva2(id3, &keys == &kAlbum ? "album" : "track", values);
    if (places.ape && file.APETag(false)) {
        SetApe(file.APETag(false), keys.gain, values ? &gain : nullptr);
        SetApe(file.APETag(false), keys.peak, values ? &peak : nullptr);
    }
}

}  // namespace

QString WriteReplayGain(const QString& path, const ReplayGainPlaces& places,
                        const GainValues& track, const std::optional<GainValues>& album) {
    const QByteArray name = QFile::encodeName(path);
    TagLib::MPEG::File file(NameOf(name), false);
    if (!file.isValid())
        return QStringLiteral("the output cannot be read for its ReplayGain values");
    WriteValues(file, places, kTrack, &track);
    WriteValues(file, places, kAlbum, album ? &*album : nullptr);
    int tags = 0;
    TagLib::ID3v2::Version version = TagLib::ID3v2::v4;
    if (file.hasID3v2Tag()) {
        tags |= TagLib::MPEG::File::ID3v2;
        if (file.ID3v2Tag()->header()->majorVersion() <= 3)
            version = TagLib::ID3v2::v3;
    }
    if (file.hasAPETag())
        tags |= TagLib::MPEG::File::APE;
    if (file.hasID3v1Tag())
        tags |= TagLib::MPEG::File::ID3v1;
    if (!file.save(tags, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate))
        return QStringLiteral("the ReplayGain values cannot be written");
    return QString();
}

namespace {

// Edits a finished output through a copy beside it that then takes its name, so that the
// output is never seen half-written.
void RewriteInPlace(const QString& output, const std::function<QString(const QString&)>& edit) {
    const QFileInfo info(output);
    const Result<QByteArray> made = CreateLockedTemporary(
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.completeBaseName() +
                          QStringLiteral(".echobatch-XXXXXX.mp3")));
    if (!made)
        return;
    const QByteArray& name = *made;
    QFile from(output);
    QFile to(QFile::decodeName(name));
    bool ok = from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly);
    while (ok && !from.atEnd()) {
        const QByteArray chunk = from.read(1 << 20);
        ok = !chunk.isEmpty() && to.write(chunk) == chunk.size();
    }
    ok = ok && to.setPermissions(from.permissions()) && to.flush();
    to.close();
    if (ok && edit(to.fileName()).isEmpty() &&
        ::rename(name.constData(), QFile::encodeName(output).constData()) == 0) {
        ReleaseTemporary(name);
        return;
    }
    RemoveTemporary(name);
}

// One album: its folder and tag; a file without an album tag is an album of its own.
QString AlbumKey(const QString& input, const QString& album) {
    const QFileInfo info(input);
    return album.isEmpty() ? info.absoluteFilePath() : info.absolutePath() + u'\n' + album;
}

}  // namespace

void AlbumLedger::setInputs(const QStringList& inputs) {
    for (const QString& input : inputs)
        batch_.insert(QFileInfo(input).absoluteFilePath(), true);
}

// The files beside `input` that carry ReplayGain and the same album tag, itself among them.
QStringList AlbumLedger::membersOf(const QString& input, const QString& album) {
    if (album.isEmpty())
        return {QFileInfo(input).absoluteFilePath()};
    const QString folder = QFileInfo(input).absolutePath();
    const QString key = AlbumKey(input, album);
    if (const auto known = albums_.constFind(key); known != albums_.constEnd())
        return *known;
    QStringList members;
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList({QStringLiteral("*.mp3"), QStringLiteral("*.MP3")}, QDir::Files)) {
        const ReplayGainPlaces places = ReadReplayGainPlaces(entry.absoluteFilePath());
        if (places.any() && places.album == album)
            members << entry.absoluteFilePath();
    }
    albums_.insert(key, members);
    return members;
}

bool AlbumLedger::albumComplete(const QString& input, const ReplayGainPlaces& places) {
    const QStringList members = membersOf(input, places.album);
    return std::all_of(members.begin(), members.end(),
                       [this](const QString& m) { return batch_.contains(m); });
}

void AlbumLedger::converted(const QString& input, const QString& output,
                            const ReplayGainPlaces& places,
                            const std::shared_ptr<Loudness>& loudness) {
    std::vector<Member>& done = done_[AlbumKey(input, places.album)];
    done.push_back({output, places, loudness, GainFor(loudness->lufs(), loudness->peak())});
    if (done.size() < size_t(membersOf(input, places.album).size()))
        return;
    std::vector<std::shared_ptr<Loudness>> parts;
    double peak = 0;
    for (const Member& m : done) {
        parts.push_back(m.loudness);
        peak = std::max(peak, m.loudness->peak());
    }
    const GainValues album = GainFor(Loudness::lufsOf(parts), peak);
    for (const Member& m : done) {
        if (m.places.albumValues)
            RewriteInPlace(m.output, [&](const QString& copy) {
                return WriteReplayGain(copy, m.places, m.track, album);
            });
    }
    done.clear();
}

}  // namespace eb
