#include "tagcopy/replaygainwrite.h"

#include "mp3/taglayout.h"
#include "posix/fileio.h"
#include "posix/retry.h"
#include "posix/uniquefd.h"
#include "tagcopy/id3v2frames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace eb {

namespace {

// Room left in a tag that grew, so that the album's values later fit without moving the audio.
constexpr std::size_t kPadding = 1024;
constexpr std::size_t kApeFooterSize = 32;
constexpr std::int64_t kMoveChunk = std::int64_t{1} << 20;
constexpr std::array<const char*, 4> kKeys{"replaygain_track_gain", "replaygain_track_peak",
                                           "replaygain_album_gain", "replaygain_album_peak"};

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

// What is written: per key (lower case) its text, or nothing when the key goes.
struct Wanted {
    const GainPair* track;
    const GainPair* album;

    std::optional<std::string> textOf(const std::string& key) const {
        const GainPair* values = key.find("album") != std::string::npos ? album : track;
        if (!values)
            return std::nullopt;
        char buffer[64];
        if (key.ends_with("gain"))
            std::snprintf(buffer, sizeof buffer, "%+.2f dB", values->gain);
        else
            std::snprintf(buffer, sizeof buffer, "%.6f", values->peak);
        return std::string(buffer);
    }
};

// The key as the file spells it; a key it lacks as it spells the key's gain or peak partner,
// else as its first ReplayGain key, else `key` (lower case) or, for APEv2, upper case.
std::string Spelled(const std::string& key, const std::vector<std::string>& keys,
                    bool upperByDefault) {
    const bool gain = key.ends_with("gain");
    const std::string partner = key.substr(0, key.size() - 4) + (gain ? "peak" : "gain");
    bool upper = upperByDefault;
    const auto spelledAs = [&](const std::string& wanted) {
        return std::find_if(keys.begin(), keys.end(),
                            [&](const std::string& k) { return Lower(k) == wanted; });
    };
    if (const auto found = spelledAs(key); found != keys.end())
        return *found;
    if (const auto found = spelledAs(partner); found != keys.end())
        upper = *found == Upper(*found);
    else if (!keys.empty())
        upper = keys.front() == Upper(keys.front());
    return upper ? Upper(key) : key;
}

// A TXXX frame's description with its ASCII letters (a ReplayGain key is ASCII; any other
// letter reads as "?"), from its content (encoding byte, description, terminator, value).
std::string Description(const std::string& content) {
    if (content.empty())
        return {};
    const char encoding = content[0];
    std::string text;
    if (encoding == 1 || encoding == 2) {
        std::size_t at = 1;
        bool little = encoding == 1;
        if (content.compare(1, 2, "\xff\xfe") == 0 || content.compare(1, 2, "\xfe\xff") == 0) {
            little = content[1] == '\xff';
            at = 3;
        }
        for (; at + 1 < content.size() && (content[at] != 0 || content[at + 1] != 0); at += 2) {
            const auto low = static_cast<unsigned char>(content[little ? at : at + 1]);
            const auto high = static_cast<unsigned char>(content[little ? at + 1 : at]);
            text += high == 0 && low < 0x80 ? static_cast<char>(low) : '?';
        }
        return text;
    }
    text = content.substr(1, content.find('\0', 1) - 1);
    for (char& c : text)
        c = static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return text;
}

id3::Frame TxxxFrame(const std::string& key, const std::string& value) {
    return {"TXXX", 0, std::string(1, '\0') + key + std::string(1, '\0') + value};
}

// One tag's TXXX values: the first frame of each key takes its text, the others of that key
// go, and a key with a text that the tag lacks is added. Only in a tag with such frames.
bool SetTxxx(std::vector<id3::Frame>& frames, int version, const Wanted& wanted,
             const std::vector<std::string>& keys) {
    std::array<bool, kKeys.size()> done{};
    bool any = false;
    for (auto it = frames.begin(); it != frames.end();) {
        const std::optional<std::string> content =
            it->id == "TXXX" ? id3::Content(*it, version) : std::nullopt;
        const std::string description = content ? Description(*content) : std::string();
        const auto key = std::find(kKeys.begin(), kKeys.end(), Lower(description));
        any |= IsReplayGainKey(description);
        if (key == kKeys.end()) {
            ++it;
            continue;
        }
        const auto k = static_cast<std::size_t>(key - kKeys.begin());
        const std::optional<std::string> text = wanted.textOf(*key);
        if (text && !done[k]) {
            *it++ = TxxxFrame(description, *text);
            done[k] = true;
        } else {
            it = frames.erase(it);
        }
    }
    for (std::size_t k = 0; any && k < kKeys.size(); ++k) {
        if (const std::optional<std::string> text = wanted.textOf(kKeys[k]); text && !done[k])
            frames.push_back(TxxxFrame(Spelled(kKeys[k], keys, false), *text));
    }
    return any;
}

void PutBe16(std::string& out, int value) {
    out += static_cast<char>((value >> 8) & 0xff);
    out += static_cast<char>(value & 0xff);
}

// An RVA2 frame named `identification` with the gain and a 16-bit peak for each of
// `channels` (the frame's own, else the master volume).
id3::Frame Rva2Frame(const std::string& identification, const std::string& channels,
                     const GainPair& values) {
    std::string body = identification + '\0';
    for (const char channel : channels.empty() ? std::string(1, '\1') : channels) {
        body += channel;
        PutBe16(body,
                static_cast<int>(std::clamp(std::lround(values.gain * 512), -32768L, 32767L)));
        body += '\x10';
        PutBe16(body, static_cast<int>(std::clamp(std::lround(values.peak * 32768), 0L, 65535L)));
    }
    return {"RVA2", 0, body};
}

// The channel types an RVA2 frame's content holds after its identification.
std::string Rva2Channels(const std::string& content, std::size_t at) {
    std::string channels;
    while (at + 4 <= content.size()) {
        channels += content[at];
        const auto bits = static_cast<unsigned char>(content[at + 3]);
        at += 4 + (bits + 7u) / 8u;
    }
    return channels;
}

// One tag's RVA2 values, "album" frames and the others (track): the first of each takes its
// values, the others go; a kind with values that the tag lacks is added. Only in a tag with
// RVA2 frames.
bool SetRva2(std::vector<id3::Frame>& frames, int version, const Wanted& wanted) {
    std::array<bool, 2> done{};
    bool any = false;
    for (auto it = frames.begin(); it != frames.end();) {
        const std::optional<std::string> content =
            it->id == "RVA2" ? id3::Content(*it, version) : std::nullopt;
        any |= it->id == "RVA2";
        if (!content) {
            ++it;
            continue;
        }
        const std::size_t end = std::min(content->find('\0'), content->size());
        const std::string identification = content->substr(0, end);
        const bool album = Upper(identification) == "ALBUM";
        const GainPair* values = album ? wanted.album : wanted.track;
        if (values && !done[album ? 1 : 0]) {
            *it++ = Rva2Frame(identification, Rva2Channels(*content, end + 1), *values);
            done[album ? 1 : 0] = true;
        } else {
            it = frames.erase(it);
        }
    }
    if (any && wanted.track && !done[0])
        frames.push_back(Rva2Frame("track", {}, *wanted.track));
    if (any && wanted.album && !done[1])
        frames.push_back(Rva2Frame("album", {}, *wanted.album));
    return any;
}

// An ID3v2 tag with its values written, or nothing when it keeps none (its bytes stay). A tag
// the walk cannot read, or would not carry whole, is refused.
struct EditedTag {
    ReplayGainWrite status = ReplayGainWrite::Written;
    std::optional<id3::Tag> tag;
};

EditedTag EditId3v2(const std::string& bytes, const Wanted& wanted,
                    const std::vector<std::string>& keys) {
    id3::Tag tag = id3::Parse(bytes);
    if (!tag.error.empty())
        return {ReplayGainWrite::Unreadable, std::nullopt};
    const bool txxx = SetTxxx(tag.frames, tag.version, wanted, keys);
    if (!(SetRva2(tag.frames, tag.version, wanted) || txxx))
        return {};
    if (!tag.notCarried.empty())
        return {ReplayGainWrite::Unwritable, std::nullopt};
    return {ReplayGainWrite::Written, std::move(tag)};
}

// The TXXX ReplayGain keys of every ID3v2 tag, as spelled.
void CollectTxxxKeys(const std::string& bytes, std::vector<std::string>& keys) {
    const id3::Tag tag = id3::Parse(bytes);
    for (const id3::Frame& frame : tag.frames) {
        const std::optional<std::string> content =
            frame.id == "TXXX" ? id3::Content(frame, tag.version) : std::nullopt;
        if (content && IsReplayGainKey(Description(*content)))
            keys.push_back(Description(*content));
    }
}

std::uint32_t Le32(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8) |
           (static_cast<unsigned char>(b[at + 2]) << 16) |
           (std::uint32_t{static_cast<unsigned char>(b[at + 3])} << 24);
}

