#include "tagcopy/replaygainwrite.h"

#include <taglib/apetag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/relativevolumeframe.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace eb {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsReplayGainKey(const std::string& key) {
    return Lower(key).rfind("replaygain_", 0) == 0;
}

TagLib::String GainText(double gain) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%+.2f dB", gain);
    return {buffer};
}

TagLib::String PeakText(double peak) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", peak);
    return {buffer};
}

// The item names as the file spells them, matched without regard to case.
struct Keys {
    const char* gain;
    const char* peak;
};
constexpr Keys kTrack{"replaygain_track_gain", "replaygain_track_peak"};
constexpr Keys kAlbum{"replaygain_album_gain", "replaygain_album_peak"};

// Where the file keeps ReplayGain values, and its keys as it spells them.
struct Places {
    std::vector<std::string> txxxKeys;
    std::vector<std::string> apeKeys;
    bool rva2 = false;
};

Places PlacesOf(TagLib::MPEG::File& file) {
    Places places;
    if (TagLib::ID3v2::Tag* id3 = file.ID3v2Tag(false)) {
        for (TagLib::ID3v2::Frame* frame : id3->frameList("TXXX")) {
            auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
            if (text && IsReplayGainKey(text->description().to8Bit(true)))
                places.txxxKeys.push_back(text->description().to8Bit(true));
        }
        places.rva2 = !id3->frameList("RVA2").isEmpty();
    }
    if (TagLib::APE::Tag* ape = file.APETag(false)) {
        // The map's keys are upper case; the items keep the file's own spelling.
        for (const auto& item : ape->itemListMap()) {
            if (IsReplayGainKey(item.second.key().to8Bit(true)))
                places.apeKeys.push_back(item.second.key().to8Bit(true));
        }
    }
    return places;
}

// The key as the file spells it; a key it lacks as it spells the key's gain or peak partner,
// else as its first ReplayGain key, else `key` (lower case) or, for APEv2, upper case.
TagLib::String Spelled(const std::string& key, const std::vector<std::string>& keys,
                       bool upperByDefault) {
    const bool gain = key.size() > 4 && key.compare(key.size() - 4, 4, "gain") == 0;
    const std::string partner = key.substr(0, key.size() - 4) + (gain ? "peak" : "gain");
    for (const std::string& found : keys) {
        if (Lower(found) == key)
            return {found, TagLib::String::UTF8};
    }
    bool upper = upperByDefault;
    const auto partnerFound = std::find_if(
        keys.begin(), keys.end(), [&](const std::string& k) { return Lower(k) == partner; });
    if (partnerFound != keys.end())
        upper = *partnerFound == Upper(*partnerFound);
    else if (!keys.empty())
        upper = keys.front() == Upper(keys.front());
    return {upper ? Upper(key) : key, TagLib::String::UTF8};
}

void SetTxxx(TagLib::ID3v2::Tag* id3, const char* key, const std::vector<std::string>& keys,
             const TagLib::String* value) {
    bool set = false;
    const TagLib::ID3v2::FrameList frames = id3->frameList("TXXX");
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (!text || Lower(text->description().to8Bit(true)) != key)
            continue;
        if (value && !set)
            text->setText(*value);
        else
            id3->removeFrame(frame);
        set = true;
    }
    if (value && !set) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
        frame->setDescription(Spelled(key, keys, false));
        frame->setText(*value);
        id3->addFrame(frame);
    }
}

// The gain and the peak (16 bits, as other taggers write it) for each channel the frame has.
void SetRvaValues(TagLib::ID3v2::RelativeVolumeFrame* rva, const GainPair& values) {
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

void SetRva2(TagLib::ID3v2::Tag* id3, const char* id, const GainPair* values) {
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

void SetApe(TagLib::APE::Tag* ape, const char* key, const std::vector<std::string>& keys,
            const TagLib::String* value) {
    const TagLib::String name = Spelled(key, keys, true);
    if (value)
        ape->addValue(name, *value, true);
    else
        ape->removeItem(name);
}

void WriteValues(TagLib::MPEG::File& file, const Places& places, const Keys& keys,
                 const GainPair* values) {
    const TagLib::String gain = values ? GainText(values->gain) : TagLib::String();
    const TagLib::String peak = values ? PeakText(values->peak) : TagLib::String();
    TagLib::ID3v2::Tag* id3 = file.ID3v2Tag(false);
    if (!places.txxxKeys.empty() && id3) {
        SetTxxx(id3, keys.gain, places.txxxKeys, values ? &gain : nullptr);
        SetTxxx(id3, keys.peak, places.txxxKeys, values ? &peak : nullptr);
    }
    if (places.rva2 && id3)
        SetRva2(id3, &keys == &kAlbum ? "album" : "track", values);
    if (!places.apeKeys.empty() && file.APETag(false)) {
        SetApe(file.APETag(false), keys.gain, places.apeKeys, values ? &gain : nullptr);
        SetApe(file.APETag(false), keys.peak, places.apeKeys, values ? &peak : nullptr);
    }
}

}  // namespace

ReplayGainWrite WriteReplayGainValues(const std::string& path, const GainPair& track,
                                      const std::optional<GainPair>& album) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid())
        return ReplayGainWrite::Unreadable;
    const Places places = PlacesOf(file);
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
        return ReplayGainWrite::Unwritable;
    return ReplayGainWrite::Written;
}

}  // namespace eb
