#include "tagcopy/tagcopy.h"

#include "mp3/taglayout.h"
#include "posix/errnotext.h"
#include "posix/fileio.h"
#include "posix/uniquefd.h"
#include "tagcopy/id3v2convert.h"
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

// Where the audio of the tool's output lies: between its tags at the start and at the end.
struct AudioRange {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

BasicResult<AudioRange, std::string> FindAudio(int fd, std::int64_t fileSize) {
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, fileSize);
    if (!layout)
        return Failed{"cannot read the converted file: " + layout.error()};
    if (layout->stop != tags::LeadingStop::None || layout->tailUnreadable)
        return Failed{std::string("the converted file's own tag cannot be read")};
    if (layout->audioEnd <= layout->audioStart)
        return Failed{std::string("the converted file holds no audio")};
    return AudioRange{layout->audioStart, layout->audioEnd};
}

// Why the first ID3v2 tag cannot be taken.
std::string FirstTagError(tags::LeadingStop stop) {
    if (stop == tags::LeadingStop::TooLarge)
        return "the input's ID3v2 tag is larger than " + std::to_string(id3::kMaxTagBytes >> 20) +
               " MiB";
    if (stop == tags::LeadingStop::PastEnd)
        return "the input's ID3v2 tag runs past the end of the file";
    return "the input's ID3v2 tag cannot be read";
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
    id3::Tag tag;      // the input's ID3v2 frames, the audio frames left out
    std::string tail;  // the input's APEv2, Lyrics3v2 and ID3v1 tags, their bytes as they are
    std::string error;
    bool needsTagLib = false;

    void readMpeg(int fd, std::int64_t fileSize);
    bool readId3v2(int fd, const tags::TagSpan& span, const std::string& name);
    void readOther(const std::string& input);
    void take(id3::Tag parsed);
};

void TagSource::Data::take(id3::Tag parsed) {
    tag = std::move(parsed);
    std::erase_if(tag.frames, [](const id3::Frame& f) { return IsOneOf(f.id, kAudioFrames); });
    hasId3v2 = true;
}

// The tags at the start and at the end. Some taggers put a new tag in front of an old one, or
// append one at the end: the frames of those that the first tag lacks are carried too.
void TagSource::Data::readMpeg(int fd, std::int64_t fileSize) {
    const tags::LayoutResult found = tags::ReadTagLayout(fd, fileSize);
    if (!found) {
        error = "cannot read the input's tags: " + found.error();
        return;
    }
    const tags::TagLayout& layout = *found;
    if (layout.leading.empty() && layout.stop != tags::LeadingStop::None) {
        error = FirstTagError(layout.stop);
        return;
    }
    constexpr const char* kOrdinals[] = {"a second", "a third",   "a fourth", "a fifth",
                                         "a sixth",  "a seventh", "an eighth"};
    static_assert(std::size(kOrdinals) + 1 == tags::kMaxLeadingTags);
    auto name = [&](std::size_t k) { return std::string(kOrdinals[k - 1]) + " ID3v2 tag"; };
    for (std::size_t k = 0; k < layout.leading.size(); ++k) {
        if (!readId3v2(fd, layout.leading[k], k == 0 ? std::string() : name(k)))
            return;
    }
    if (layout.stop == tags::LeadingStop::TooMany)
        tag.notCarried.push_back("the ID3v2 tags after the first " +
                                 std::to_string(tags::kMaxLeadingTags));
    else if (layout.stop != tags::LeadingStop::None)
        tag.notCarried.push_back(name(layout.leading.size()) + " that cannot be read");
    if (layout.tailUnreadable) {
        error = "the input's APEv2 tag cannot be read";
        return;
    }
    for (const tags::TagSpan& span : layout.trailing) {
        if (span.kind == tags::TagKind::Id3v2Footer) {
            if (!readId3v2(fd, span, "the ID3v2 tag at the end"))
                return;
            continue;
        }
        std::string bytes;
        if (!ReadText(fd, span.at, span.size, &bytes)) {
            error = "cannot read the input's tags: " + ErrnoText(errno);
            return;
        }
        tail += bytes;
    }
}

// Reads one ID3v2 tag, `name`d for the warning: the first one read (the first at the start, or
// the one at the end when there is none there) is taken whole, and when it cannot be read that
// is the error; the frames of each later one that the tags before lack are added.
bool TagSource::Data::readId3v2(int fd, const tags::TagSpan& span, const std::string& name) {
    std::string bytes;
    if (!ReadText(fd, span.at, span.size, &bytes)) {
        error = "cannot read the input's tags: " + ErrnoText(errno);
        return false;
    }
    id3::Tag parsed = id3::Parse(bytes);
    if (!hasId3v2 && !parsed.error.empty()) {
        error = parsed.error;
        return false;
    }
    if (!hasId3v2) {
        take(std::move(parsed));
    } else if (!parsed.error.empty()) {
        tag.notCarried.push_back(name + " that cannot be read");
    } else {
        std::erase_if(parsed.frames,
                      [](const id3::Frame& f) { return IsOneOf(f.id, kAudioFrames); });
        id3::MergeInto(tag, std::move(parsed), "in " + name);
    }
    return true;
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

TagSource::TagSource(const std::string& input, const std::string& name)
    : d_(std::make_unique<Data>()) {
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
    const std::string base = name.substr(name.rfind('/') + 1);
    std::string extension = base.substr(std::min(base.size(), base.rfind('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp3" || std::memcmp(header, "ID3", 3) == 0)
        d_->readMpeg(fd.get(), st.st_size);
    else
        d_->readOther(input);
}

TagSource::~TagSource() = default;

bool TagSource::hasTags() const {
    return d_->hasId3v2 || !d_->tail.empty();
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
        for (const id3::Frame& f : tool.frames) {
            if (!IsOneOf(f.id, kToolFrames))
                continue;
            if (auto made = id3::ConvertFrame(f, tool.version, version))
                frames.push_back(std::move(*made));
        }
    }
    const std::string id3v2 =
        frames.empty() ? std::string() : id3::Render(version, frames, kPadding);

    UniqueFd to(::open(tagged.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC));
    if (to.get() < 0)
        return Failed{"cannot write the tagged file: " + ErrnoText(errno)};
    if (!WriteAll(to.get(), id3v2.data(), static_cast<std::int64_t>(id3v2.size())) ||
        !CopyRange(from.get(), audio.start, audio.end, to.get()) ||
        !WriteAll(to.get(), d_->tail.data(), static_cast<std::int64_t>(d_->tail.size())))
        return Failed{"cannot write the tagged file: " + ErrnoText(errno)};

    // What was written must read back as what was meant: the tags byte for byte, the length.
    const auto sizeOf = [](const std::string& s) { return static_cast<std::int64_t>(s.size()); };
    const std::int64_t length = sizeOf(id3v2) + (audio.end - audio.start) + sizeOf(d_->tail);
    const std::string& tail = d_->tail;
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