void PutLe32(std::string& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        out += static_cast<char>((v >> (8 * k)) & 0xff);
}

struct ApeItem {
    std::uint32_t flags = 0;
    std::string key;
    std::string value;
};

// The APEv2 tag `bytes` (its header, if any, its items and its footer) with its values
// written; nothing when it keeps none. A tag whose items cannot be read is refused.
struct EditedApe {
    ReplayGainWrite status = ReplayGainWrite::Written;
    std::optional<std::string> bytes;
};

std::optional<std::vector<ApeItem>> ApeItems(const std::string& bytes, std::size_t from,
                                             std::size_t to) {
    std::vector<ApeItem> items;
    while (from < to) {
        const std::size_t keyEnd = bytes.find('\0', from + 8);
        if (to - from < 9 || keyEnd >= to || Le32(bytes, from) > to - keyEnd - 1)
            return std::nullopt;
        const std::uint32_t size = Le32(bytes, from);
        items.push_back({Le32(bytes, from + 4), bytes.substr(from + 8, keyEnd - from - 8),
                         bytes.substr(keyEnd + 1, size)});
        from = keyEnd + 1 + size;
    }
    return items;
}

std::string ApeBytes(const std::vector<ApeItem>& items, const std::string& footer) {
    std::string body;
    for (const ApeItem& item : items) {
        PutLe32(body, static_cast<std::uint32_t>(item.value.size()));
        PutLe32(body, item.flags);
        body += item.key + '\0' + item.value;
    }
    const std::uint32_t flags = Le32(footer, 20);
    const auto field = [&](bool header) {
        std::string f = footer.substr(0, 12);
        PutLe32(f, static_cast<std::uint32_t>(body.size() + kApeFooterSize));
        PutLe32(f, static_cast<std::uint32_t>(items.size()));
        PutLe32(f, header ? flags | 0x20000000u : flags & ~0x20000000u);
        return f + std::string(8, '\0');
    };
    return ((flags & 0x80000000u) != 0 ? field(true) : std::string()) + body + field(false);
}

