#include "tagcopy/tagcopy.h"

#include "posix/errnotext.h"
#include "posix/fileio.h"
#include "posix/uniquefd.h"
#include "tagcopy/id3v2frames.h"

#ifndef ECHOBATCH_TAGCOPY_MP3_ONLY
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace eb {

namespace {

constexpr std::int64_t kId3v2HeaderSize = 10;
constexpr std::int64_t kId3v1Size = 128;
constexpr std::int64_t kApeFooterSize = 32;
// Room left in a written tag, so that a tagger can edit it in place later.
constexpr std::size_t kPadding = 1024;

// Frames that describe the input's audio rather than its content: its length, its encoder and
// positions inside its bytes. The converted audio has its own.
constexpr const char* kAudioFrames[] = {"TLEN", "TSSE", "MLLT", "SEEK", "ASPI"};
// What the tool writes about the new audio, carried instead.
constexpr const char* kToolFrames[] = {"TLEN", "TSSE"};

bool IsOneOf(const std::string& id, const auto& ids) {
    return std::any_of(std::begin(ids), std::end(ids), [&](const char* x) { return id == x; });
}

using posix::ErrnoText;
using posix::ReadAt;
using posix::UniqueFd;
using posix::WriteAll;

// An APEv2 footer's size of the whole tag: its items and footer, and its header when it has one.
std::int64_t ApeSize(const unsigned char* footer) {
    auto le32 = [&](int at) {
        return std::uint32_t(footer[at]) | std::uint32_t(footer[at + 1]) << 8 |
               std::uint32_t(footer[at + 2]) << 16 | std::uint32_t(footer[at + 3]) << 24;
    };
    return std::int64_t{le32(12)} + ((le32(20) & 0x80000000u) ? kApeFooterSize : 0);
}

// Where the audio of the tool's output lies: after its ID3v2 tags, before an APEv2 and an
// ID3v1 tag at its end.
struct AudioRange {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

BasicResult<AudioRange, std::string> FindAudio(int fd, std::int64_t fileSize) {
    const std::string unreadable = "the converted file's own tag cannot be read";
    AudioRange range;
    range.end = fileSize;
    unsigned char header[kId3v2HeaderSize];
    while (range.end - range.start >= kId3v2HeaderSize) {
        if (!ReadAt(fd, range.start, reinterpret_cast<char*>(header), kId3v2HeaderSize))
            return Failed{"cannot read the converted file: " + ErrnoText(errno)};
        if (std::memcmp(header, "ID3", 3) != 0)
            break;
        const std::int64_t size = id3::TagSize(header);
        if (size < 0 || size > range.end - range.start)
            return Failed{unreadable};
        range.start += size;
    }
    char tail[kId3v1Size];
    if (range.end - range.start >= kId3v1Size &&
        ReadAt(fd, range.end - kId3v1Size, tail, kId3v1Size) && std::memcmp(tail, "TAG", 3) == 0)
        range.end -= kId3v1Size;
    unsigned char footer[kApeFooterSize];
    if (range.end - range.start >= kApeFooterSize &&
        ReadAt(fd, range.end - kApeFooterSize, reinterpret_cast<char*>(footer), kApeFooterSize) &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        const std::int64_t size = ApeSize(footer);
        if (size > range.end - range.start)
            return Failed{unreadable};
        range.end -= size;
    }
    if (range.end <= range.start)
        return Failed{std::string("the converted file holds no audio")};
    return range;
}

// Copies [start, end) of one file to the current position of another.
bool CopyRange(int from, std::int64_t start, std::int64_t end, int to) {
    std::string buffer(std::size_t{1} << 18, '\0');
    for (std::int64_t at = start; at < end;) {
        const std::int64_t chunk =
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), end - at);
        if (!ReadAt(from, at, buffer.data(), chunk) || !WriteAll(to, buffer.data(), chunk))
            return false;
        at += chunk;
    }
    return true;
}

// Reads [at, at + size) of a file into a text; false on a read error or a short file.
bool ReadText(int fd, std::int64_t at, std::int64_t size, std::string* out) {
    out->assign(static_cast<std::size_t>(size), '\0');
    return ReadAt(fd, at, out->data(), size);
}

}  // namespace

struct TagSource::Data {
    bool hasId3v2 = false;
    id3::Tag tag;       // the input's ID3v2 frames, the audio frames left out
    std::string ape;    // the input's APEv2 tag, its bytes as they are
    std::string id3v1;  // the input's ID3v1 tag, its 128 bytes as they are
    std::string error;
    bool needsTagLib = false;

