#include "mp3/taglayout.h"

#include "mp3/id3v2header.h"
#include "posix/errnotext.h"
#include "posix/fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace eb::tags {

namespace {

constexpr std::int64_t kId3v2Header = 10;
constexpr std::int64_t kId3v1Size = 128;
constexpr std::int64_t kApeFooterSize = 32;
// "LYRICSBEGIN" opens the block; six digits of its size and "LYRICS200" close it.
constexpr std::int64_t kLyricsEnd = 15;
constexpr std::int64_t kLyricsBegin = 11;
// At most this many tags are taken from the end.
constexpr int kMaxTrailingTags = 4;

struct Walk {
    const ReadBytes& read;
    std::int64_t fileSize;
    TagLayout layout;
    bool failed = false;

    bool readAt(std::int64_t at, void* out, std::int64_t size) {
        if (!read(at, static_cast<char*>(out), size)) {
            failed = true;
            return false;
        }
        return true;
    }

    void leadingTags();
    bool trailingTag();
    std::int64_t apeSize(std::int64_t end);
    std::int64_t lyricsSize(std::int64_t end);
    std::int64_t footerTagSize(std::int64_t end);
};

void Walk::leadingTags() {
    std::int64_t& at = layout.audioStart;
    unsigned char header[kId3v2Header];
    while (fileSize - at >= kId3v2Header && readAt(at, header, kId3v2Header) &&
           std::memcmp(header, "ID3", 3) == 0) {
        const std::int64_t size = id3::TagSize(header);
        if (static_cast<int>(layout.leading.size()) == kMaxLeadingTags)
            layout.stop = LeadingStop::TooMany;
        else if (size < 0)
            layout.stop = LeadingStop::Unreadable;
        else if (static_cast<std::uint64_t>(size) > id3::kMaxTagBytes)
            layout.stop = LeadingStop::TooLarge;
        else if (size > fileSize - at)
            layout.stop = LeadingStop::PastEnd;
        if (layout.stop != LeadingStop::None)
            return;
        layout.leading.push_back({TagKind::Id3v2, at, size});
        at += size;
    }
}

// An APEv2 footer's size of the whole tag: its items and footer, and its header when it has
// one; 0 when there is no APEv2 tag that ends at `end`.
std::int64_t Walk::apeSize(std::int64_t end) {
    unsigned char f[kApeFooterSize];
    if (end - layout.audioStart < kApeFooterSize ||
        !readAt(end - kApeFooterSize, f, kApeFooterSize) || std::memcmp(f, "APETAGEX", 8) != 0)
        return 0;
    auto le32 = [&](int at) {
        return std::uint32_t(f[at]) | std::uint32_t(f[at + 1]) << 8 |
               std::uint32_t(f[at + 2]) << 16 | std::uint32_t(f[at + 3]) << 24;
    };
    return std::int64_t{le32(12)} + ((le32(20) & 0x80000000u) ? kApeFooterSize : 0);
}

std::int64_t Walk::lyricsSize(std::int64_t end) {
    char tail[kLyricsEnd];
    if (end - layout.audioStart < kLyricsEnd + kLyricsBegin ||
        !readAt(end - kLyricsEnd, tail, kLyricsEnd) || std::memcmp(tail + 6, "LYRICS200", 9) != 0)
        return 0;
    std::int64_t size = 0;
    for (int k = 0; k < 6; ++k) {
        if (tail[k] < '0' || tail[k] > '9')
            return 0;
        size = size * 10 + (tail[k] - '0');
    }
    size += kLyricsEnd;
    char begin[kLyricsBegin];
    if (size > end - layout.audioStart || !readAt(end - size, begin, kLyricsBegin) ||
        std::memcmp(begin, "LYRICSBEGIN", kLyricsBegin) != 0)
        return 0;
    return size;
}

// An ID3v2 tag with a footer: the footer repeats the header's bytes under "3DI".
std::int64_t Walk::footerTagSize(std::int64_t end) {
    unsigned char footer[kId3v2Header];
    if (end - layout.audioStart < 2 * kId3v2Header ||
        !readAt(end - kId3v2Header, footer, kId3v2Header) || std::memcmp(footer, "3DI", 3) != 0)
        return 0;
    std::memcpy(footer, "ID3", 3);
    const std::int64_t size = id3::TagSize(footer);
    unsigned char header[kId3v2Header];
    if (footer[3] != 4 || (footer[5] & 0x10) == 0 || size < 0 || size > end - layout.audioStart ||
        static_cast<std::uint64_t>(size) > id3::kMaxTagBytes ||
        !readAt(end - size, header, kId3v2Header) || std::memcmp(header, footer, kId3v2Header) != 0)
        return 0;
    return size;
}

// Takes the tag that ends where the audio now ends; false when there is none.
bool Walk::trailingTag() {
    const std::int64_t end = layout.audioEnd;
    TagSpan span;
    char v1[3];
    if (end == fileSize && end - layout.audioStart >= kId3v1Size &&
        readAt(end - kId3v1Size, v1, 3) && std::memcmp(v1, "TAG", 3) == 0)
        span = {TagKind::Id3v1, end - kId3v1Size, kId3v1Size};
    else if (const std::int64_t ape = apeSize(end); ape > 0) {
        if (ape < kApeFooterSize || ape > end - layout.audioStart ||
            static_cast<std::uint64_t>(ape) > id3::kMaxTagBytes) {
            layout.tailUnreadable = true;
            return false;
        }
        span = {TagKind::Ape, end - ape, ape};
    } else if (const std::int64_t lyrics = lyricsSize(end); lyrics > 0)
        span = {TagKind::Lyrics3v2, end - lyrics, lyrics};
    else if (const std::int64_t tag = footerTagSize(end); tag > 0)
        span = {TagKind::Id3v2Footer, end - tag, tag};
    else
        return false;
    layout.trailing.push_back(span);  // from the end: turned into the file's order at last
    layout.audioEnd = span.at;
    return true;
}

}  // namespace

LayoutResult ReadTagLayout(const ReadBytes& read, std::int64_t fileSize) {
    Walk walk{read, fileSize, {}};
    walk.leadingTags();
    walk.layout.audioEnd = fileSize;
    for (int n = 0; !walk.failed && n < kMaxTrailingTags && walk.trailingTag(); ++n) {
    }
    if (walk.failed)
        return Failed{posix::ErrnoText(errno)};
    std::reverse(walk.layout.trailing.begin(), walk.layout.trailing.end());
    return std::move(walk.layout);
}

LayoutResult ReadTagLayout(int fd, std::int64_t fileSize) {
    return ReadTagLayout([fd](std::int64_t at, char* out,
                              std::int64_t size) { return posix::ReadAt(fd, at, out, size); },
                         fileSize);
}

}  // namespace eb::tags
