// The ten header bytes of an ID3v2 tag: its size, and the largest tag this program reads. The
// one place that sizes a tag, for the tag layout, the frame walk, the loudness follower and
// the tag copy alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace eb::id3 {

// What is worth copying. A tag beyond these bounds is not copied at all: no music file needs
// them, and a crafted tag that goes past them is meant to exhaust its reader.
inline constexpr std::size_t kMaxTagBytes = std::size_t{64} << 20;  // header included

// The size of a tag from its ten header bytes, footer included; -1 when they are not a header
// this program reads (another version, a size that is not synchsafe).
std::int64_t TagSize(const unsigned char* header);

}  // namespace eb::id3
