#include "engine/tagcopy.h"

#include <QByteArray>
#include <QFile>

#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace eb {

namespace {

constexpr qint64 kId3v2HeaderSize = 10;
constexpr qint64 kId3v1Size = 128;
constexpr qint64 kApeFooterSize = 32;

// Frames that describe the input's audio rather than its content: its length, its encoder and
// positions inside its bytes. The converted audio has its own.
constexpr const char* kAudioFrames[] = {"TLEN", "TSSE", "MLLT", "SEEK", "ASPI"};
// What the tool writes about the new audio, carried instead.
constexpr const char* kToolFrames[] = {"TLEN", "TSSE"};

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray ToQt(const TagLib::ByteVector& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A file descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and tells whether the last writes reached the file system.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Reads exactly `size` bytes at `offset`; false on a read error or a short file.
bool ReadAt(int fd, qint64 offset, char* buffer, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, static_cast<size_t>(size - done),
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool WriteAll(int fd, const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// The size of an ID3v2 tag from its ten header bytes, footer included; -1 when the bytes are
// not a header this program can read (unknown version, a size that is not synchsafe).
qint64 Id3v2TagSize(const unsigned char* h) {
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF)
        return -1;
    qint64 size = 0;
    for (int k = 6; k < 10; ++k) {
        if (h[k] & 0x80)
            return -1;
        size = (size << 7) | h[k];
    }
    const bool footer = h[3] == 4 && (h[5] & 0x10) != 0;
    return kId3v2HeaderSize + size + (footer ? kId3v2HeaderSize : 0);
}

// Where the audio of the tool's output lies: after its ID3v2 tags, before an APEv2 and an
// ID3v1 tag at its end.
struct AudioRange {
    qint64 start = 0;
    qint64 end = 0;
    QString error;
};

AudioRange FindAudio(int fd, qint64 fileSize) {
    AudioRange range;
    range.end = fileSize;
    unsigned char header[kId3v2HeaderSize];
    while (range.end - range.start >= kId3v2HeaderSize) {
        if (!ReadAt(fd, range.start, reinterpret_cast<char*>(header), kId3v2HeaderSize)) {
            range.error = QStringLiteral("cannot read the converted file: ") + ErrnoText(errno);
            return range;
        }
        if (std::memcmp(header, "ID3", 3) != 0)
            break;
        const qint64 size = Id3v2TagSize(header);
        if (size < 0 || size > range.end - range.start) {
            range.error = QStringLiteral("the converted file's own tag cannot be read");
            return range;
        }
        range.start += size;
    }
    char tail[kId3v1Size];
    if (range.end - range.start >= kId3v1Size &&
        ReadAt(fd, range.end - kId3v1Size, tail, kId3v1Size) && std::memcmp(tail, "TAG", 3) == 0)
        range.end -= kId3v1Size;
    unsigned char footer[kApeFooterSize];
    if (range.end - range.start >= kApeFooterSize &&
        ReadAt(fd, range.end - kApeFooterSize, reinterpret_cast<char*>(footer), kApeFooterSize) &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        auto le32 = [&](int at) {
            return quint32(footer[at]) | quint32(footer[at + 1]) << 8 |
                   quint32(footer[at + 2]) << 16 | quint32(footer[at + 3]) << 24;
        };
        const qint64 size = le32(12) + ((le32(20) & 0x80000000u) ? kApeFooterSize : 0);
        if (size > range.end - range.start) {
            range.error = QStringLiteral("the converted file's own tag cannot be read");
            return range;
        }
        range.end -= size;
    }
    if (range.end <= range.start)
        range.error = QStringLiteral("the converted file holds no audio");
    return range;
}

// Copies [start, end) of one file to the current position of another.
bool CopyRange(int from, qint64 start, qint64 end, int to) {
    QByteArray buffer(1 << 18, Qt::Uninitialized);
    for (qint64 at = start; at < end;) {
        const qint64 chunk = qMin<qint64>(buffer.size(), end - at);
        if (!ReadAt(from, at, buffer.data(), chunk) || !WriteAll(to, buffer.constData(), chunk))
            return false;
        at += chunk;
    }
    return true;
}

}  // namespace

struct TagSource::Data {
    std::unique_ptr<TagLib::ID3v2::Tag> id3v2;  // null: the input has no ID3v2 tag
    TagLib::ID3v2::Version version = TagLib::ID3v2::v4;
    QByteArray ape;    // the input's APEv2 tag, rendered
    QByteArray id3v1;  // the input's ID3v1 tag, its 128 bytes as they are
    QString error;

    void readMpeg(TagLib::MPEG::File& file, bool headerSaysId3v2);
    void readOther(TagLib::File& file);
};

void TagSource::Data::readMpeg(TagLib::MPEG::File& file, bool headerSaysId3v2) {
    if (headerSaysId3v2 && !file.hasID3v2Tag()) {
        error = QStringLiteral("the input's ID3v2 tag cannot be read");
        return;
    }
    if (file.hasID3v2Tag()) {
        TagLib::ID3v2::Tag* source = file.ID3v2Tag();
        version = source->header()->majorVersion() >= 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
        id3v2 = std::make_unique<TagLib::ID3v2::Tag>();
        // The frames move over one by one; the input's file object is only read, never saved.
        // (A copy of TagLib's own list would delete them all when it goes.)
        const std::vector<TagLib::ID3v2::Frame*> frames(source->frameList().begin(),
                                                        source->frameList().end());
        for (TagLib::ID3v2::Frame* frame : frames) {
            source->removeFrame(frame, false);
            bool audioFrame = false;
            for (const char* id : kAudioFrames)
                audioFrame = audioFrame || frame->frameID() == TagLib::ByteVector(id);
            if (audioFrame)
                delete frame;
            else
                id3v2->addFrame(frame);
        }
    }
    if (file.hasAPETag())
        ape = ToQt(file.APETag()->render());
    if (file.hasID3v1Tag()) {
        file.seek(-kId3v1Size, TagLib::File::End);
        id3v1 = ToQt(file.readBlock(kId3v1Size));
        if (id3v1.size() != kId3v1Size || !id3v1.startsWith("TAG")) {
            id3v1.clear();
            error = QStringLiteral("the input's ID3v1 tag cannot be read");
        }
    }
}

// Another audio format (the tool reads more than MP3): its text tags become ID3v2 frames.
void TagSource::Data::readOther(TagLib::File& file) {
    const TagLib::PropertyMap properties = file.properties();
    if (properties.isEmpty())
        return;
    id3v2 = std::make_unique<TagLib::ID3v2::Tag>();
    id3v2->setProperties(properties);
    version = TagLib::ID3v2::v4;
}

TagSource::TagSource(const QString& input) : d_(std::make_unique<Data>()) {
    const QByteArray name = QFile::encodeName(input);
    // The first bytes tell whether an ID3v2 tag is there, whether or not TagLib can read it.
    unsigned char header[kId3v2HeaderSize] = {};
    {
        Fd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) {
            d_->error = QStringLiteral("cannot read the input's tags: ") + ErrnoText(errno);
            return;
        }
        if (!ReadAt(fd.get(), 0, reinterpret_cast<char*>(header), kId3v2HeaderSize))
            std::memset(header, 0, sizeof header);
    }
    const bool startsWithId3 = std::memcmp(header, "ID3", 3) == 0;
    const qint64 headerSize = startsWithId3 ? Id3v2TagSize(header) : 0;
    if (headerSize < 0) {
        d_->error = QStringLiteral("the input's ID3v2 tag cannot be read");
        return;
    }

    TagLib::FileStream stream(name.constData(), true);
    if (!stream.isOpen()) {
        d_->error = QStringLiteral("cannot read the input's tags");
        return;
    }
    TagLib::FileRef ref(&stream, false);
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file()))
        d_->readMpeg(*mpeg, headerSize > kId3v2HeaderSize);
    else if (ref.file())
        d_->readOther(*ref.file());
    else if (headerSize > kId3v2HeaderSize)
        d_->error = QStringLiteral("the input's ID3v2 tag cannot be read");
}

