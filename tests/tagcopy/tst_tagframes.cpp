// Tags built byte by byte (empty, oversized and unknown frames, unsynchronisation, extended
// headers, compression, ID3v2.2 dates, duplicates, a large picture, crafted tags meant to
// exhaust a reader) on real MP3 audio, converted with real SoX and compared frame by frame with
// mutagen as the independent reader: every frame it sees in the input is on the output, or the
// warning names it. The tag copy's child process failing in every way keeps the audio.
#include "engine/conversionjob.h"
#include "engine/tools/tagcopyrun.h"
#include "engine/tools/tooldeploy.h"
#include "support/faketool.h"
#include "support/id3bytes.h"
#include "support/testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace eb;
using namespace ebtest;
using namespace ebtest::id3b;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// The audio of a SoX-made MP3 without the tag SoX puts in front of it.
QByteArray BareAudio(const QByteArray& mp3) {
    if (!mp3.startsWith("ID3") || mp3.size() < 10)
        return mp3;
    qint64 size = 0;
    for (int k = 6; k < 10; ++k)
        size = size << 7 | (static_cast<quint8>(mp3[k]) & 0x7f);
    return mp3.mid(10 + size);
}

QByteArray Texts(int version, const QList<QByteArray>& idsAndValues) {
    QByteArray out;
    for (qsizetype k = 0; k + 1 < idsAndValues.size(); k += 2)
        out += Frame(version, idsAndValues[k], Text(idsAndValues[k + 1]));
    return out;
}

QByteArray Picture(int megabytes) {
    QByteArray data("\xff\xd8\xff\xe0", 4);
    data.reserve(megabytes << 20);
    for (int k = 0; data.size() < (megabytes << 20); ++k)
        data += static_cast<char>(
            (static_cast<unsigned>(k) * 7919u + static_cast<unsigned>(k) / 251u) & 0xffu);
    return QByteArray(
               "\0image/jpeg\0\x03"
               "cover\0",
               19) +
           data;
}

}  // namespace

