#include "tagcopy/id3v2convert.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace eb::id3 {

namespace {

constexpr auto kNone = std::string_view::npos;
constexpr std::size_t kFrameHeader = 10;

// Where the text field of `encoding` that starts at `at` ends: its terminator, or npos.
std::size_t TermAt(std::string_view s, std::size_t at, int encoding) {
    if (encoding == 1 || encoding == 2) {
        for (std::size_t k = at; k + 1 < s.size(); k += 2) {
            if (s[k] == '\0' && s[k + 1] == '\0')
                return k;
        }
        return kNone;
    }
    return s.find('\0', at);
}

std::size_t TermSize(int encoding) {
    return encoding == 1 || encoding == 2 ? 2 : 1;
}

void PutUtf8(std::string& out, char32_t c) {
    auto put = [&](std::uint32_t v) { out += static_cast<char>(v); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xc0 | c >> 6), put(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        put(0xe0 | c >> 12), put(0x80 | (c >> 6 & 0x3f)), put(0x80 | (c & 0x3f));
    } else {
        put(0xf0 | c >> 18), put(0x80 | (c >> 12 & 0x3f)), put(0x80 | (c >> 6 & 0x3f));
        put(0x80 | (c & 0x3f));
    }
}

// Text of `encoding` (0 Latin-1, 1 UTF-16 after a byte order mark, 2 UTF-16BE, 3 UTF-8) in
// UTF-8; what cannot be read becomes U+FFFD.
std::string ToUtf8(std::string_view s, int encoding) {
    if (encoding == 3)
        return std::string(s);
    std::string out;
    if (encoding == 0) {
        for (char c : s)
            PutUtf8(out, static_cast<unsigned char>(c));
        return out;
    }
    bool big = encoding == 2;
    std::size_t k = 0;
    if (encoding == 1 && s.size() >= 2 &&
        (s.starts_with("\xff\xfe") || s.starts_with("\xfe\xff"))) {
        big = s[0] == '\xfe';
        k = 2;
    }
    auto unit = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(s[at]);
        const auto b = static_cast<unsigned char>(s[at + 1]);
        return static_cast<char32_t>(big ? a << 8 | b : b << 8 | a);
    };
    for (; k + 1 < s.size(); k += 2) {
        char32_t c = unit(k);
        if (c >= 0xd800 && c < 0xdc00 && k + 3 < s.size() && unit(k + 2) >= 0xdc00 &&
            unit(k + 2) < 0xe000) {
            c = 0x10000 + ((c - 0xd800) << 10) + (unit(k + 2) - 0xdc00);
            k += 2;
        } else if (c >= 0xd800 && c < 0xe000) {
            c = 0xfffd;
        }
        PutUtf8(out, c);
    }
    return out;
}

// The code points of UTF-8 text; a byte that starts no valid sequence becomes U+FFFD.
std::u32string CodePoints(std::string_view s) {
    std::u32string out;
    for (std::size_t k = 0; k < s.size();) {
        const auto b = static_cast<unsigned char>(s[k]);
        const std::size_t n = b < 0x80                ? 1
                              : b >= 0xf0 && b < 0xf5 ? 4
                              : b >= 0xe0             ? 3
                              : b >= 0xc2             ? 2
                                                      : 0;
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1f) : n == 3 ? (b & 0x0f) : (b & 0x07);
        bool valid = n > 0 && k + n <= s.size();
        for (std::size_t j = 1; valid && j < n; ++j) {
            const auto t = static_cast<unsigned char>(s[k + j]);
            valid = (t & 0xc0) == 0x80;
            c = c << 6 | (t & 0x3f);
        }
        valid = valid && c <= 0x10ffff && !(c >= 0xd800 && c < 0xe000);
        out += valid ? c : char32_t{0xfffd};
        k += valid ? n : 1;
    }
    return out;
}

// UTF-8 text in `encoding`; for Latin-1 every code point is below 256.
std::string FromUtf8(std::string_view s, int encoding) {
    if (encoding == 3)
        return std::string(s);
    std::string out;
    const std::u32string points = CodePoints(s);
    auto put16 = [&](std::uint32_t u) {
        out += static_cast<char>(encoding == 2 ? u >> 8 : u & 0xff);
        out += static_cast<char>(encoding == 2 ? u & 0xff : u >> 8);
    };
    if (encoding == 1 && !points.empty())
        put16(0xfeff);
    for (char32_t c : points) {
        if (encoding == 0) {
            out += static_cast<char>(c);
        } else if (c >= 0x10000) {
            put16(0xd800 + ((c - 0x10000) >> 10)), put16(0xdc00 + ((c - 0x10000) & 0x3ff));
        } else {
            put16(c);
        }
    }
    return out;
}

