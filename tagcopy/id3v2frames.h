// The frames of an ID3v2 tag, walked one by one without a tag library, so that a frame of size
// 0, odd flags or an unknown name does not stop the frames after it. Frames are kept as the
// input stores them (flags and content untouched), so that they can be written again unchanged
// under a plain header: an ID3v2.3 tag's unsynchronisation is undone, the frames of an ID3v2.4
// tag unsynchronised as a whole keep it under their own flag. An ID3v2.2 tag is turned into
// ID3v2.3 frames.
//
// Plain C++ (no Qt): it runs in the small tag-copy helper, away from the batch.
#pragma once

#include "mp3/id3v2header.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace eb::id3 {

// What is worth copying (the largest tag, kMaxTagBytes, is in mp3/id3v2header.h). A tag beyond
// these bounds is not copied at all: no music file needs them, and a crafted tag that goes past
// them is meant to exhaust its reader.
inline constexpr std::size_t kMaxFrames = 100000;  // frames inside chapters included
inline constexpr int kMaxDepth = 16;               // chapters inside tables of contents inside ...

struct Frame {
    std::string id;           // four characters
    std::uint16_t flags = 0;  // the two flag bytes, as the tag's version reads them
    std::string body;         // the content after the frame header, as stored
    friend bool operator==(const Frame&, const Frame&) = default;
};

struct Tag {
    int inputVersion = 0;  // 2, 3 or 4, as the header says
    int version = 0;       // 3 or 4: the version `frames` are in (2.2 becomes 2.3)
    std::vector<Frame> frames;
    // Frames that are in the input but not in `frames`: "<name> (<why>)".
    std::vector<std::string> notCarried;
    // Not empty: the tag cannot be taken at all.
    std::string error;
};

// Reads one whole tag, `bytes` starting with its header.
Tag Parse(const std::string& bytes);

// What a frame of a `version` tag (3 or 4) holds, its flags undone: the group byte and length
// indicator dropped, unsynchronisation reversed. Nothing for a compressed or encrypted frame.
std::optional<std::string> Content(const Frame& frame, int version);

// A tag of `version` (3 or 4) holding `frames`, followed by `padding` zero bytes; no
// unsynchronisation, no extended header.
std::string Render(int version, const std::vector<Frame>& frames, std::size_t padding);

}  // namespace eb::id3