    void readMpeg(int fd, std::int64_t fileSize, const unsigned char* header);
    void readSecond(int fd, std::int64_t fileSize, std::int64_t at);
    void readTail(int fd, std::int64_t start, std::int64_t fileSize);
    void readOther(const std::string& input);
    void take(id3::Tag parsed);
};

void TagSource::Data::take(id3::Tag parsed) {
    tag = std::move(parsed);
    std::erase_if(tag.frames, [](const id3::Frame& f) { return IsOneOf(f.id, kAudioFrames); });
    hasId3v2 = true;
}

void TagSource::Data::readMpeg(int fd, std::int64_t fileSize, const unsigned char* header) {
    std::int64_t tagEnd = 0;
    if (std::memcmp(header, "ID3", 3) == 0) {
        const std::int64_t size = id3::TagSize(header);
        if (size < 0) {
            error = "the input's ID3v2 tag cannot be read";
            return;
        }
        if (static_cast<std::uint64_t>(size) > id3::kMaxTagBytes) {
            error = "the input's ID3v2 tag is larger than " +
                    std::to_string(id3::kMaxTagBytes >> 20) + " MiB";
            return;
        }
        std::string bytes;
        if (size > fileSize || !ReadText(fd, 0, size, &bytes)) {
            error = "the input's ID3v2 tag runs past the end of the file";
            return;
        }
        id3::Tag parsed = id3::Parse(bytes);
        if (!parsed.error.empty()) {
            error = parsed.error;
            return;
        }
        take(std::move(parsed));
        tagEnd = size;
        readSecond(fd, fileSize, tagEnd);
    }
    readTail(fd, tagEnd, fileSize);
}

// Some taggers put a new tag in front of an old one. Readers take the first; frames of the
// second that the first lacks are named, not merged.
void TagSource::Data::readSecond(int fd, std::int64_t fileSize, std::int64_t at) {
    unsigned char header[kId3v2HeaderSize];
    if (fileSize - at < kId3v2HeaderSize ||
        !ReadAt(fd, at, reinterpret_cast<char*>(header), kId3v2HeaderSize) ||
        std::memcmp(header, "ID3", 3) != 0)
        return;
    const std::int64_t size = id3::TagSize(header);
    std::string bytes;
    if (size < 0 || static_cast<std::uint64_t>(size) > id3::kMaxTagBytes || size > fileSize - at ||
        !ReadText(fd, at, size, &bytes)) {
        tag.notCarried.push_back("a second ID3v2 tag that cannot be read");
        return;
    }
    id3::Tag second = id3::Parse(bytes);
    if (!second.error.empty() || second.version != tag.version) {
        tag.notCarried.push_back("a second ID3v2 tag of another version");
        return;
    }
    for (const id3::Frame& f : second.frames) {
        if (!IsOneOf(f.id, kAudioFrames) &&
            std::find(tag.frames.begin(), tag.frames.end(), f) == tag.frames.end())
            tag.notCarried.push_back(f.id + " (in a second ID3v2 tag)");
    }
}

// The ID3v1 tag and the APEv2 tag before it, both at the end of the file.
void TagSource::Data::readTail(int fd, std::int64_t start, std::int64_t fileSize) {
    std::int64_t end = fileSize;
    std::string tail;
    if (end - start >= kId3v1Size && ReadText(fd, end - kId3v1Size, kId3v1Size, &tail) &&
        tail.starts_with("TAG")) {
        id3v1 = tail;
        end -= kId3v1Size;
    }
    unsigned char footer[kApeFooterSize];
    if (end - start >= kApeFooterSize &&
        ReadAt(fd, end - kApeFooterSize, reinterpret_cast<char*>(footer), kApeFooterSize) &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        const std::int64_t size = ApeSize(footer);
        if (size < kApeFooterSize || size > end - start ||
            static_cast<std::uint64_t>(size) > id3::kMaxTagBytes ||
            !ReadText(fd, end - size, size, &ape)) {
            ape.clear();
            error = "the input's APEv2 tag cannot be read";
        }
    }
}

// Another audio format (the tool reads more than MP3): its text tags become ID3v2 frames.
#ifdef ECHOBATCH_TAGCOPY_MP3_ONLY
void TagSource::Data::readOther(const std::string&) {
    needsTagLib = true;
}
#else
void TagSource::Data::readOther(const std::string& input) {
    TagLib::FileStream stream(input.c_str(), true);
    if (!stream.isOpen()) {
        error = "cannot read the input's tags";
        return;
    }
    TagLib::FileRef ref(&stream, false);
    if (!ref.file())
        return;
    const TagLib::PropertyMap properties = ref.file()->properties();
    if (properties.isEmpty())
        return;
    TagLib::ID3v2::Tag made;
    made.setProperties(properties);
    const TagLib::ByteVector rendered = made.render(TagLib::ID3v2::v4);
    take(id3::Parse(std::string(rendered.data(), rendered.size())));
}
#endif