// How the frames with text in them lay it out after the encoding byte: '1' and '3' that many
// plain bytes, 'm' a Latin-1 text up to its terminator, 'd' a text up to its terminator, 'T'
// texts to the end, 'R' plain bytes to the end.
const char* LayoutOf(std::string_view id) {
    if (id == "TXXX")
        return "dT";
    if (id == "WXXX")
        return "dR";
    if (id == "COMM" || id == "USLT")
        return "3dT";
    if (id == "APIC")
        return "m1dR";
    return id.starts_with('T') ? "T" : nullptr;
}

// Other frames that hold an encoding byte, whose texts are not turned into another encoding.
bool HasEncoding(std::string_view id) {
    return id == "IPLS" || id == "GEOB" || id == "USER" || id == "SYLT" || id == "OWNE" ||
           id == "COMR";
}

struct Piece {
    enum { Raw, Text, Term } kind;
    std::string bytes;  // Text: UTF-8
};

std::optional<std::vector<Piece>> Split(std::string_view id, std::string_view content) {
    const char* layout = LayoutOf(id);
    if (!layout || content.empty() || static_cast<unsigned char>(content[0]) > 3)
        return std::nullopt;
    const int from = static_cast<unsigned char>(content[0]);
    std::vector<Piece> pieces;
    std::size_t at = 1;
    auto text = [&](std::size_t end) {
        pieces.push_back({Piece::Text, ToUtf8(content.substr(at, end - at), from)});
        at = end == kNone ? content.size() : end + TermSize(from);
        if (end != kNone)
            pieces.push_back({Piece::Term, {}});
    };
    for (const char* p = layout; *p; ++p) {
        if (*p == '1' || *p == '3') {
            const auto n = static_cast<std::size_t>(*p - '0');
            if (content.size() - at < n)
                return std::nullopt;
            pieces.push_back({Piece::Raw, std::string(content.substr(at, n))});
            at += n;
        } else if (*p == 'm' || *p == 'R') {
            const std::size_t end = *p == 'R' ? kNone : content.find('\0', at);
            const std::size_t stop = end == kNone ? content.size() : end + 1;
            pieces.push_back({Piece::Raw, std::string(content.substr(at, stop - at))});
            at = stop;
        } else if (*p == 'd') {
            text(TermAt(content, at, from));
        } else {
            while (at < content.size())
                text(TermAt(content, at, from));
        }
    }
    return pieces;
}

// The frame's texts in `to`; -1: Latin-1 when it holds them all, else UTF-16.
std::optional<std::string> Reencode(std::string_view id, std::string_view content, int to) {
    const std::optional<std::vector<Piece>> pieces = Split(id, content);
    if (!pieces)
        return std::nullopt;
    if (to < 0) {
        to = 0;
        for (const Piece& p : *pieces) {
            const std::u32string points = p.kind == Piece::Text ? CodePoints(p.bytes) : U"";
            if (std::any_of(points.begin(), points.end(), [](char32_t c) { return c > 0xff; }))
                to = 1;
        }
    }
    std::string out(1, static_cast<char>(to));
    for (const Piece& p : *pieces)
        out += p.kind == Piece::Raw    ? p.bytes
               : p.kind == Piece::Text ? FromUtf8(p.bytes, to)
                                       : std::string(TermSize(to), '\0');
    return out;
}

constexpr const char* kOnlyV4[] = {"ASPI", "EQU2", "RVA2", "SEEK", "SIGN", "TDEN",
                                   "TDRL", "TDTG", "TMOO", "TPRO", "TSST", "TMCL"};
constexpr const char* kOnlyV3[] = {"EQUA", "RVAD", "TRDA", "TSIZ", "TDAT", "TIME"};
constexpr std::pair<const char*, const char*> kRenamed[] = {
    {"IPLS", "TIPL"}, {"TORY", "TDOR"}, {"TYER", "TDRC"}};

// The frame's name in a `to` tag; empty when that version has no such frame.
std::string NameIn(const std::string& id, int to) {
    auto is = [&](const char* x) { return id == x; };
    if (to == 3 ? std::any_of(std::begin(kOnlyV4), std::end(kOnlyV4), is)
                : std::any_of(std::begin(kOnlyV3), std::end(kOnlyV3), is))
        return {};
    for (const auto& [v3, v4] : kRenamed) {
        if (id == (to == 3 ? v4 : v3))
            return to == 3 ? v3 : v4;
    }
    return id;
}

