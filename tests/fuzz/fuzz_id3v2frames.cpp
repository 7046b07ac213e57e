// The ID3v2 frame walk on any bytes after an ID3v2 header: it never crashes or reads outside
// the tag, keeps within its bounds, and an ID3v2.3 tag it writes again reads back to the same
// frames with nothing left out. The same bytes as a whole file: the tags found at its start
// and end lie inside it, one after another. The frames as frames of the other version: they
// read back as written, and a tag merged with itself gains nothing.
#include "fuzzsupport.h"
#include "mp3/taglayout.h"
#include "tagcopy/id3v2convert.h"
#include "tagcopy/id3v2frames.h"

#include <cstring>
#include <string>

namespace {

void CheckLayout(const std::string& file) {
    using namespace eb::tags;
    const auto size = static_cast<std::int64_t>(file.size());
    const LayoutResult layout = ReadTagLayout(
        [&](std::int64_t at, char* out, std::int64_t n) {
            FUZZ_CHECK(at >= 0 && n >= 0 && at + n <= size, QString::number(at));
            std::memcpy(out, file.data() + at, static_cast<std::size_t>(n));
            return true;
        },
        size);
    FUZZ_CHECK(layout.ok(), QString());
    FUZZ_CHECK(static_cast<int>(layout->leading.size()) <= kMaxLeadingTags, QString());
    std::int64_t at = 0;
    for (const TagSpan& span : layout->leading) {
        FUZZ_CHECK(span.at == at && span.size > 0, QString::number(at));
        at += span.size;
    }
    FUZZ_CHECK(at == layout->audioStart && layout->audioStart <= layout->audioEnd, QString());
    at = layout->audioEnd;
    for (const TagSpan& span : layout->trailing) {
        FUZZ_CHECK(span.at == at && span.size > 0, QString::number(at));
        at += span.size;
    }
    FUZZ_CHECK(at == size, QString::number(at));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace eb::id3;
    if (size < 2)
        return 0;
    CheckLayout(std::string(reinterpret_cast<const char*>(data), size));
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
    Tag merged = parsed;
    MergeInto(merged, parsed, "in a second ID3v2 tag");
    FUZZ_CHECK(merged.frames == parsed.frames, detail);
    Tag converted = parsed;
    ConvertTag(converted, parsed.version == 3 ? 4 : 3);
    const Tag v3 = parsed.version == 3 ? parsed : converted;
    const Tag again = Parse(Render(3, v3.frames, 16));
    FUZZ_CHECK(again.error.empty() && again.notCarried.empty(), detail);
    FUZZ_CHECK(again.frames == v3.frames, detail);
    return 0;
}
