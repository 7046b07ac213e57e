#include "tagcopy/id3v2frames.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace eb::id3 {

namespace {

constexpr std::size_t kHeader = 10;

std::uint32_t Be32(std::string_view s, std::size_t at) {
    auto b = [&](std::size_t k) { return std::uint32_t(static_cast<unsigned char>(s[at + k])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

std::uint32_t Synchsafe(std::uint32_t raw) {
    return (raw & 0x7f) | (raw >> 1 & 0x3f80) | (raw >> 2 & 0x1fc000) | (raw >> 3 & 0xfe00000);
}

void PutBe32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(v >> shift & 0xff);
}

void PutSynchsafe(std::string& out, std::uint32_t v) {
    for (int shift = 21; shift >= 0; shift -= 7)
        out += static_cast<char>(v >> shift & 0x7f);
}

bool ValidId(std::string_view id) {
    if (id.empty())
        return false;
    for (char c : id) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

bool AllZero(std::string_view s, std::size_t at, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        if (s[at + k] != '\0')
            return false;
    }
    return true;
}

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::string Resynch(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        out += in[k];
        if (in[k] == '\xff' && k + 1 < in.size() && in[k + 1] == '\0')
            ++k;
    }
    return out;
}

// ID3v2.2 names and their ID3v2.3 successors. Length, encoder and seek tables are mapped too:
// they are dropped later with those of the newer versions.
constexpr std::pair<const char*, const char*> kV22Names[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"},
    {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
    {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"},
    {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"},
    {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSP", "TSOP"}, {"TSA", "TSOA"},
    {"TS2", "TSO2"}, {"TSC", "TSOC"},
};

const char* V23Name(const std::string& v22) {
    for (const auto& [from, to] : kV22Names) {
        if (v22 == from)
            return to;
    }
    return nullptr;
}

// A v2.2 picture names its format in three letters where v2.3 has a MIME type.
bool ConvertPicture(std::string& body) {
    if (body.size() < 5)
        return false;
    const std::string format = body.substr(1, 3);
    std::string mime = format;
    if (format == "JPG")
        mime = "image/jpeg";
    else if (format == "PNG")
        mime = "image/png";
    body = body.substr(0, 1) + mime + '\0' + body.substr(4);
    return true;
}

struct Walker {
    Tag& tag;
    int version;      // 3 or 4
    bool synchsafe;   // frame sizes are synchsafe (v2.4 as written by the book)
    bool allUnsynch;  // v2.4 header flag: every frame is unsynchronised
    std::size_t count = 0;

    void fail(std::string why) {
        if (tag.error.empty())
            tag.error = std::move(why);
    }

    // The frames embedded in a chapter or a table of contents: counted and their nesting
    // bounded; they are carried inside their parent's bytes.
    bool checkEmbedded(std::string_view id, std::uint16_t flags, std::string_view body, int depth) {
        if (flags & (version == 4 ? 0x000c : 0x00c0))
            return true;  // compressed or encrypted: nothing inside is visible
        std::size_t at = body.find('\0');
        if (at == std::string_view::npos)
            return true;
        ++at;
        if (id == "CHAP") {
            at += 16;
        } else {
            if (at + 2 > body.size())
                return true;
            int entries = static_cast<unsigned char>(body[at + 1]);
            at += 2;
            while (entries-- > 0 && at < body.size()) {
                const std::size_t end = body.find('\0', at);
                at = end == std::string_view::npos ? body.size() : end + 1;
            }
        }
        if (at >= body.size())
            return true;
        if (depth >= kMaxDepth) {
            fail("the input's ID3v2 tag nests chapters more than " + std::to_string(kMaxDepth) +
                 " levels deep");
            return false;
        }
        return walk(body.substr(at), depth + 1, nullptr);
    }

    // Walks a run of frames into `out`; `out` null: embedded frames, only checked.
    bool walk(std::string_view data, int depth, std::vector<Frame>* out) {
        std::size_t pos = 0;
        bool unreadable = false;
        while (data.size() - pos >= kHeader) {
            if (AllZero(data, pos, 4))
                break;  // padding
            std::string id(data.substr(pos, 4));
            const std::uint32_t raw = Be32(data, pos + 4);
            const std::size_t size = synchsafe ? Synchsafe(raw) : raw;
            auto flags = static_cast<std::uint16_t>(static_cast<unsigned char>(data[pos + 8]) << 8 |
                                                    static_cast<unsigned char>(data[pos + 9]));
            if (size > data.size() - pos - kHeader) {
                if (out)
                    tag.notCarried.push_back((ValidId(id) ? id : std::string("a frame")) +
                                             " (its size runs past the end of the tag)");
                break;
            }
            const std::string_view body = data.substr(pos + kHeader, size);
            pos += kHeader + size;
            if (size == 0)
                continue;  // an empty frame carries nothing
            if (id[3] == '\0' && V23Name(id.substr(0, 3)))
                id = V23Name(id.substr(0, 3));  // a v2.2 name in a newer tag
            if (!ValidId(id)) {
                if (out && !unreadable)
                    tag.notCarried.push_back("a frame with an unreadable name");
                unreadable = true;
                continue;
            }
            if (++count > kMaxFrames) {
                fail("the input's ID3v2 tag holds more than " + std::to_string(kMaxFrames) +
                     " frames");
                return false;
            }
            if ((id == "CHAP" || id == "CTOC") && !checkEmbedded(id, flags, body, depth))
                return false;
            if (!out)
                continue;
            // A frame of a tag unsynchronised as a whole stays so, under its own flag.
            if (allUnsynch)
                flags |= 0x0002;
            Frame f{std::move(id), flags, std::string(body)};
            out->push_back(std::move(f));
        }
        return true;
    }
};

// ID3v2.4 sizes are synchsafe, but some programs wrote plain ones: the reading under which
// more frames have valid names, and the walk ends where the tag does, wins.
bool SizesAreSynchsafe(const std::string& data) {
    auto score = [&](bool synchsafe, long long* overshoot) {
        std::size_t pos = 0;
        int named = 0;
        *overshoot = 0;
        while (pos + kHeader < data.size()) {
            if (AllZero(data, pos, kHeader)) {
                *overshoot = -static_cast<long long>((data.size() - pos) % kHeader);
                return named;
            }
            const std::uint32_t raw = Be32(data, pos + 4);
            named += ValidId(data.substr(pos, 4)) ? 1 : 0;
            pos += kHeader + (synchsafe ? Synchsafe(raw) : raw);
        }
        *overshoot = static_cast<long long>(pos) - static_cast<long long>(data.size());
        return named;
    };
    long long synchsafeOver = 0;
    long long plainOver = 0;
    const int synchsafeNamed = score(true, &synchsafeOver);
    const int plainNamed = score(false, &plainOver);
    return !(plainNamed > synchsafeNamed ||
             (plainNamed == synchsafeNamed && synchsafeOver >= 1 && plainOver <= 1));
}

void WalkV22(Tag& tag, const std::string& data) {
    std::size_t pos = 0;
    std::size_t count = 0;
    while (data.size() - pos >= 6) {
        if (AllZero(data, pos, 3))
            break;
        const std::string id = data.substr(pos, 3);
        const std::size_t size = Be32(data, pos + 2) & 0xffffff;
        if (size > data.size() - pos - 6) {
            tag.notCarried.push_back(id + " (its size runs past the end of the tag)");
            break;
        }
        std::string body = data.substr(pos + 6, size);
        pos += 6 + size;
        if (size == 0)
            continue;
        if (!ValidId(id)) {
            tag.notCarried.push_back("a frame with an unreadable name");
            continue;
        }
        if (++count > kMaxFrames) {
            tag.error =
                "the input's ID3v2 tag holds more than " + std::to_string(kMaxFrames) + " frames";
            return;
        }
        const char* name = V23Name(id);
        if (!name || (id == "PIC" && !ConvertPicture(body))) {
            tag.notCarried.push_back(id + " (no ID3v2.3 counterpart)");
            continue;
        }
        tag.frames.push_back({name, 0, std::move(body)});
    }
}

}  // namespace

Tag Parse(const std::string& bytes) {
    Tag tag;
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::int64_t size = bytes.size() >= kHeader ? TagSize(h) : -1;
    if (size < 0) {
        tag.error = "the input's ID3v2 tag cannot be read";
        return tag;
    }
    tag.inputVersion = h[3];
    tag.version = h[3] == 4 ? 4 : 3;
    const unsigned char flags = h[5];
    const std::size_t end = std::min(bytes.size(), kHeader + Synchsafe(Be32(bytes, 6)));
    std::size_t pos = kHeader;
    if (tag.inputVersion == 2 && (flags & 0x40)) {
        tag.error = "the input's ID3v2.2 tag is compressed";
        return tag;
    }
    // The extended header comes before unsynchronisation is undone, as other readers take it.
    // Some programs set its flag without writing one: then a frame follows at once.
    if (tag.inputVersion >= 3 && (flags & 0x40) && end - pos >= 4 &&
        !ValidId(bytes.substr(pos, 4))) {
        const std::uint32_t raw = Be32(bytes, pos);
        const std::size_t extended =
            tag.inputVersion == 4 ? Synchsafe(raw) : static_cast<std::size_t>(raw) + 4;
        if (extended > end - pos) {
            tag.error = "the input's ID3v2 tag cannot be read";
            return tag;
        }
        pos += extended;
    }
    std::string data = bytes.substr(pos, end - pos);
    if (tag.inputVersion < 4 && (flags & 0x80))
        data = Resynch(data);
    if (tag.inputVersion == 2) {
        WalkV22(tag, data);
        return tag;
    }
    Walker walker{tag, tag.version, tag.version == 4 && SizesAreSynchsafe(data),
                  tag.version == 4 && (flags & 0x80) != 0};
    walker.walk(data, 0, &tag.frames);
    return tag;
}

std::optional<std::string> Content(const Frame& frame, int version) {
    const bool v4 = version == 4;
    if ((frame.flags & (v4 ? 0x000c : 0x00c0)) != 0)
        return std::nullopt;
    const std::size_t skip = ((frame.flags & (v4 ? 0x0040 : 0x0020)) != 0 ? 1 : 0) +
                             (v4 && (frame.flags & 0x0001) != 0 ? 4 : 0);
    if (skip > frame.body.size())
        return std::nullopt;
    const std::string_view body = std::string_view(frame.body).substr(skip);
    return v4 && (frame.flags & 0x0002) != 0 ? Resynch(body) : std::string(body);
}

std::string Render(int version, const std::vector<Frame>& frames, std::size_t padding) {
    std::string body;
    for (const Frame& f : frames) {
        body += f.id;
        if (version == 4)
            PutSynchsafe(body, static_cast<std::uint32_t>(f.body.size()));
        else
            PutBe32(body, static_cast<std::uint32_t>(f.body.size()));
        body += static_cast<char>(f.flags >> 8);
        body += static_cast<char>(f.flags & 0xff);
        body += f.body;
    }
    body.append(padding, '\0');
    std::string out = "ID3";
    out += static_cast<char>(version);
    out += '\0';
    out += '\0';
    PutSynchsafe(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

}  // namespace eb::id3
