// The ID3v2 frame walk on any bytes after an ID3v2 header: it never crashes or reads outside
// the tag, keeps within its bounds, and an ID3v2.3 tag it writes again reads back to the same
// frames with nothing left out.
#include "fuzzsupport.h"
#include "tagcopy/id3v2frames.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace eb::id3;
    if (size < 2)
        return 0;
    // The first byte picks the version and flags, the rest is the tag's content.
    const auto version = static_cast<char>(2 + data[0] % 3);
    const auto flags = static_cast<char>(data[1] & 0xf0);
    std::string tag = std::string("ID3") + version + '\0' + flags;
    const std::size_t body = size - 2;
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += static_cast<char>(body >> shift & 0x7f);
    tag.append(reinterpret_cast<const char*>(data) + 2, body);

    const Tag parsed = Parse(tag);
    const QString detail = QString::fromStdString(parsed.error);
    FUZZ_CHECK(parsed.frames.size() <= kMaxFrames, detail);
    if (!parsed.error.empty())
        return 0;
    for (const Frame& f : parsed.frames)
        FUZZ_CHECK(f.id.size() == 4 && !f.body.empty() && f.body.size() <= body + 16, detail);
    if (parsed.version != 3)
        return 0;
    const Tag again = Parse(Render(3, parsed.frames, 16));
    FUZZ_CHECK(again.error.empty() && again.notCarried.empty(), detail);
    FUZZ_CHECK(again.frames == parsed.frames, detail);
    return 0;
}
