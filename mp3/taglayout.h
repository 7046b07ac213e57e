// Where the tags of an MP3 file lie: the ID3v2 tags at its start, and at its end an ID3v2 tag
// with a footer, an APEv2 tag, a Lyrics3v2 block and an ID3v1 tag, in any order. The audio is
// what lies between. Only the tags' headers and footers are read, each within the file and
// within the bounds of the frame walk; what a tag holds is for its reader.
//
// Plain C++ (no Qt): the tag copy helper and the batch both ask it.
#pragma once

#include "posix/result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace eb::tags {

// How many ID3v2 tags at the start are taken; after these the file counts as audio.
inline constexpr int kMaxLeadingTags = 8;

enum class TagKind { Id3v2, Id3v2Footer, Ape, Lyrics3v2, Id3v1 };

struct TagSpan {
    TagKind kind = TagKind::Id3v2;
    std::int64_t at = 0;
    std::int64_t size = 0;
};

// Why the walk over the leading tags stopped at `audioStart` although an "ID3" header is there.
enum class LeadingStop { None, Unreadable, TooLarge, PastEnd, TooMany };

struct TagLayout {
    std::vector<TagSpan> leading;   // the ID3v2 tags at the start, in order
    std::vector<TagSpan> trailing;  // the tags at the end, in the file's order
    std::int64_t audioStart = 0;
    std::int64_t audioEnd = 0;
    LeadingStop stop = LeadingStop::None;
    // An APEv2 footer at the end whose tag does not fit in the file; the tags before it are
    // not looked for.
    bool tailUnreadable = false;

    bool any() const { return !leading.empty() || !trailing.empty() || stop != LeadingStop::None; }
};

// Reads `size` bytes at `at` into `out`; false on a read error or past the end.
using ReadBytes = std::function<bool(std::int64_t at, char* out, std::int64_t size)>;

// The layout of a file of `fileSize` bytes; a failed read fails it with the system's words.
using LayoutResult = BasicResult<TagLayout, std::string>;
LayoutResult ReadTagLayout(const ReadBytes& read, std::int64_t fileSize);
LayoutResult ReadTagLayout(int fd, std::int64_t fileSize);

}  // namespace eb::tags
