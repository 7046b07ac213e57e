// The input's tags on the converted file: real SoX, real MP3 files, tags written and read back
// with TagLib and compared frame by frame; the failures that keep the audio and say so.
#include "core/steps.h"
#include "engine/conversionjob.h"
#include "engine/tools/tooldeploy.h"
#include "shell/batch/conversionrun.h"
#include "support/faketool.h"
#include "support/scriptedbatchhost.h"
#include "support/tagfixtures.h"
#include "support/testsupport.h"
#include "tagcopy/tagcopy.h"

#include <QtTest>

#include <sys/resource.h>
#include <csignal>

using namespace eb;
using namespace ebtest;

namespace {

const QList<QByteArray> kToolFrames{"TLEN", "TSSE"};

// A file-size limit for this process and the tools it starts, standing in for a disk that
// fills up: a write past it fails with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
    bool ok_ = false;
};

// The audio bytes of an MP3 file: a copy with every tag stripped by TagLib.
QByteArray AudioBytes(const QString& path) {
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("copy.mp3"));
    if (!QFile::copy(path, copy))
        return QByteArray();
    {
        TagLib::MPEG::File f(QFile::encodeName(copy).constData(), false);
        if (!f.isValid() || !f.strip(TagLib::MPEG::File::AllTags))
            return QByteArray();
    }
    return readFile(copy);
}

// Both files hold the same audio, byte for byte, and more than nothing.
#define SAME_AUDIO(a, b)                         \
    do {                                         \
        const QByteArray audioA = AudioBytes(a); \
        QVERIFY(audioA.size() > 1000);           \
        QVERIFY(AudioBytes(b) == audioA);        \
    } while (false)

}  // namespace

class TestTagCopy : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString out_, direct_, bogus_;
    QString file(const QString& name) { return dir_.filePath(name); }

    ConversionResult convert(const QString& input) { return ConvertNow(input, out_); }
    // What the conversion makes of the input without the tag copy.
    QString toolAlone(const QString& input) {
        const QString output = direct_ + u'/' + QFileInfo(input).completeBaseName() + ".mp3";
        return convertWithoutTags(input, output) ? output : QString();
    }
    QString tone(const QString& name) {
        const QString path = file(name);
        return makeToneMp3(path, 0.4) ? path : QString();
    }