TagSource::TagSource(const std::string& input) : d_(std::make_unique<Data>()) {
    // Never a blocking open: the input must be a regular file before anything reads it.
    const UniqueFd fd(::open(input.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        d_->error = "cannot read the input's tags: " + ErrnoText(errno);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        d_->error = "the input is not a regular file";
        return;
    }
    unsigned char header[kId3v2HeaderSize] = {};
    if (st.st_size >= kId3v2HeaderSize &&
        !ReadAt(fd.get(), 0, reinterpret_cast<char*>(header), kId3v2HeaderSize)) {
        d_->error = "cannot read the input's tags: " + ErrnoText(errno);
        return;
    }
    // An MP3 file, by its name as the tool takes it, or by the tag it starts with.
    std::string extension = input.substr(std::min(input.size(), input.rfind('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp3" || std::memcmp(header, "ID3", 3) == 0)
        d_->readMpeg(fd.get(), st.st_size, header);
    else
        d_->readOther(input);
}

TagSource::~TagSource() = default;

bool TagSource::hasTags() const {
    return d_->hasId3v2 || !d_->ape.empty() || !d_->id3v1.empty();
}

bool TagSource::needsTagLib() const {
    return d_->needsTagLib;
}

const std::string& TagSource::error() const {
    return d_->error;
}

std::string TagSource::notCarried() const {
    constexpr std::size_t kListed = 10;
    const std::vector<std::string>& all = d_->tag.notCarried;
    std::string text;
    for (std::size_t k = 0; k < all.size() && k < kListed; ++k)
        text += (k ? ", " : "") + all[k];
    if (all.size() > kListed)
        text += " and " + std::to_string(all.size() - kListed) + " more";
    return text;
}

TagSource::WriteResult TagSource::writeTagged(const std::string& converted,
                                              const std::string& tagged) {
    if (!d_->error.empty())
        return Failed{d_->error};
    const UniqueFd from(::open(converted.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (from.get() < 0 || ::fstat(from.get(), &st) != 0)
        return Failed{"cannot read the converted file: " + ErrnoText(errno)};
    const auto found = FindAudio(from.get(), st.st_size);
    if (!found)
        return Failed{found.error()};
    const AudioRange& audio = *found;

    // The tool's length frame is kept even when the input has no ID3v2 tag: without it a
    // decoder plays the encoder's padding at the end as well.
    const int version = d_->hasId3v2 ? d_->tag.version : 3;
    std::vector<id3::Frame> frames = d_->tag.frames;
    std::string own;
    if (audio.start > 0 && ReadText(from.get(), 0, audio.start, &own)) {
        const id3::Tag tool = id3::Parse(own);
        for (id3::Frame f : tool.frames) {
            if (IsOneOf(f.id, kToolFrames) && id3::ConvertFrame(f, tool.version, version))
                frames.push_back(std::move(f));
        }
    }
    const std::string id3v2 =
        frames.empty() ? std::string() : id3::Render(version, frames, kPadding);

    UniqueFd to(::open(tagged.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC));
    if (to.get() < 0)
        return Failed{"cannot write the tagged file: " + ErrnoText(errno)};
    if (!WriteAll(to.get(), id3v2.data(), static_cast<std::int64_t>(id3v2.size())) ||
        !CopyRange(from.get(), audio.start, audio.end, to.get()) ||
        !WriteAll(to.get(), d_->ape.data(), static_cast<std::int64_t>(d_->ape.size())) ||
        !WriteAll(to.get(), d_->id3v1.data(), static_cast<std::int64_t>(d_->id3v1.size())))
        return Failed{"cannot write the tagged file: " + ErrnoText(errno)};

    // What was written must read back as what was meant: the tags byte for byte, the length.
    const auto sizeOf = [](const std::string& s) { return static_cast<std::int64_t>(s.size()); };
    const std::int64_t length =
        sizeOf(id3v2) + (audio.end - audio.start) + sizeOf(d_->ape) + sizeOf(d_->id3v1);
    const std::string tail = d_->ape + d_->id3v1;
    std::string head;
    std::string end;
    struct stat written {};
    if (::fstat(to.get(), &written) != 0 || written.st_size != length ||
        !ReadText(to.get(), 0, sizeOf(id3v2), &head) || head != id3v2 ||
        !ReadText(to.get(), length - sizeOf(tail), sizeOf(tail), &end) || end != tail)
        return Failed{std::string("the tagged file does not read back as written")};
    if (!to.close())
        return Failed{"cannot write the tagged file: " + ErrnoText(errno)};
    return {};
}

}  // namespace eb