std::string FirstText(const Frame& frame, int version) {
    const std::string c = Canonical(frame, version);
    if (c.empty())
        return {};
    const std::size_t end = std::min(c.find('\0', 1), c.size());
    return c.substr(1, end - 1);
}

Frame TextFrame(const char* id, const std::string& latin1) {
    return {id, 0, '\0' + latin1};
}

// The status flags (keep on tag or file change, read only) sit one bit lower in ID3v2.4.
std::uint16_t StatusIn(std::uint16_t flags, int to) {
    return static_cast<std::uint16_t>(to == 3 ? (flags & 0x7000) << 1 : (flags & 0xe000) >> 1);
}

// A compressed frame keeps its compressed bytes; only the decompressed size and the group byte
// around them move. The text inside cannot be re-encoded, so a frame with text goes to
// ID3v2.4 only, whose encodings include ID3v2.3's.
std::optional<Frame> ConvertCompressed(const Frame& frame, const std::string& id, int from,
                                       int to) {
    const bool v4 = from == 4;
    const bool grouped = (frame.flags & (v4 ? 0x0040 : 0x0020)) != 0;
    const std::size_t head = grouped ? 5 : 4;
    // Not for encrypted frames, nor for ID3v2.4 ones unsynchronised or without their size.
    if ((frame.flags & (v4 ? 0x0006 : 0x0040)) != 0 || (v4 && (frame.flags & 0x0001) == 0) ||
        frame.body.size() <= head || (to == 3 && (LayoutOf(id) || HasEncoding(id))))
        return std::nullopt;
    const std::string group = grouped ? frame.body.substr(v4 ? 0 : 4, 1) : std::string();
    std::uint32_t size = 0;
    for (std::size_t k = v4 ? head - 4 : 0, n = k + 4; k < n; ++k)
        size = size << (v4 ? 7 : 8) | static_cast<unsigned char>(frame.body[k]);
    if (to == 4 && size >= std::uint32_t{1} << 28)
        return std::nullopt;  // more than a synchsafe size holds
    std::string out = to == 4 ? group : std::string();
    for (int shift = to == 4 ? 21 : 24; shift >= 0; shift -= to == 4 ? 7 : 8)
        out += static_cast<char>(size >> shift & (to == 4 ? 0x7f : 0xff));
    out += (to == 3 ? group : std::string()) + frame.body.substr(head);
    const int flags = to == 4 ? 0x0009 | (grouped ? 0x0040 : 0) : 0x0080 | (grouped ? 0x0020 : 0);
    return Frame{id, static_cast<std::uint16_t>(StatusIn(frame.flags, to) | flags), std::move(out)};
}

}  // namespace

BasicResult<Frame, std::string> ConvertFrame(const Frame& frame, int from, int to) {
    if (from == to)
        return frame;
    const std::string id = NameIn(frame.id, to);
    if (id.empty())
        return Failed{"no ID3v2." + std::to_string(to) + " counterpart"};
    const std::optional<std::string> content = Content(frame, from);
    if (!content) {
        if (std::optional<Frame> kept = ConvertCompressed(frame, id, from, to))
            return std::move(*kept);
        return Failed{"compressed or encrypted in an ID3v2." + std::to_string(from) + " tag"};
    }
    std::string body = *content;
    const bool v4Text = !body.empty() && (body[0] == '\x02' || body[0] == '\x03');
    if (to == 3 && v4Text && LayoutOf(id)) {
        std::optional<std::string> text = Reencode(id, body, -1);
        if (!text)
            return Failed{std::string("its text cannot be read")};
        body = std::move(*text);
    } else if (to == 3 && v4Text && HasEncoding(id)) {
        return Failed{std::string("its text encoding has no ID3v2.3 counterpart")};
    }
    return Frame{id, StatusIn(frame.flags, to), std::move(body)};
}

