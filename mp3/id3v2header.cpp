#include "mp3/id3v2header.h"

#include <cstring>

namespace eb::id3 {

std::int64_t TagSize(const unsigned char* h) {
    constexpr std::int64_t kHeader = 10;  // a footer is as long
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF)
        return -1;
    std::int64_t size = 0;
    for (int k = 6; k < 10; ++k) {
        if (h[k] & 0x80)
            return -1;
        size = (size << 7) | h[k];
    }
    const bool footer = h[3] == 4 && (h[5] & 0x10) != 0;
    return kHeader + size + (footer ? kHeader : 0);
}

}  // namespace eb::id3