EditedApe EditApe(const std::string& bytes, const Wanted& wanted) {
    const std::string footer = bytes.substr(bytes.size() - kApeFooterSize);
    const std::size_t size = Le32(footer, 12);  // the items and the footer
    if (size < kApeFooterSize || size > bytes.size())
        return {ReplayGainWrite::Unreadable, std::nullopt};
    std::optional<std::vector<ApeItem>> items =
        ApeItems(bytes, bytes.size() - size, bytes.size() - kApeFooterSize);
    if (!items)
        return {ReplayGainWrite::Unreadable, std::nullopt};
    std::vector<std::string> keys;
    for (const ApeItem& item : *items) {
        if (IsReplayGainKey(item.key))
            keys.push_back(item.key);
    }
    if (keys.empty())
        return {};
    for (const char* key : kKeys) {
        std::erase_if(*items, [&](const ApeItem& item) { return Lower(item.key) == key; });
        if (const std::optional<std::string> text = wanted.textOf(key))
            items->push_back({0, Spelled(key, keys, true), *text});
    }
    return {ReplayGainWrite::Written, ApeBytes(*items, footer)};
}

// A tag with a footer, as it stands at the end of a file (ID3v2.4 only).
std::string WithFooter(std::string rendered) {
    rendered[5] = static_cast<char>(rendered[5] | 0x10);
    return rendered + "3DI" + rendered.substr(3, 7);
}

// The file's new head (its leading tags) and tail (what follows its audio).
struct NewBytes {
    ReplayGainWrite status = ReplayGainWrite::Written;
    std::string head;
    std::string tail;
    bool changed = false;
};

std::optional<std::string> ReadSpan(int fd, std::int64_t at, std::int64_t size) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!posix::ReadAt(fd, at, bytes.data(), size))
        return std::nullopt;
    return bytes;
}

// The leading tags: each edited tag rendered again, the first of them given the room the tags
// had (or more), so that the audio stays where it is whenever it can.
void NewHead(int fd, const tags::TagLayout& layout, const Wanted& wanted,
             const std::vector<std::string>& keys, NewBytes& out) {
    std::vector<std::string> parts;
    std::vector<std::optional<id3::Tag>> edited;
    for (const tags::TagSpan& span : layout.leading) {
        std::optional<std::string> bytes = ReadSpan(fd, span.at, span.size);
        EditedTag e = bytes ? EditId3v2(*bytes, wanted, keys)
                            : EditedTag{ReplayGainWrite::Unreadable, std::nullopt};
        if (e.status != ReplayGainWrite::Written) {
            out.status = e.status;
            return;
        }
        parts.push_back(e.tag ? id3::Render(e.tag->version, e.tag->frames, 0) : *bytes);
        edited.push_back(std::move(e.tag));
    }
    const auto first = std::find_if(edited.begin(), edited.end(), [](const auto& t) { return t; });
    if (first == edited.end())
        return out.head.clear();
    std::size_t size = 0;
    for (const std::string& part : parts)
        size += part.size();
    const auto room = static_cast<std::size_t>(layout.audioStart);
    const auto k = static_cast<std::size_t>(first - edited.begin());
    parts[k] =
        id3::Render((*first)->version, (*first)->frames, size <= room ? room - size : kPadding);
    for (const std::string& part : parts)
        out.head += part;
    out.changed = true;
}