private slots:
    void initTestCase() {
        QVERIFY(!InstalledSox().isEmpty());
        out_ = file(QStringLiteral("out"));
        direct_ = file(QStringLiteral("direct"));
        QVERIFY(QDir().mkpath(out_) && QDir().mkpath(direct_));
        // An ID3v2 header whose size is not synchsafe, in front of real audio: the tool plays
        // the audio, but no tag reader can tell where the tag ends.
        const QString plain = tone(QStringLiteral("plain.mp3"));
        bogus_ = file(QStringLiteral("bogus.mp3"));
        QVERIFY(writeFile(bogus_, QByteArray("ID3\x03\x00\x00\x00\x00\x81\x00", 10) +
                                      QByteArray(200, '\x5a') + readFile(plain)));
    }
    void cleanup() { QVERIFY(leftovers(out_).isEmpty()); }

    void framesSurviveOneByOne_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("ID3v2.3") << 3;
        QTest::newRow("ID3v2.4") << 4;
    }
    void framesSurviveOneByOne() {
        QFETCH(int, version);
        const QString input = tone(QStringLiteral("rich%1.mp3").arg(version));
        QVERIFY(TagRichly(input, version));
        int inVersion = 0;
        const QList<FrameDump> before = FramesOf(input, &inVersion);
        QCOMPARE(inVersion, version);
        QCOMPARE(before.size(), 13);
        const QByteArray inputSum = checksum(input);

        const ConversionResult r = convert(input);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, QString());
        int outVersion = 0;
        const QList<FrameDump> after = FramesOf(r.output, &outVersion);
        QCOMPARE(outVersion, version);
        // Every frame of the input, in its order, with the same bytes, and nothing else but
        // the length and encoder of the new audio.
        QCOMPARE(Without(after, kToolFrames), Without(before, kToolFrames));
        QCOMPARE(TextOf(after, "TIT2"), QStringLiteral(u"Ünïcødé Title — 東京"));
        QCOMPARE(TextOf(after, "TPE1"), QStringLiteral(u"Björk"));

        const QString alone = toolAlone(input);
        QVERIFY(!alone.isEmpty());
        const QList<FrameDump> toolOwn = FramesOf(alone);
        // The tool reads decoded samples: no tag of the input, and no length frame of its own.
        QVERIFY(TextOf(toolOwn, "TLEN").isEmpty());
        QVERIFY(TextOf(toolOwn, "TIT2") != TextOf(after, "TIT2"));  // what the tool alone does
        for (const QByteArray& id : kToolFrames)
            QCOMPARE(TextOf(after, id), TextOf(toolOwn, id));
        QVERIFY(!readFile(r.output).right(128).startsWith("TAG"));
        SAME_AUDIO(r.output, alone);
        QCOMPARE(checksum(input), inputSum);
    }

    void id3v1AndApeCarried_data() {
        QTest::addColumn<int>("tags");
        using F = TagLib::MPEG::File;
        QTest::newRow("ID3v1 only") << int(F::ID3v1);
        QTest::newRow("ID3v1 and ID3v2") << int(F::ID3v1 | F::ID3v2);
        QTest::newRow("APEv2 only") << int(F::APE);
        QTest::newRow("APEv2 and ID3v1") << int(F::APE | F::ID3v1);
    }
    void id3v1AndApeCarried() {
        QFETCH(int, tags);
        using F = TagLib::MPEG::File;
        const QString input = tone(QStringLiteral("other%1.mp3").arg(tags));
        {
            F f(QFile::encodeName(input).constData(), false);
            if (tags & F::ID3v2)
                f.ID3v2Tag(true)->setTitle(T("Zwei ü"));
            if (tags & F::ID3v1) {
                TagLib::ID3v1::Tag* v1 = f.ID3v1Tag(true);
                v1->setTitle("Eins");
                v1->setArtist("Someone");
                v1->setYear(1999);
                v1->setTrack(3);
                v1->setGenre("Rock");
            }
            if (tags & F::APE) {
                f.APETag(true)->addValue("TITLE", T("Ápe Tïtle"));
                f.APETag(true)->addValue("CATALOG", T("X-1"));
            }
            QVERIFY(SaveTags(f, tags));
        }
        const QByteArray in = readFile(input);
        const ConversionResult r = convert(input);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, QString());
        const QByteArray out = readFile(r.output);

        // The ID3v2 tag the tool wrote from the input's tags is gone; its length frame stays.
        const QList<FrameDump> frames = FramesOf(r.output);
        QCOMPARE(Without(frames, kToolFrames).isEmpty(), (tags & F::ID3v2) == 0);
        QCOMPARE(TextOf(frames, "TLEN"), TextOf(FramesOf(toolAlone(input)), "TLEN"));
        if (tags & F::ID3v2)
            QCOMPARE(TextOf(frames, "TIT2"), QStringLiteral(u"Zwei ü"));
        QCOMPARE(out.right(128).startsWith("TAG"), (tags & F::ID3v1) != 0);
        if (tags & F::ID3v1)
            QCOMPARE(out.right(128), in.right(128));
        TagLib::FileStream stream(QFile::encodeName(r.output).constData(), true);
        TagLib::MPEG::File written(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        QCOMPARE(written.hasAPETag(), (tags & F::APE) != 0);
        if (tags & F::APE) {
            TagLib::FileStream inStream(QFile::encodeName(input).constData(), true);
            TagLib::MPEG::File original(&inStream, TagLib::ID3v2::FrameFactory::instance(), false);
            QCOMPARE(Q(written.APETag()->title()), QStringLiteral(u"Ápe Tïtle"));
            QVERIFY(written.APETag()->render() == original.APETag()->render());
        }
        SAME_AUDIO(r.output, toolAlone(input));
        QCOMPARE(readFile(input), in);
    }

    void untaggedOutputIsTheToolsOwn() {
        const QString input = tone(QStringLiteral("untagged.mp3"));
        const QByteArray inputSum = checksum(input);
        const ConversionResult r = convert(input);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, QString());
        QCOMPARE(checksum(r.output), checksum(toolAlone(input)));
        QCOMPARE(checksum(input), inputSum);
    }

    // Another format the tool reads: its text tags become ID3v2 text, letters intact.
    void otherFormatsTextTags() {
        const QString input = file(QStringLiteral("tagged.flac"));
        QCOMPARE(run(QStringLiteral("sox"),
                     {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                      QStringLiteral("--comment"), QStringLiteral(u"TITLE=Ünïcødé Title — 東京"),
                      QStringLiteral("--add-comment"), QStringLiteral(u"ARTIST=Björk"), input,
                      QStringLiteral("synth"), QStringLiteral("0.4"), QStringLiteral("sine"),
                      QStringLiteral("440")}),
                 0);
        const ConversionResult r = convert(input);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, QString());
        const QList<FrameDump> frames = FramesOf(r.output);
        QCOMPARE(TextOf(frames, "TIT2"), QStringLiteral(u"Ünïcødé Title — 東京"));
        QCOMPARE(TextOf(frames, "TPE1"), QStringLiteral(u"Björk"));
    }

    void unreadableTagIsNamedAndTheAudioKept() {
        const QByteArray inputSum = checksum(bogus_);
        const ConversionResult r = convert(bogus_);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning,
                 QStringLiteral("tags not copied: the input's ID3v2 tag cannot be read"));
        QVERIFY(QFileInfo(r.output).size() > 0);
        SAME_AUDIO(r.output, toolAlone(bogus_));
        QCOMPARE(checksum(bogus_), inputSum);
    }

    // A write that fails half-way (the file-size limit stands in for a full disk) is reported
    // and leaves the tool's output as it was; a second try writes the same tags once.
    void failedWriteKeepsTheConvertedFile() {
        const QString input = tone(QStringLiteral("limited.mp3"));
        QVERIFY(TagRichly(input));
        const QString converted = toolAlone(input);
        const QByteArray convertedSum = checksum(converted);
        const QString tagged = file(QStringLiteral("limited-tagged.mp3"));
        QVERIFY(writeFile(tagged, QByteArray()));
        const std::string name = QFile::encodeName(input).toStdString();
        TagSource source(name, name);
        QVERIFY(source.hasTags());
        QCOMPARE(source.error(), std::string());

        TagSource::WriteResult failed;
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.ok());
            failed = source.writeTagged(QFile::encodeName(converted).toStdString(),
                                        QFile::encodeName(tagged).toStdString());
        }
        QVERIFY(!failed);
        QVERIFY2(failed.error().starts_with("cannot write the tagged file: "),
                 failed.error().c_str());
        QCOMPARE(checksum(converted), convertedSum);

        QVERIFY(source.writeTagged(QFile::encodeName(converted).toStdString(),
                                   QFile::encodeName(tagged).toStdString()));
        QCOMPARE(Without(FramesOf(tagged), kToolFrames), Without(FramesOf(input), kToolFrames));
        QCOMPARE(FramesOf(tagged).size(), Without(FramesOf(input), kToolFrames).size());
        SAME_AUDIO(tagged, converted);
    }

    // The same through a conversion: the tool's output fits under the limit, the tagged file
    // with its pictures does not. The output is the tool's own, and nothing else is left.
    void fullDiskWhileTaggingKeepsTheToolsOutput() {
        const QString input = tone(QStringLiteral("fills.mp3"));
        QVERIFY(TagRichly(input));
        const QString alone = toolAlone(input);
        QVERIFY(QFileInfo(alone).size() < 20000 && QFileInfo(input).size() > 20000);
        ConversionResult r;
        {
            FileSizeLimit limit(20000);
            QVERIFY(limit.ok());
            r = convert(input);
        }
        QVERIFY2(r.converted, qPrintable(r.reason));
        QVERIFY2(r.warning.startsWith(QStringLiteral("tags not copied: cannot write the tagged "
                                                     "file: ")),
                 qPrintable(r.warning));
        QCOMPARE(checksum(r.output), checksum(alone));
    }

    void windowSummaryNamesLostTags() {
        RecordingBatchHost window;
        window.folder = out_;
        window.entries = {tone(QStringLiteral("fine.mp3")), bogus_};
        ConversionRun().run(window);
        QCOMPARE(window.said,
                 QStringList{QStringLiteral("Done.\n\n1 of 2 files converted with a warning:\n"
                                            "bogus.mp3: tags not copied: the input's ID3v2 tag "
                                            "cannot be read")});
        QVERIFY(QFileInfo::exists(out_ + QStringLiteral("/bogus.mp3")));
    }

    void commandLineSummaryNamesLostTags_data() {
        QTest::addColumn<bool>("quiet");
        QTest::newRow("normal") << false;
        QTest::newRow("quiet") << true;
    }
    void commandLineSummaryNamesLostTags() {
        QFETCH(bool, quiet);
        const QString fine = tone(QStringLiteral("fine.mp3"));
        QStringList args{QStringLiteral("--out"), out_, fine, bogus_};
        if (quiet)
            args.prepend(QStringLiteral("--quiet"));
        QByteArray err;
        QCOMPARE(run(cliProgram(), args, nullptr, &err), 0);
        const QString text = QString::fromUtf8(err);
        const QString why = QStringLiteral("tags not copied: the input's ID3v2 tag cannot be read");
        QVERIFY2(text.contains(QStringLiteral("echobatch-cli: 1 of 2 files converted with a "
                                              "warning:\n  ") +
                               bogus_ + QStringLiteral(": ") + why),
                 qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("[2/2] WARNING    ") + bogus_ + QStringLiteral(": ") +
                               why),
                 !quiet);
        QVERIFY(QFileInfo(out_ + QStringLiteral("/bogus.mp3")).size() > 0);
    }
};

QTEST_GUILESS_MAIN(TestTagCopy)
#include "tst_tagcopy.moc"
