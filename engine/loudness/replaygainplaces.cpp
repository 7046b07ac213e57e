#include "engine/loudness/replaygainplaces.h"

#include "mp3/taglayout.h"
#include "posix/fileio.h"
#include "posix/uniquefd.h"
#include "tagcopy/id3v2frames.h"

#include <QFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace eb {

namespace {

constexpr std::int64_t kId3v1Size = 128;
constexpr std::int64_t kApeFooterSize = 32;
constexpr std::int64_t kMostNeighbourBytes = 1 << 20;

bool IsReplayGainKey(const QString& key) {
    return key.startsWith(u"replaygain_", Qt::CaseInsensitive);
}

bool IsAlbumKey(const QString& key) {
    return key.startsWith(u"replaygain_album", Qt::CaseInsensitive);
}

std::uint32_t Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t{u[3]} << 24);
}

// The first string of an ID3v2 text field in `encoding`, up to its terminator.
QString FirstString(char encoding, std::string_view text) {
    if (encoding == 1 || encoding == 2) {
        std::size_t end = 0;
        while (end + 1 < text.size() && (text[end] != '\0' || text[end + 1] != '\0'))
            end += 2;
        text = text.substr(0, std::min(end, text.size() & ~std::size_t{1}));
        QStringDecoder decode(encoding == 2 || text.starts_with("\xfe\xff")
                                  ? QStringConverter::Utf16BE
                                  : QStringConverter::Utf16LE,
                              QStringConverter::Flag::Stateless);
        if (text.starts_with("\xfe\xff") || text.starts_with("\xff\xfe"))
            text.remove_prefix(2);
        return decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    }
    text = text.substr(0, text.find('\0'));
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    return encoding == 3 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

// Where the first string of an ID3v2 text field in `encoding` ends, its terminator included.
std::size_t AfterFirstString(char encoding, std::string_view text) {
    if (encoding != 1 && encoding != 2)
        return std::min(text.find('\0'), text.size() - 1) + 1;
    std::size_t end = 0;
    while (end + 1 < text.size() && (text[end] != '\0' || text[end + 1] != '\0'))
        end += 2;
    return std::min(end + 2, text.size());
}

// The gain and, when its peak has 16 bits, the peak of an RVA2 frame's first channel.
void ReadRva2Values(const std::string& content, const QString& kind,
                    std::vector<ReplayGainValue>& values) {
    const std::size_t at = std::min(content.find('\0'), content.size()) + 1;
    if (at + 4 > content.size())
        return;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(content[k]); };
    const auto adjustment = static_cast<std::int16_t>((byte(at + 1) << 8) | byte(at + 2));
    values.push_back({QStringLiteral("replaygain_%1_gain").arg(kind), adjustment / 512.0});
    if (byte(at + 3) == 16 && at + 6 <= content.size())
        values.push_back({QStringLiteral("replaygain_%1_peak").arg(kind),
                          ((byte(at + 4) << 8) | byte(at + 5)) / 32768.0});
}

// The number a ReplayGain text starts with ("-3.50 dB").
double LeadingNumber(const QString& text) {
    return text.trimmed().section(u' ', 0, 0).toDouble();
}

void ReadId3v2(const id3::Tag& tag, ReplayGainPlaces& places,
               std::vector<ReplayGainValue>* values = nullptr) {
    for (const id3::Frame& frame : tag.frames) {
        const bool txxx = frame.id == "TXXX";
        const bool rva2 = frame.id == "RVA2";
        if (!txxx && !rva2 && frame.id != "TALB")
            continue;
        const std::optional<std::string> content = id3::Content(frame, tag.version);
        if (!content || content->empty())
            continue;
        if (rva2) {
            const bool album = FirstString(0, *content).toUpper() == u"ALBUM";
            places.rva2 = true;
            places.albumValues |= album;
            if (values)
                ReadRva2Values(*content, album ? QStringLiteral("album") : QStringLiteral("track"),
                               *values);
            continue;
        }
        const std::string_view field = std::string_view(*content).substr(1);
        const QString text = FirstString((*content)[0], field);
        if (txxx && IsReplayGainKey(text)) {
            if (values)
                values->push_back(
                    {text.toLower(),
                     LeadingNumber(FirstString(
                         (*content)[0], field.substr(AfterFirstString((*content)[0], field))))});
            places.txxxKeys << text;
            places.txxx = true;
            places.albumValues |= IsAlbumKey(text);
        } else if (!txxx && places.album.isEmpty()) {
            places.album = text;
        }
    }
}

// An ID3v2 tag where the layout found one. A tag the walk refuses is not read at all, as the
// tag copy does not carry it.
void ReadId3v2At(int fd, const tags::TagSpan& span, ReplayGainPlaces& places,
                 std::vector<ReplayGainValue>* values) {
    std::string bytes(static_cast<std::size_t>(span.size), '\0');
    if (!posix::ReadAt(fd, span.at, bytes.data(), span.size))
        return;
    if (const id3::Tag tag = id3::Parse(bytes); tag.error.empty())
        ReadId3v2(tag, places, values);
}

