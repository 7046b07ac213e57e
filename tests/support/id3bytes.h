// ID3v2 tags built byte by byte, malformed on purpose where a test wants it.
#pragma once

#include <QByteArray>
#include <QList>

namespace ebtest::id3b {

inline QByteArray Be(quint32 v, int bytes) {
    QByteArray out;
    for (int k = bytes - 1; k >= 0; --k)
        out += static_cast<char>(v >> (8 * k) & 0xff);
    return out;
}
inline QByteArray Synchsafe(quint32 v) {
    return Be((v & 0x7f) | (v << 1 & 0x7f00) | (v << 2 & 0x7f0000) | (v << 3 & 0x7f000000), 4);
}

// A frame of a `version` tag; `size` other than -1 is written instead of the body's size.
inline QByteArray Frame(int version, const QByteArray& id, const QByteArray& body,
                        quint16 flags = 0, qint64 size = -1) {
    const auto n = static_cast<quint32>(size < 0 ? body.size() : size);
    if (version == 2)
        return id + Be(n, 3) + body;
    return id + (version == 4 ? Synchsafe(n) : Be(n, 4)) + Be(flags, 2) + body;
}
// A text frame body in Latin-1.
inline QByteArray Text(const QByteArray& latin1) {
    return '\0' + latin1;
}
// Unsynchronisation: a zero byte after every 0xFF that a false sync or a zero follows.
inline QByteArray Unsynch(const QByteArray& in) {
    QByteArray out;
    for (qsizetype k = 0; k < in.size(); ++k) {
        out += in[k];
        const auto next = k + 1 < in.size() ? static_cast<quint8>(in[k + 1]) : 0;
        if (static_cast<quint8>(in[k]) == 0xff && (next == 0 || next >= 0xe0))
            out += '\0';
    }
    return out;
}
// A whole tag: header, the frames' bytes as given, zero padding.
inline QByteArray Tag(int version, const QByteArray& frames, quint8 flags = 0, int padding = 64) {
    return "ID3" + QByteArray(1, static_cast<char>(version)) + '\0' +
           QByteArray(1, static_cast<char>(flags)) +
           Synchsafe(static_cast<quint32>(frames.size() + padding)) + frames +
           QByteArray(padding, '\0');
}

// An ID3v2.4 tag with its footer, as appended at the end of a file.
inline QByteArray FooterTag(const QByteArray& frames) {
    const QByteArray tag = Tag(4, frames, 0x10, 0);
    return tag + "3DI" + tag.mid(3, 7);
}
// An ID3v1 tag with only an artist.
inline QByteArray Id3v1(const QByteArray& artist) {
    return "TAG" + QByteArray(30, '\0') + artist.leftJustified(30, '\0') + QByteArray(64, '\0') +
           QByteArray(1, '\xff');
}

// An APEv2 tag without items (its footer alone) and a Lyrics3v2 block with one field.
inline QByteArray ApeAndLyrics() {
    return QByteArray("APETAGEX\xd0\x07\0\0\x20\0\0\0", 16) + QByteArray(16, '\0') +
           "LYRICSBEGININD00003110000022LYRICS200";
}

// `depth` ID3v2.4 chapters and tables of contents, each inside the one before, a title in the
// innermost: built from the inside out by sizes, without copying the growing body each time.
inline QByteArray Nested(int depth) {
    const QByteArray inner = Frame(4, "TIT2", Text("deep"));
    auto lead = [](int level) {
        return level % 2 ? QByteArray("c", 2) + QByteArray(16, '\0')
                         : QByteArray("t", 2) + QByteArray("\x03\x00", 2);
    };
    QList<quint32> sizes(depth);
    quint32 size = static_cast<quint32>(inner.size());
    for (int level = depth - 1; level >= 0; --level) {
        size += static_cast<quint32>(lead(level).size());
        sizes[level] = size;
        size += 10;
    }
    QByteArray out;
    out.reserve(size);
    for (int level = 0; level < depth; ++level)
        out += (level % 2 ? QByteArray("CHAP") : QByteArray("CTOC")) + Synchsafe(sizes[level]) +
               QByteArray(2, '\0') + lead(level);
    return out + inner;
}

}  // namespace ebtest::id3b