TagSource::~TagSource() = default;

bool TagSource::hasTags() const {
    return d_->id3v2 || !d_->ape.isEmpty() || !d_->id3v1.isEmpty();
}

const QString& TagSource::error() const {
    return d_->error;
}

QString TagSource::writeTagged(const QString& converted, const QString& tagged) {
    if (!d_->error.isEmpty())
        return d_->error;
    const QByteArray convertedName = QFile::encodeName(converted);
    Fd from(::open(convertedName.constData(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (from.get() < 0 || ::fstat(from.get(), &st) != 0)
        return QStringLiteral("cannot read the converted file: ") + ErrnoText(errno);
    const AudioRange audio = FindAudio(from.get(), st.st_size);
    if (!audio.error.isEmpty())
        return audio.error;

    // The tool's length frame is kept even when the input has no ID3v2 tag: without it a
    // decoder plays the encoder's padding at the end as well.
    if (!d_->id3v2) {
        d_->id3v2 = std::make_unique<TagLib::ID3v2::Tag>();
        d_->version = TagLib::ID3v2::v3;
    }
    for (const char* id : kToolFrames)
        d_->id3v2->removeFrames(id);
    {
        TagLib::FileStream stream(convertedName.constData(), true);
        TagLib::MPEG::File tool(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (tool.isValid() && tool.hasID3v2Tag()) {
            TagLib::ID3v2::Tag* own = tool.ID3v2Tag();
            for (const char* id : kToolFrames) {
                const std::vector<TagLib::ID3v2::Frame*> frames(own->frameList(id).begin(),
                                                                own->frameList(id).end());
                for (TagLib::ID3v2::Frame* frame : frames) {
                    own->removeFrame(frame, false);
                    d_->id3v2->addFrame(frame);
                }
            }
        }
    }
    QByteArray id3v2;
    if (!d_->id3v2->frameList().isEmpty())
        id3v2 = ToQt(d_->id3v2->render(d_->version));

    Fd to(::open(QFile::encodeName(tagged).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (to.get() < 0)
        return QStringLiteral("cannot write the tagged file: ") + ErrnoText(errno);
    if (!WriteAll(to.get(), id3v2.constData(), id3v2.size()) ||
        !CopyRange(from.get(), audio.start, audio.end, to.get()) ||
        !WriteAll(to.get(), d_->ape.constData(), d_->ape.size()) ||
        !WriteAll(to.get(), d_->id3v1.constData(), d_->id3v1.size()) || !to.close())
        return QStringLiteral("cannot write the tagged file: ") + ErrnoText(errno);

    // What was written must read back as what was meant.
    const qint64 expected =
        id3v2.size() + (audio.end - audio.start) + d_->ape.size() + d_->id3v1.size();
    TagLib::FileStream check(QFile::encodeName(tagged).constData(), true);
    TagLib::MPEG::File written(&check, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!check.isOpen() || check.length() != expected || !written.isValid() ||
        written.hasID3v2Tag() != !id3v2.isEmpty() ||
        written.hasID3v1Tag() != !d_->id3v1.isEmpty() || written.hasAPETag() != !d_->ape.isEmpty())
        return QStringLiteral("the tagged file does not read back as written");
    return QString();
}

}  // namespace eb
