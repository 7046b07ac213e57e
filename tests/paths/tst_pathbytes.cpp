// File names as bytes: every name survives the trip into text and back, byte for byte, and
// only the bytes that are not valid UTF-8 are held as escaped bytes.
#include "paths/pathtext.h"

#include <QtTest>

using namespace eb;

class TestPathBytes : public QObject {
    Q_OBJECT

private slots:
    void bytesRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rawBytes");
        QTest::newRow("ASCII") << QByteArray("track 1.mp3") << 0;
        QTest::newRow("two-byte UTF-8") << QByteArray("Bj\xc3\xb6rk.mp3") << 0;
        QTest::newRow("four-byte UTF-8") << QByteArray("\xf0\x9f\x8e\xb5.mp3") << 0;
        QTest::newRow("U+FFFD itself") << QByteArray("bad\xef\xbf\xbd.mp3") << 0;
        QTest::newRow("newline") << QByteArray("a\nb.mp3") << 0;
        QTest::newRow("Latin-1") << QByteArray("Bj\xf6rk.mp3") << 1;
        QTest::newRow("0xff") << QByteArray("bad\xff.mp3") << 1;
        QTest::newRow("overlong slash") << QByteArray(
                                               "a\xc0\xaf"
                                               "b")
                                        << 2;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << 3;
        QTest::newRow("cut off at the end") << QByteArray("a\xe2\x82") << 2;
        QTest::newRow("lone continuation") << QByteArray("\x80x\xbf") << 2;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 4;
        QTest::newRow("valid after invalid") << QByteArray("\xe9\xc3\xa9") << 1;
    }
    void bytesRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rawBytes);
        const QString text = DecodePathBytes(bytes);
        QCOMPARE(EncodePathBytes(text), bytes);
        QCOMPARE(HasUndecodableBytes(text), rawBytes > 0);
        const QString shown = ReplacedText(text);
        QCOMPARE(shown.count(QChar::ReplacementCharacter) - text.count(QChar::ReplacementCharacter),
                 rawBytes);
        if (rawBytes == 0)
            QCOMPARE(text, QString::fromUtf8(bytes));
    }

    // A name that is not UTF-8 never reads as its look-alike holding U+FFFD.
    void rawByteIsNotItsLookAlike() {
        QVERIFY(DecodePathBytes("bad\xff.mp3") != DecodePathBytes("bad\xef\xbf\xbd.mp3"));
    }
};

QTEST_GUILESS_MAIN(TestPathBytes)
#include "tst_pathbytes.moc"