void ConvertTag(Tag& tag, int to) {
    const int from = tag.version;
    if (from == to)
        return;
    auto find = [&](const char* id) {
        const auto it = std::find_if(tag.frames.begin(), tag.frames.end(),
                                     [&](const Frame& f) { return f.id == id; });
        return it == tag.frames.end() ? std::string() : FirstText(*it, from);
    };
    // ID3v2.3 keeps the year, the day (DDMM) and the time (HHMM) apart; ID3v2.4 writes them
    // as one recording time, yyyy-MM-ddTHH:mm.
    const std::string year = find(to == 4 ? "TYER" : "TDRC");
    const std::string day = to == 4 ? find("TDAT") : std::string();
    const std::string time = to == 4 ? find("TIME") : std::string();
    std::vector<Frame> out;
    for (const Frame& f : tag.frames) {
        if (to == 4 && f.id == "TYER" && year.size() == 4) {
            std::string when = year;
            if (day.size() == 4) {
                when += '-' + day.substr(2, 2) + '-' + day.substr(0, 2);
                if (time.size() == 4)
                    when += 'T' + time.substr(0, 2) + ':' + time.substr(2, 2);
            }
            out.push_back(TextFrame("TDRC", when));
            continue;
        }
        if (to == 4 && year.size() == 4 &&
            ((f.id == "TDAT" && day.size() == 4) ||
             (f.id == "TIME" && day.size() == 4 && time.size() == 4)))
            continue;  // in the recording time
        if (to == 3 && f.id == "TDRC" && year.size() >= 4) {
            out.push_back(TextFrame("TYER", year.substr(0, 4)));
            if (year.size() >= 10 && year[4] == '-' && year[7] == '-')
                out.push_back(TextFrame("TDAT", year.substr(8, 2) + year.substr(5, 2)));
            if (year.size() >= 16 && year[10] == 'T' && year[13] == ':')
                out.push_back(TextFrame("TIME", year.substr(11, 2) + year.substr(14, 2)));
            continue;
        }
        if (to == 3 && f.id == "TDOR") {  // the year of an original release time
            out.push_back(TextFrame("TORY", FirstText(f, from).substr(0, 4)));
            continue;
        }
        if (auto converted = ConvertFrame(f, from, to)) {
            if (converted->body.empty())
                continue;  // an empty frame carries nothing
            out.push_back(std::move(*converted));
        } else {
            tag.notCarried.push_back(f.id + " (" + converted.error() + ")");
        }
    }
    tag.frames = std::move(out);
    tag.version = to;
}

std::string FrameKey(const Frame& frame, int version) {
    const std::string& id = frame.id;
    const bool described = id == "TXXX" || id == "WXXX" || id == "COMM" || id == "USLT";
    const bool owned = id == "PRIV" || id == "UFID";
    if (!described && !owned && id != "APIC")
        return id;
    const std::optional<std::string> content = Content(frame, version);
    if (!content)
        return id + '\0' + frame.body;  // nothing inside can be read: only itself is the same
    if (owned)
        return id + '\0' + content->substr(0, content->find('\0'));
    const std::string c = Reencode(id, *content, 3).value_or(*content);
    if (c.empty())
        return id;
    if (id == "APIC") {
        const std::size_t type = c.find('\0', 1);
        return type == std::string::npos || type + 1 >= c.size() ? id : id + c[type + 1];
    }
    // The description, after the language where there is one.
    const std::size_t end = std::min(c.find('\0', id == "COMM" || id == "USLT" ? 4 : 1), c.size());
    return id + '\0' + c.substr(1, end - 1);
}

std::string Canonical(const Frame& frame, int version) {
    const std::optional<std::string> content = Content(frame, version);
    if (!content)
        return frame.body;
    std::string c = Reencode(frame.id, *content, 3).value_or(*content);
    if (LayoutOf(frame.id) && c.ends_with('\0'))
        c.pop_back();  // a text's terminator at the end is optional
    return c;
}

void MergeInto(Tag& into, Tag other, const std::string& where) {
    ConvertTag(other, into.version);
    std::map<std::string, std::string> held;
    std::size_t bytes = 0;  // what the frames take in the tag
    for (const Frame& f : into.frames) {
        held.try_emplace(FrameKey(f, into.version), Canonical(f, into.version));
        bytes += kFrameHeader + f.body.size();
    }
    for (Frame& f : other.frames) {
        const auto [it, added] =
            held.try_emplace(FrameKey(f, into.version), Canonical(f, into.version));
        if (added && (into.frames.size() >= kMaxFrames ||
                      bytes + kFrameHeader + f.body.size() > kMaxTagBytes)) {
            // The merged tag keeps the bounds of one tag.
            held.erase(it);
            into.notCarried.push_back(f.id + " (beyond what one tag holds, " + where + ")");
        } else if (added) {
            bytes += kFrameHeader + f.body.size();
            into.frames.push_back(std::move(f));
        } else if (it->second != Canonical(f, into.version))
            into.notCarried.push_back(f.id + " (held differently " + where + ")");
    }
    for (std::string& lost : other.notCarried) {
        if (lost.ends_with(')'))
            lost.insert(lost.size() - 1, ", " + where);
        else
            lost += " (" + where + ")";
        into.notCarried.push_back(std::move(lost));
    }
}

}  // namespace eb::id3