// What follows the audio: its ID3v2 tag with a footer and its APEv2 tag edited, the rest as
// it is.
void NewTail(int fd, const tags::TagLayout& layout, std::int64_t fileSize, const Wanted& wanted,
             const std::vector<std::string>& keys, NewBytes& out) {
    std::int64_t at = layout.audioEnd;
    for (const tags::TagSpan& span : layout.trailing) {
        std::optional<std::string> gap =
            span.at >= at ? ReadSpan(fd, at, span.at - at) : std::nullopt;
        std::optional<std::string> bytes = ReadSpan(fd, span.at, span.size);
        if (!gap || !bytes) {
            out.status = ReplayGainWrite::Unreadable;
            return;
        }
        out.tail += *gap;
        at = span.at + span.size;
        if (span.kind == tags::TagKind::Ape) {
            const EditedApe e = EditApe(*bytes, wanted);
            out.status = e.status == ReplayGainWrite::Written ? out.status : e.status;
            out.changed |= e.bytes.has_value();
            out.tail += e.bytes.value_or(*bytes);
        } else if (span.kind == tags::TagKind::Id3v2Footer) {
            const EditedTag e = EditId3v2(*bytes, wanted, keys);
            out.status = e.status == ReplayGainWrite::Written ? out.status : e.status;
            out.changed |= e.tag.has_value();
            out.tail += e.tag ? WithFooter(id3::Render(e.tag->version, e.tag->frames, 0)) : *bytes;
        } else {
            out.tail += *bytes;
        }
    }
    if (std::optional<std::string> rest =
            fileSize >= at ? ReadSpan(fd, at, fileSize - at) : std::nullopt)
        out.tail += *rest;
    else
        out.status = ReplayGainWrite::Unreadable;
}

// Moves the audio `by` bytes on, from its end backwards.
bool MoveAudio(int fd, const tags::TagLayout& layout, std::int64_t by) {
    std::vector<char> chunk(static_cast<std::size_t>(kMoveChunk));
    for (std::int64_t end = layout.audioEnd; end > layout.audioStart;) {
        const std::int64_t n = std::min(kMoveChunk, end - layout.audioStart);
        end -= n;
        if (!posix::ReadAt(fd, end, chunk.data(), n) ||
            !posix::WriteAt(fd, end + by, chunk.data(), n))
            return false;
    }
    return true;
}

}  // namespace

ReplayGainWrite WriteReplayGainValues(int fd, const std::optional<GainPair>& track,
                                      const std::optional<GainPair>& album) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return ReplayGainWrite::Unreadable;
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, st.st_size);
    if (!layout || layout->tailUnreadable)
        return ReplayGainWrite::Unreadable;
    const Wanted wanted{track ? &*track : nullptr, album ? &*album : nullptr};
    std::vector<std::string> keys;  // the TXXX keys of all its tags, for the spelling
    for (const tags::TagSpan& span : layout->leading) {
        if (const std::optional<std::string> bytes = ReadSpan(fd, span.at, span.size))
            CollectTxxxKeys(*bytes, keys);
    }
    NewBytes made;
    NewHead(fd, *layout, wanted, keys, made);
    if (made.status == ReplayGainWrite::Written)
        NewTail(fd, *layout, st.st_size, wanted, keys, made);
    if (made.status != ReplayGainWrite::Written || !made.changed)
        return made.status;
    const std::int64_t head =
        made.head.empty() ? layout->audioStart : static_cast<std::int64_t>(made.head.size());
    const std::int64_t audio = layout->audioEnd - layout->audioStart;
    const bool written =
        (head == layout->audioStart || MoveAudio(fd, *layout, head - layout->audioStart)) &&
        posix::WriteAt(fd, 0, made.head.data(), static_cast<std::int64_t>(made.head.size())) &&
        posix::WriteAt(fd, head + audio, made.tail.data(),
                       static_cast<std::int64_t>(made.tail.size())) &&
        posix::RetryOnEintr([&] {
            return ::ftruncate(fd, head + audio + static_cast<std::int64_t>(made.tail.size()));
        }) == 0;
    return written ? ReplayGainWrite::Written : ReplayGainWrite::Unwritable;
}

ReplayGainWrite WriteReplayGainValues(const std::string& path, const std::optional<GainPair>& track,
                                      const std::optional<GainPair>& album) {
    const posix::UniqueFd fd(posix::RetryOnEintr(
        [&] { return ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
    if (!fd)
        return ReplayGainWrite::Unreadable;
    return WriteReplayGainValues(fd.get(), track, album);
}

}  // namespace eb
