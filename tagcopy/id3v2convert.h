// Frames of one ID3v2 version as frames of another, and what makes two frames the same frame.
// A frame changes version with its flags undone (unsynchronisation, group byte, data length)
// and its status flags moved to where the other version keeps them; text in an encoding that
// ID3v2.3 lacks (UTF-8, UTF-16BE) becomes Latin-1, or UTF-16 where Latin-1 cannot hold it;
// the dates move between ID3v2.3's year, day and time frames and ID3v2.4's recording time.
//
// Plain C++ (no Qt): it runs in the small tag-copy helper.
#pragma once

#include "posix/result.h"
#include "tagcopy/id3v2frames.h"

#include <string>

namespace eb::id3 {

// `frame`, a frame of a `from` tag (3 or 4), as a frame of a `to` tag; why it cannot be when
// it cannot ("no ID3v2.3 counterpart").
BasicResult<Frame, std::string> ConvertFrame(const Frame& frame, int from, int to);

// `tag`'s frames as frames of a `to` tag; those that cannot be are named in its notCarried.
void ConvertTag(Tag& tag, int to);

// Two frames of a `version` tag are the same frame when their keys are equal: the name, with
// the description, language, picture type or owner where ID3v2 lets a tag hold several.
std::string FrameKey(const Frame& frame, int version);

// The frame's content as the same frame holds it in any tag: flags undone, its text in UTF-8.
// Two frames of the same key with different contents hold the frame differently.
std::string Canonical(const Frame& frame, int version);

// Adds to `into` the frames of `other` that it lacks, made frames of its version. A frame that
// both hold differently keeps `into`'s and is named in `into`'s notCarried as held differently
// `where` ("in a second ID3v2 tag"), as is what `other` could not carry.
void MergeInto(Tag& into, Tag other, const std::string& where);

}  // namespace eb::id3