// The APEv2 items in [start, end), each: value size, flags, key and its terminator, value.
void ReadApeItems(std::string_view items, ReplayGainPlaces& places, QString& album,
                  std::vector<ReplayGainValue>* values) {
    while (items.size() >= 9) {
        const std::uint32_t valueSize = Le32(items.data());
        const std::uint32_t flags = Le32(items.data() + 4);
        const std::size_t keyEnd = items.find('\0', 8);
        if (keyEnd == std::string_view::npos || valueSize > items.size() - keyEnd - 1)
            return;
        const QString key =
            QString::fromLatin1(items.data() + 8, static_cast<qsizetype>(keyEnd - 8));
        if (IsReplayGainKey(key)) {
            if (values)
                values->push_back({key.toLower(), LeadingNumber(QString::fromUtf8(
                                                      items.substr(keyEnd + 1, valueSize)))});
            places.apeKeys << key;
            places.ape = true;
            places.albumValues |= IsAlbumKey(key);
        } else if ((flags & 0x6) == 0 && key.compare(u"album", Qt::CaseInsensitive) == 0) {
            const std::string_view value = items.substr(keyEnd + 1, valueSize);
            album = QString::fromUtf8(value.substr(0, value.find('\0')));
        }
        items.remove_prefix(keyEnd + 1 + valueSize);
    }
}

// The album tag of the ID3v1 tag at the end.
QString ReadId3v1Album(int fd, const tags::TagSpan& span) {
    char v1[kId3v1Size];
    if (!posix::ReadAt(fd, span.at, v1, kId3v1Size))
        return {};
    std::string_view field(v1 + 63, 30);
    field = field.substr(0, field.find('\0'));
    return QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size())).trimmed();
}

// The items of the APEv2 tag at the end: between its optional header and its footer.
QString ReadApeTag(int fd, const tags::TagSpan& span, ReplayGainPlaces& places,
                   std::vector<ReplayGainValue>* values) {
    QString album;
    char footer[kApeFooterSize];
    const std::int64_t end = span.at + span.size;
    if (!posix::ReadAt(fd, end - kApeFooterSize, footer, kApeFooterSize))
        return album;
    const std::int64_t tagSize = Le32(footer + 12);  // the items and the footer
    if (tagSize < kApeFooterSize || tagSize > span.size)
        return album;
    std::string items(static_cast<std::size_t>(tagSize - kApeFooterSize), '\0');
    if (posix::ReadAt(fd, end - tagSize, items.data(), tagSize - kApeFooterSize))
        ReadApeItems(items, places, album, values);
    return album;
}

// Only a regular file is read: opening a FIFO or a device could block or consume it.
posix::UniqueFd OpenRegular(const QString& path, struct stat& st) {
    posix::UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)))
        fd.reset();
    return fd;
}

}  // namespace

ReplayGainPlaces ReadNeighbourPlaces(const QString& path) {
    ReplayGainPlaces places;
    struct stat st {};
    const posix::UniqueFd fd = OpenRegular(path, st);
    unsigned char header[10];
    if (!fd || st.st_size < 10 ||
        !posix::ReadAt(fd.get(), 0, reinterpret_cast<char*>(header), 10) ||
        std::memcmp(header, "ID3", 3) != 0)
        return places;
    const std::int64_t whole = id3::TagSize(header);
    if (whole < 10)
        return places;
    const std::int64_t size = std::min({whole, kMostNeighbourBytes, std::int64_t{st.st_size}});
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!posix::ReadAt(fd.get(), 0, bytes.data(), size))
        return places;
    if (size < whole) {  // the tag as cut: its header says so, and its frames end there
        const std::int64_t body = size - 10;
        for (int k = 0; k < 4; ++k)
            bytes[6 + static_cast<std::size_t>(k)] =
                static_cast<char>((body >> (21 - 7 * k)) & 0x7f);
        bytes[5] = static_cast<char>(header[5] & ~0x10);  // no footer at the cut
    }
    ReadId3v2(id3::Parse(bytes), places);
    if (!places.any())
        places.album.clear();
    return places;
}

namespace {

ReplayGainPlaces ReadPlaces(int fd, std::int64_t size, std::vector<ReplayGainValue>* values) {
    ReplayGainPlaces places;
    const tags::LayoutResult layout = tags::ReadTagLayout(fd, size);
    if (!layout)
        return places;
    // The album tag: ID3v2 first (leading, then one at the end), else APEv2, else ID3v1.
    QString apeAlbum;
    QString v1Album;
    for (const tags::TagSpan& span : layout->leading)
        ReadId3v2At(fd, span, places, values);
    for (const tags::TagSpan& span : layout->trailing) {
        if (span.kind == tags::TagKind::Id3v2Footer)
            ReadId3v2At(fd, span, places, values);
        else if (span.kind == tags::TagKind::Ape)
            apeAlbum = ReadApeTag(fd, span, places, values);
        else if (span.kind == tags::TagKind::Id3v1)
            v1Album = ReadId3v1Album(fd, span);
    }
    if (places.album.isEmpty())
        places.album = apeAlbum.isEmpty() ? v1Album : apeAlbum;
    if (!places.any())
        places.album.clear();
    return places;
}

}  // namespace

ReplayGainPlaces ReadReplayGainPlaces(const QString& path) {
    struct stat st {};
    const posix::UniqueFd fd = OpenRegular(path, st);
    return fd ? ReadPlaces(fd.get(), st.st_size, nullptr) : ReplayGainPlaces();
}

ReplayGainPlaces ReadReplayGainPlaces(int fd, std::int64_t size) {
    return ReadPlaces(fd, size, nullptr);
}

std::vector<ReplayGainValue> ReadReplayGainValues(const QString& path) {
    std::vector<ReplayGainValue> values;
    struct stat st {};
    if (const posix::UniqueFd fd = OpenRegular(path, st))
        ReadPlaces(fd.get(), st.st_size, &values);
    return values;
}

}  // namespace eb
