// Name-level rules of the folder scan: natural order, wildcard matching, unsafe characters.
#include "filelist/namematch.h"
#include "filelist/naturalsort.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace eb;

class TestNameRules : public QObject {
    Q_OBJECT
private slots:
    void naturalOrderOfPairs_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("numbers by value") << "track2.mp3"
                                          << "track10.mp3";
        QTest::newRow("case ignored") << "apple"
                                      << "Banana";
        QTest::newRow("case ignored 2") << "Apple"
                                        << "banana";
        QTest::newRow("case tie is fixed") << "Song.mp3"
                                           << "song.mp3";
        QTest::newRow("leading zeros tie") << "a01"
                                           << "a1";
        QTest::newRow("leading zeros by value") << "a002"
                                                << "a10";
        QTest::newRow("longer than 64 bits") << "x99999999999999999999999"
                                             << "x100000000000000000000000";
        QTest::newRow("prefix first") << "track"
                                      << "track1";
        QTest::newRow("dot before digit") << "track.mp3"
                                          << "track1.mp3";
        QTest::newRow("several runs") << "cd1 track9"
                                      << "cd1 track10";
        QTest::newRow("first run decides") << "cd2 track1"
                                           << "cd10 track1";
        QTest::newRow("non-ASCII folded") << "\u00e9t\u00e9 2"
                                          << "\u00c9T\u00c9 10";
        QTest::newRow("surrogate pair folded")
            << QString::fromUtf8("\xf0\x90\x90\xa8 2") << QString::fromUtf8("\xf0\x90\x90\x80 10");
    }
    void naturalOrderOfPairs() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(NaturalCompare(first, second) < 0);
        QVERIFY(NaturalCompare(second, first) > 0);
        QCOMPARE(NaturalCompare(first, first), 0);
    }

    void sortingIsTheSameWhateverTheInputOrder() {
        const QStringList expected = {
            QStringLiteral("01 intro.mp3"),  QStringLiteral("1 intro.mp3"),
            QStringLiteral("2 intro.mp3"),   QStringLiteral("10 intro.mp3"),
            QStringLiteral("Track 1.MP3"),   QStringLiteral("track 1.mp3"),
            QStringLiteral("track 2.mp3"),   QStringLiteral("Track 10.mp3"),
            QStringLiteral("track 100.mp3"), QStringLiteral("~temp.mp3")};
        QRandomGenerator random(4711);
        for (int round = 0; round < 20; ++round) {
            QStringList names = expected;
            std::shuffle(names.begin(), names.end(), random);
            NaturalSort(names);
            QCOMPARE(names, expected);
        }
    }

    void wildcardMatching_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("mp3") << "*.mp3"
                             << "song.mp3" << true;
        QTest::newRow("upper MP3") << "*.mp3"
                                   << "SONG.MP3" << true;
        QTest::newRow("mixed Mp3") << "*.mp3"
                                   << "a.Mp3" << true;
        QTest::newRow("wav refused") << "*.mp3"
                                     << "song.wav" << false;
        QTest::newRow("longer extension") << "*.mp3"
                                          << "song.mp3x" << false;
        QTest::newRow("extension only") << "*.mp3"
                                        << ".mp3" << true;
        QTest::newRow("several dots") << "*.mp3"
                                      << "a.b.mp3" << true;
        QTest::newRow("star dot star without dot") << "*.*"
                                                   << "README" << true;
        QTest::newRow("star dot star") << "*.*"
                                       << "x.y" << true;
        QTest::newRow("star") << "*"
                              << "" << true;
        QTest::newRow("question one char") << "a?c"
                                           << "abc" << true;
        QTest::newRow("question not zero chars") << "a?c"
                                                 << "ac" << false;
        QTest::newRow("backtracking") << "*a*b"
                                      << "xaxxaxb" << true;
        QTest::newRow("backtracking fails") << "*a*b"
                                            << "xaxxaxc" << false;
        QTest::newRow("literal pattern") << "Hello.MP3"
                                         << "hello.mp3" << true;
        QTest::newRow("non-ASCII case") << "*\u00e9.mp3"
                                        << "CAF\u00c9.MP3" << true;
    }
    void wildcardMatching() {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(WildcardPattern(pattern).matches(name), matches);
    }

    void unsafeCharacters_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("unsafe");
        QTest::newRow("plain") << QByteArray("Music") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("blank and punctuation") << QByteArray("a b [1] $x") << false;
        QTest::newRow("accented") << QByteArray("caf\xc3\xa9") << false;
        QTest::newRow("CJK") << QByteArray("\xe9\x9f\xb3\xe6\xa5\xbd") << false;
        QTest::newRow("emoji") << QByteArray("\xf0\x9f\x8e\xb5") << false;
        QTest::newRow("U+00A0 is safe") << QByteArray("a\xc2\xa0") << false;
        QTest::newRow("tab") << QByteArray("a\tb") << true;
        QTest::newRow("newline") << QByteArray("a\nb") << true;
        QTest::newRow("DEL") << QByteArray("a\x7f") << true;
        QTest::newRow("C1 U+0085") << QByteArray("a\xc2\x85") << true;
        QTest::newRow("C1 U+009F") << QByteArray("\xc2\x9f") << true;
        QTest::newRow("question mark") << QByteArray("why?") << true;
        QTest::newRow("invalid byte") << QByteArray("bad\xff") << true;
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << true;
        QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82") << true;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << true;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << true;
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << true;
    }
    void unsafeCharacters() {
        QFETCH(QByteArray, raw);
        QFETCH(bool, unsafe);
        QCOMPARE(HasUnsafeNameBytes(raw), unsafe);
        // The text form agrees, since an undecodable sequence becomes U+FFFD.
        QCOMPARE(HasUnsafeChars(QString::fromUtf8(raw)), unsafe);
    }

    void textFormRefusesWhatCannotBeEncoded() {
        QVERIFY(HasUnsafeChars(QString(QChar(0xD800))));
        QVERIFY(HasUnsafeChars(QStringLiteral("a") + QChar(0xDC00) + QStringLiteral("b")));
        QVERIFY(!HasUnsafeChars(QString::fromUtf8("\xf0\x9f\x8e\xb5")));
    }
};

QTEST_GUILESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