class TestTagFrames : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString out_;
    QByteArray audio_;

    // `stopWhen` not empty: the job is stopped once that file exists, asked to (`async`, as
    // SIGINT does) or at once (as closing the window does).
    ConversionResult convert(const QString& input, bool async, const QString& stopWhen = {}) {
        AlbumLedger albums;
        ConversionJob job(input, albums);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &job, [&] {
            if (!QFileInfo::exists(stopWhen))
                return;
            poll.stop();
            if (async)
                job.cancel();
            else
                job.abortNow();
        });
        if (!stopWhen.isEmpty())
            poll.start(20);
        ToolSet tools = InstalledTool();
        if (job.plan(out_, DefaultEchoTexts(), {}))
            ebtest::RunToEnd(job, tools);
        return job.result();
    }
    QString input(const QString& name, const QByteArray& tag, const QByteArray& tail = {}) {
        const QString path = dir_.filePath(name + QStringLiteral(".mp3"));
        return writeFile(path, tag + audio_ + tail) ? path : QString();
    }
    // The output SoX alone makes of an input.
    QByteArray toolAloneSum(const QString& input) {
        const QString path = dir_.filePath(QStringLiteral("alone.mp3"));
        return convertWithoutTags(input, path) ? checksum(path) : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(!InstalledSox().isEmpty());
        QVERIFY2(run(kPython, {QStringLiteral("-c"), QStringLiteral("import mutagen")}) == 0,
                 "the tests need Debian's python3-mutagen");
        out_ = dir_.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out_));
        const QString tone = dir_.filePath(QStringLiteral("tone.mp3"));
        QVERIFY(makeToneMp3(tone, 0.4));
        audio_ = BareAudio(readFile(tone));
        QVERIFY(audio_.size() > 1000);
    }
    void cleanup() {
        QCOMPARE(leftovers(out_), QStringList());
        SetTagCopyProgram(binDir() + QStringLiteral("/echobatch-tagcopy"));
    }

    void everyFrameIsCopiedOrNamed_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<int>("seen");  // frames mutagen sees in the input
        QTest::addColumn<int>("outVersion");
        QTest::addColumn<QString>("warning");      // empty: a full copy
        QTest::addColumn<QByteArray>("tail");      // after the audio
        QTest::addColumn<QStringList>("carried");  // frames on the output, as mutagen prints them
        const QByteArray three = Texts(3, {"TPE1", "Artist", "TALB", "Album", "TRCK", "4/9"});
        const QByteArray four = Texts(4, {"TPE1", "Artist", "TALB", "Album", "TRCK", "4/9"});
        const QByteArray binary("\xff\xe0\x00\xff\x00\xff\xfb\x90", 8);
        const QByteArray priv = QByteArray("owner\0", 6) + binary;
        QTest::newRow("empty frame first")
            << Tag(3, Frame(3, "TIT2", {}) + three + Frame(3, "TCON", {})) << 3 << 3 << ""
            << QByteArray() << QStringList();
        QTest::newRow("frame size past the tag")
            << Tag(3, three + Frame(3, "TIT2", Text("Cut short"), 0, 5000), 0, 0) << 4 << 3
            << "frames not copied: TIT2 (its size runs past the end of the tag)" << QByteArray()
            << QStringList();
        QTest::newRow("unknown names and odd flags")
            << Tag(4, Frame(4, "XYZ1", binary, 0x7070) + four + Frame(4, "ZZZZ", "z", 0xffff)) << 3
            << 4 << "" << QByteArray() << QStringList();
        QTest::newRow("v2.3 unsynchronised")
            << Tag(3, Unsynch(Frame(3, "PRIV", priv) + three), 0x80) << 4 << 3 << "" << QByteArray()
            << QStringList();
        QTest::newRow("v2.4 frames unsynchronised")
            << Tag(4, Frame(4, "PRIV", Unsynch(priv), 0x0002) + four) << 4 << 4 << ""
            << QByteArray() << QStringList();
        QTest::newRow("v2.3 extended header")
            << Tag(3, Be(6, 4) + QByteArray(6, '\0') + three, 0x40) << 3 << 3 << "" << QByteArray()
            << QStringList();
        QTest::newRow("v2.4 extended header")
            << Tag(4, Synchsafe(6) + QByteArray("\x01\x00", 2) + four, 0x40) << 3 << 4 << ""
            << QByteArray() << QStringList();
        QTest::newRow("compressed frames")
            << Tag(3, Frame(3, "TIT2", qCompress(Text("Squeezed title")), 0x0080) + three) << 4 << 3
            << "" << QByteArray() << QStringList();
        QByteArray zipped = qCompress(Text("Squeezed title, v2.4"));
        zipped =
            Synchsafe(static_cast<quint32>(Text("Squeezed title, v2.4").size())) + zipped.mid(4);
        QTest::newRow("v2.4 compressed frame") << Tag(4, Frame(4, "TIT2", zipped, 0x0009) + four)
                                               << 4 << 4 << "" << QByteArray() << QStringList();
        QTest::newRow("v2.4 plain frame sizes")
            << Tag(4, Frame(4, "COMM", QByteArrayLiteral("\0eng\0") + QByteArray(300, 'x'))
                              .replace(4, 4, Be(305, 4)) +
                          four)
            << 4 << 4 << "" << QByteArray() << QStringList();
        const QByteArray dates =
            Texts(2, {"TT2", "Title", "TYE", "1987", "TDA", "2403", "TIM", "1830"});
        QTest::newRow("v2.2 with dates and a picture")
            << Tag(2, dates + Texts(2, {"TP1", "Artist"}) +
                          Frame(2, "PIC",
                                QByteArray("\0JPG\x03"
                                           "front\0",
                                           11) +
                                    binary) +
                          Frame(2, "COM", QByteArrayLiteral("\0eng\0note")) +
                          Frame(2, "ULT", QByteArrayLiteral("\0eng\0la la")))
            << 8 << 3 << "" << QByteArray() << QStringList();
        QTest::newRow("v2.2 unknown frame")
            << Tag(2, dates + Frame(2, "XYZ", "data")) << 4 << 3
            << "frames not copied: XYZ (no ID3v2.3 counterpart)" << QByteArray() << QStringList();
        QTest::newRow("duplicated frames")
            << Tag(3, three + three + Frame(3, "TXXX", QByteArrayLiteral("\0k\0one")) +
                          Frame(3, "TXXX", QByteArrayLiteral("\0k\0two")))
            << 4 << 3 << "" << QByteArray() << QStringList();
        QTest::newRow("duplicated tags")
            << Tag(3, three) + Tag(3, three) << 3 << 3 << "" << QByteArray() << QStringList();
        // Frames of later tags that the first lacks are carried; the first tag's frame wins.
        const QByteArray sub = Frame(4, "TIT3", Unsynch(Text("Sub\xff\xe0")), 0x0002);
        QTest::newRow("a second tag with more")
            << Tag(3, Texts(3, {"TPE1", "Artist", "TRCK", "4/9"})) +
                   Tag(4, Texts(4, {"TALB", "Album Two", "TPE1", "Other"}) + sub)
            << 2 << 3 << "frames not copied: TPE1 (held differently in a second ID3v2 tag)"
            << QByteArray() << QStringList{"TALB=Album Two", "TIT3=Sub\u00ff\u00e0", "TPE1=Artist"};
        QTest::newRow("a second tag of v2.3 dates after a v2.4 tag")
            << Tag(4, four) + Tag(3, Texts(3, {"TYER", "1999", "TDAT", "2403", "TIME", "1830"}) +
                                         Frame(3, "TIT3", qCompress(Text("Squeezed")), 0x0080))
            << 3 << 4 << "" << QByteArray()
            << QStringList{"TDRC=1999-03-24 18:30", "TIT3=Squeezed"};
        const QByteArray title = Frame(4, "TIT2", QByteArray("\x03T\xc3\xafle \xe2\x98\x83", 10));
        const QByteArray dated = Texts(4, {"TDRC", "2001-05-06T07:08", "TALB", "Other"}) + title;
        QTest::newRow("a v2.4 tag at the end")
            << Tag(3, three) << 3 << 3
            << "frames not copied: TALB (held differently in the ID3v2 tag at the end)"
            << FooterTag(dated)
            << QStringList{"TALB=Album", "TIT2=T\u00efle \u2603", "TYER=2001", "TDAT=0605",
                           "TIME=0708"};
        QTest::newRow("only a v2.4 tag at the end")
            << QByteArray() << 0 << 4 << "" << FooterTag(dated)
            << QStringList{"TDRC=2001-05-06 07:08"};
        QTest::newRow("a v2.4 tag at the end, then APEv2, Lyrics3v2 and ID3v1")
            << Tag(3, three) << 3 << 3 << ""
            << FooterTag(Texts(4, {"TIT3", "End"})) + ApeAndLyrics() + Id3v1("Someone")
            << QStringList{"TIT3=End", "TALB=Album"};
        QTest::newRow("a v2.4 tag at the end, then ID3v1")
            << QByteArray() << 1 << 4 << "" << FooterTag(dated) + Id3v1("Someone")
            << QStringList{"TDRC=2001-05-06 07:08", "TIT2=T\u00efle \u2603", "TPE1=Someone"};
        auto apic = [](char type, const QByteArray& desc, char data) {
            return Frame(3, "APIC", QByteArray("\0image/png\0", 11) + type + desc + '\0' + data);
        };
        QTest::newRow("same frame by description, language and picture type")
            << Tag(3, Frame(3, "TXXX", QByteArrayLiteral("\0one\0first")) + apic(3, "front", '1') +
                          Frame(3, "COMM", QByteArrayLiteral("\0engk\0x"))) +
                   Tag(3, Frame(3, "TXXX", QByteArrayLiteral("\0two\0second")) +
                              Frame(3, "TXXX", QByteArrayLiteral("\0one\0other")) +
                              apic(4, "back", '2') + apic(3, "other", '3') +
                              Frame(3, "COMM", QByteArrayLiteral("\0deuk\0y")))
            << 3 << 3
            << "frames not copied: TXXX (held differently in a second ID3v2 tag), APIC (held "
               "differently in a second ID3v2 tag)"
            << QByteArray()
            << QStringList{"TXXX=one=first", "TXXX=two=second", "COMM=k=deu=y",
                           "APIC=cover back, back (image/png, 1 bytes)"};
        auto big = [](const char* owner, int megabytes) {
            return Tag(4, Frame(4, "PRIV",
                                owner + QByteArray(1, '\0') + QByteArray(megabytes << 20, 'x')));
        };
        QTest::newRow("a second tag past the bounds of one")
            << big("a", 60) + big("b", 5) << 1 << 4
            << "frames not copied: PRIV (beyond what one tag holds, in a second ID3v2 tag)"
            << QByteArray() << QStringList();
        QTest::newRow("5 MB picture") << Tag(4, four + Frame(4, "APIC", Picture(5))) << 4 << 4 << ""
                                      << QByteArray() << QStringList();
    }
    void everyFrameIsCopiedOrNamed() {
        QFETCH(QByteArray, tag);
        QFETCH(int, seen);
        QFETCH(int, outVersion);
        QFETCH(QString, warning);
        QFETCH(QByteArray, tail);
        QFETCH(QStringList, carried);
        const QString in = input(QStringLiteral("tagged"), tag, tail);
        const QByteArray inputSum = checksum(in);
        const ConversionResult r = convert(in, false);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, warning);
        QCOMPARE(checksum(in), inputSum);

        QByteArray json;
        QCOMPARE(run(kPython,
                     {sourceDir() + QStringLiteral("/tests/tagcopy/id3referee.py"), in, r.output},
                     &json),
                 0);
        const QJsonObject referee = QJsonDocument::fromJson(json).object();
        QCOMPARE(referee[QStringLiteral("frames")].toArray().size(), seen);
        QCOMPARE(referee[QStringLiteral("outVersion")].toInt(), outVersion);
        QCOMPARE(referee[QStringLiteral("differ")].toArray().size(), 0);
        const QVariantList printed = referee[QStringLiteral("outFrames")].toArray().toVariantList();
        for (const QString& frame : carried)
            QVERIFY2(printed.contains(frame), qPrintable(frame));
        // The tags after an ID3v2 tag at the end stay at the end, as they are.
        QVERIFY(readFile(r.output).endsWith(tail.mid(tail.indexOf("3DI") + 10)));
        if (tag.size() > 3 &&
            tag[3] == 2)  // year, day, month and time of the ID3v2.2 dates all arrive
            QCOMPARE(referee[QStringLiteral("outDate")].toString(),
                     QStringLiteral("1987-03-24 18:30:00"));
        // Whatever the output lacks, the warning names.
        for (const char* what : {"missing", "unknownMissing"}) {
            for (const QJsonValue& key : referee[QLatin1String(what)].toArray())
                QVERIFY2(warning.contains(key.toString().left(4)), qPrintable(key.toString()));
        }
    }

    // Tags meant to exhaust their reader end as named warnings, the output SoX's own.
    void hostileTagsAreBounded_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QString>("warning");
        QTest::newRow("18,000 nested chapters")
            << Tag(4, Nested(18000))
            << "tags not copied: the input's ID3v2 tag nests chapters more than 16 levels deep";
        QByteArray tiny;
        const QByteArray one = Frame(4, "TXXX", QByteArray(1, '\0'));
        tiny.reserve(one.size() * 3000000);
        for (int k = 0; k < 3000000; ++k)
            tiny += one;
        QTest::newRow("3 million tiny frames")
            << Tag(4, tiny)
            << "tags not copied: the input's ID3v2 tag holds more than 100000 "
               "frames";
        QTest::newRow("a frame of 256 MB in a small tag")
            << Tag(4, Frame(4, "APIC", "x", 0, 0x0fffffff) + Texts(4, {"TIT2", "Lost"}))
            << "frames not copied: APIC (its size runs past the end of the tag)";
    }
    void hostileTagsAreBounded() {
        QFETCH(QByteArray, tag);
        QFETCH(QString, warning);
        const QString in = input(QStringLiteral("hostile"), tag);
        const QByteArray inputSum = checksum(in);
        const ConversionResult r = convert(in, true);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, warning);
        QCOMPARE(checksum(r.output), toolAloneSum(in));
        QCOMPARE(checksum(in), inputSum);
    }

    // The child crashes, hangs, fails oddly or is missing: the audio stays, the reason is named.
    void failedTagCopyKeepsTheAudio_data() {
        QTest::addColumn<QByteArray>("script");  // empty: no helper at all
        QTest::addColumn<QString>("warning");
        const QList<std::tuple<const char*, QByteArray, QString>> cases{
            {"crash", "kill -SEGV $$", "the tag copy was ended by signal 11 (Segmentation fault)"},
            {"hang", "exec sleep 30", "the tag copy took longer than 0.5 s"},
            {"odd exit", "echo half-done >&2; exit 3",
             "the tag copy ended with exit code 3: half-done"},
            {"missing", "", "the tag copy could not be started: No such file or directory"}};
        for (const auto& [name, script, warning] : cases)
            QTest::addRow("%s", name) << script << QStringLiteral("tags not copied: ") + warning;
    }
    void failedTagCopyKeepsTheAudio() {
        QFETCH(QByteArray, script);
        QFETCH(QString, warning);
        const QString helper = dir_.filePath(QStringLiteral("fake-tagcopy"));
        QFile::remove(helper);
        if (!script.isEmpty())
            QVERIFY(!writeScript(helper, script).isEmpty());
        SetTagCopyProgram(helper, 500);
        const QString in = input(QStringLiteral("faulty"), Tag(3, Texts(3, {"TIT2", "T"})));
        const ConversionResult r = convert(in, true);
        QVERIFY2(r.converted, qPrintable(r.reason));
        QCOMPARE(r.warning, warning);
        QCOMPARE(checksum(r.output), toolAloneSum(in));
    }

    // Stopped while the tag copy runs (asked to stop, or at once as closing the window does):
    // nothing is written and nothing is left.
    void stopDuringTagCopy_data() {
        QTest::addColumn<bool>("async");
        QTest::newRow("at once") << false;
        QTest::newRow("asked") << true;
    }
    void stopDuringTagCopy() {
        QFETCH(bool, async);
        const QString marker = dir_.filePath(QStringLiteral("helper-ran"));
        const QString helper =
            writeScript(dir_.filePath(QStringLiteral("slow-tagcopy")),
                        "touch '" + QFile::encodeName(marker) + "'; exec sleep 30");
        SetTagCopyProgram(helper, 60000);
        const QString in = input(QStringLiteral("stopped"), Tag(3, Texts(3, {"TIT2", "T"})));
        QFile::remove(out_ + QStringLiteral("/stopped.mp3"));
        QFile::remove(marker);
        const ConversionResult r = convert(in, async, marker);
        QVERIFY(!r.converted);
        QCOMPARE(r.reason, StoppedReason());
        QVERIFY(!QFileInfo::exists(out_ + QStringLiteral("/stopped.mp3")));
    }
};

QTEST_GUILESS_MAIN(TestTagFrames)
#include "tst_tagframes.moc"
