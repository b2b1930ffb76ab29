#include "VoiceDecoder.h"

#include <QTest>

Q_DECLARE_METATYPE(SampleEncoding)

class TestVoiceDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodesKnownValues_data();
    void decodesKnownValues();
    void resamplesToTheCallRate_data();
    void resamplesToTheCallRate();
};

void TestVoiceDecoder::decodesKnownValues_data()
{
    QTest::addColumn<SampleEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<qint16>>("samples");

    // G.711: a mu-law code is inverted, 0x80 and up are positive; A-law inverts every other
    // bit, and its sign bit set is positive (0xAA is the largest value, 0x2A its negative).
    QTest::newRow("mu-law") << SampleEncoding::MuLaw
                            << QByteArray("\xff\x7f\x00\x80\xfe\x7e\xf0\x8f", 8)
                            << QList<qint16>{0, 0, -32124, 32124, 8, -8, 120, 16764};
    QTest::newRow("A-law") << SampleEncoding::ALaw
                           << QByteArray("\xd5\x55\xaa\x2a\xd4\x54\xc5\xf5", 8)
                           << QList<qint16>{8, -8, 32256, -32256, 24, -24, 264, 528};
    QTest::newRow("signed PCM") << SampleEncoding::SignedPcm
                                << QByteArray("\x00\x01\x7f\x80\xff", 5)
                                << QList<qint16>{0, 256, 32512, -32768, -256};
    QTest::newRow("unsigned PCM") << SampleEncoding::UnsignedPcm
                                  << QByteArray("\x80\x81\xff\x00\x7f", 5)
                                  << QList<qint16>{0, 256, 32512, -32768, -256};
}

void TestVoiceDecoder::decodesKnownValues()
{
    QFETCH(SampleEncoding, encoding);
    QFETCH(QByteArray, bytes);
    QTEST(VoiceDecoder({0, encoding, 8000, QString()}).decode(bytes), "samples");
}

void TestVoiceDecoder::resamplesToTheCallRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("chunk");
    for (const int rate : {7200, 11025}) {
        for (const int chunk : {1, 7, 160, 441})
            QTest::addRow("%d samples/s in chunks of %d", rate, chunk) << rate << chunk;
    }
}

// A second of a rising ramp gives a second at 8000 samples/s that only rises, and chunks of
// any size give the samples one whole read gives.
void TestVoiceDecoder::resamplesToTheCallRate()
{
    QFETCH(int, rate);
    QFETCH(int, chunk);
    QByteArray ramp;
    for (int i = 0; i < rate; ++i)
        ramp.append(char(i * 256 / rate));
    const VoiceFormat format{0, SampleEncoding::UnsignedPcm, rate, QString()};

    const QList<qint16> whole = VoiceDecoder(format).decode(ramp);
    VoiceDecoder chunked(format);
    QList<qint16> pieces;
    for (qsizetype at = 0; at < ramp.size(); at += chunk)
        pieces += chunked.decode(ramp.mid(at, chunk));

    QCOMPARE(pieces, whole);
    QVERIFY(whole.size() >= 7999 && whole.size() <= 8000);
    QVERIFY(std::is_sorted(whole.begin(), whole.end()));
    QCOMPARE_GT(whole.last() - whole.first(), 32000);
}

QTEST_GUILESS_MAIN(TestVoiceDecoder)
#include "tst_voicedecoder.moc"
