// Tags written and read back with TagLib, for the tests of the tag copy.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/privateframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace ebtest {

inline TagLib::String T(const char* utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}
inline QString Q(const TagLib::String& s) {
    return QString::fromUtf8(s.toCString(true));
}
inline TagLib::ByteVector B(const QByteArray& bytes) {
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

// A 1x1 PNG image and a larger block of picture bytes that starts like a JPEG file.
inline QByteArray TinyPng() {
    return QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
        "1f15c4890000000d49444154789c6360f80f0000010101005b0b2b2b0000000049454e44ae426082");
}
inline QByteArray BigJpeg() {
    QByteArray bytes("\xff\xd8\xff\xe0", 4);
    for (int k = 0; k < 30000; ++k)
        bytes += static_cast<char>((k * 7919 + k / 13) & 0xff);
    return bytes;
}

// Every kind of frame a user's files carry: non-ASCII text, track, genre, comment, lyrics,
// user text, two pictures, binary private data, and the length and encoder of the input.
inline void AddRichFrames(TagLib::ID3v2::Tag& tag) {
    using namespace TagLib::ID3v2;
    const auto enc = TagLib::String::UTF8;
    auto text = [&](const char* id, const char* value) {
        auto* f = new TextIdentificationFrame(id, enc);
        f->setText(T(value));
        tag.addFrame(f);
    };
    text("TIT2", "Ünïcødé Title — 東京");
    text("TPE1", "Björk");
    text("TALB", "Ørkenen Sang");
    text("TRCK", "7/12");
    text("TCON", "Electronic");
    text("TLEN", "99999");
    text("TSSE", "some other encoder");
    auto* comment = new CommentsFrame(enc);
    comment->setLanguage("deu");
    comment->setDescription(T("Notiz"));
    comment->setText(T("Größe: ½ — ok"));
    tag.addFrame(comment);
    auto* lyrics = new UnsynchronizedLyricsFrame(enc);
    lyrics->setLanguage("jpn");
    lyrics->setText(T("東京の夜\nline two"));
    tag.addFrame(lyrics);
    auto* user = new UserTextIdentificationFrame(enc);
    user->setDescription(T("CATALOGNUMBER"));
    user->setText(T("ÉB-0042"));
    tag.addFrame(user);
    auto* front = new AttachedPictureFrame;
    front->setMimeType("image/png");
    front->setType(AttachedPictureFrame::FrontCover);
    front->setDescription(T("Vorderseite"));
    front->setPicture(B(TinyPng()));
    tag.addFrame(front);
    auto* back = new AttachedPictureFrame;
    back->setMimeType("image/jpeg");
    back->setType(AttachedPictureFrame::BackCover);
    back->setPicture(B(BigJpeg()));
    tag.addFrame(back);
    auto* priv = new PrivateFrame;
    priv->setOwner("echobatch.test");
    priv->setData(TagLib::ByteVector("\x00\x01\xfe\xff", 4));
    tag.addFrame(priv);
}

// Saves the file with the given tags only (the others stripped).
inline bool SaveTags(TagLib::MPEG::File& file, int tags, int id3v2Version = 4) {
    return file.save(tags, TagLib::File::StripOthers,
                     id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                     TagLib::File::DoNotDuplicate);
}

// Gives the MP3 file at `path` an ID3v2 tag of that version with AddRichFrames, no other tag.
inline bool TagRichly(const QString& path, int id3v2Version = 4) {
    TagLib::MPEG::File f(QFile::encodeName(path).constData(), false);
    AddRichFrames(*f.ID3v2Tag(true));
    return SaveTags(f, TagLib::MPEG::File::ID3v2, id3v2Version);
}

struct FrameDump {
    QByteArray id;
    QByteArray bytes;  // the frame as TagLib renders it, header included
    QString text;      // TagLib's reading of its content
    friend bool operator==(const FrameDump&, const FrameDump&) = default;
};

// The ID3v2 frames of a file as TagLib reads them; `version` gets the tag's major version
// (0 when the file has no ID3v2 tag).
inline QList<FrameDump> FramesOf(const QString& path, int* version = nullptr) {
    TagLib::FileStream stream(QFile::encodeName(path).constData(), true);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    QList<FrameDump> frames;
    if (version)
        *version = file.hasID3v2Tag() ? int(file.ID3v2Tag()->header()->majorVersion()) : 0;
    if (!file.hasID3v2Tag())
        return frames;
    for (const TagLib::ID3v2::Frame* f : file.ID3v2Tag()->frameList()) {
        const TagLib::ByteVector id = f->frameID();
        const TagLib::ByteVector bytes = f->render();
        frames.append({QByteArray(id.data(), int(id.size())),
                       QByteArray(bytes.data(), int(bytes.size())), Q(f->toString())});
    }
    return frames;
}

inline QList<FrameDump> Without(QList<FrameDump> frames, const QList<QByteArray>& ids) {
    frames.removeIf([&](const FrameDump& f) { return ids.contains(f.id); });
    return frames;
}

inline QString TextOf(const QList<FrameDump>& frames, const QByteArray& id) {
    for (const FrameDump& f : frames) {
        if (f.id == id)
            return f.text;
    }
    return QString();
}

}  // namespace ebtest
