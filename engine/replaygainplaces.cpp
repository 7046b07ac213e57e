#include "engine/replaygainplaces.h"

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
constexpr int kMaxLeadingTags = 8;
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

void ReadId3v2(const id3::Tag& tag, ReplayGainPlaces& places) {
    for (const id3::Frame& frame : tag.frames) {
        const bool txxx = frame.id == "TXXX";
        const bool rva2 = frame.id == "RVA2";
        if (!txxx && !rva2 && frame.id != "TALB")
            continue;
        const std::optional<std::string> content = id3::Content(frame, tag.version);
        if (!content || content->empty())
            continue;
        if (rva2) {
            places.rva2 = true;
            places.albumValues |= FirstString(0, *content).toUpper() == u"ALBUM";
            continue;
        }
        const QString text = FirstString((*content)[0], std::string_view(*content).substr(1));
        if (txxx && IsReplayGainKey(text)) {
            places.txxxKeys << text;
            places.txxx = true;
            places.albumValues |= IsAlbumKey(text);
        } else if (!txxx && places.album.isEmpty()) {
            places.album = text;
        }
    }
}

// The ID3v2 tags at the start; returns where the audio begins.
std::int64_t ReadLeadingTags(int fd, std::int64_t size, ReplayGainPlaces& places) {
    std::int64_t at = 0;
    unsigned char header[10];
    for (int n = 0; n < kMaxLeadingTags && size - at >= 10; ++n) {
        if (!posix::ReadAt(fd, at, reinterpret_cast<char*>(header), 10) ||
            std::memcmp(header, "ID3", 3) != 0)
            break;
        const std::int64_t tagSize = id3::TagSize(header);
        if (tagSize < 0 || tagSize > size - at ||
            static_cast<std::uint64_t>(tagSize) > id3::kMaxTagBytes)
            break;
        std::string bytes(static_cast<std::size_t>(tagSize), '\0');
        if (!posix::ReadAt(fd, at, bytes.data(), tagSize))
            break;
        // A tag the walk refuses is not read at all, as the tag copy does not carry it.
        if (const id3::Tag tag = id3::Parse(bytes); tag.error.empty())
            ReadId3v2(tag, places);
        at += tagSize;
    }
    return at;
}

// The APEv2 items in [start, end), each: value size, flags, key and its terminator, value.
void ReadApeItems(std::string_view items, ReplayGainPlaces& places, QString& album) {
    while (items.size() >= 9) {
        const std::uint32_t valueSize = Le32(items.data());
        const std::uint32_t flags = Le32(items.data() + 4);
        const std::size_t keyEnd = items.find('\0', 8);
        if (keyEnd == std::string_view::npos || valueSize > items.size() - keyEnd - 1)
            return;
        const QString key =
            QString::fromLatin1(items.data() + 8, static_cast<qsizetype>(keyEnd - 8));
        if (IsReplayGainKey(key)) {
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

// The ID3v1 tag and the APEv2 tag before it; gives the album tag to use when ID3v2 has none.
QString ReadTrailingTags(int fd, std::int64_t audioStart, std::int64_t size,
                         ReplayGainPlaces& places) {
    QString apeAlbum;
    QString v1Album;
    std::int64_t end = size;
    char v1[kId3v1Size];
    if (end - audioStart >= kId3v1Size && posix::ReadAt(fd, end - kId3v1Size, v1, kId3v1Size) &&
        std::memcmp(v1, "TAG", 3) == 0) {
        std::string_view field(v1 + 63, 30);
        field = field.substr(0, field.find('\0'));
        v1Album = QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size())).trimmed();
        end -= kId3v1Size;
    }
    char footer[kApeFooterSize];
    if (end - audioStart >= kApeFooterSize &&
        posix::ReadAt(fd, end - kApeFooterSize, footer, kApeFooterSize) &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        const std::int64_t tagSize = Le32(footer + 12);
        if (tagSize >= kApeFooterSize && tagSize <= end - audioStart &&
            static_cast<std::uint64_t>(tagSize) <= id3::kMaxTagBytes) {
            std::string items(static_cast<std::size_t>(tagSize - kApeFooterSize), '\0');
            if (posix::ReadAt(fd, end - tagSize, items.data(), tagSize - kApeFooterSize))
                ReadApeItems(items, places, apeAlbum);
        }
    }
    return apeAlbum.isEmpty() ? v1Album : apeAlbum;
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
            bytes[static_cast<std::size_t>(6 + k)] =
                static_cast<char>((body >> (21 - 7 * k)) & 0x7f);
        bytes[5] = static_cast<char>(header[5] & ~0x10);  // no footer at the cut
    }
    ReadId3v2(id3::Parse(bytes), places);
    if (!places.any())
        places.album.clear();
    return places;
}

ReplayGainPlaces ReadReplayGainPlaces(const QString& path) {
    ReplayGainPlaces places;
    struct stat st {};
    const posix::UniqueFd fd = OpenRegular(path, st);
    if (!fd)
        return places;
    const std::int64_t audioStart = ReadLeadingTags(fd.get(), st.st_size, places);
    const QString trailingAlbum = ReadTrailingTags(fd.get(), audioStart, st.st_size, places);
    if (places.album.isEmpty())
        places.album = trailingAlbum;
    if (!places.any())
        places.album.clear();
    return places;
}

}  // namespace eb
