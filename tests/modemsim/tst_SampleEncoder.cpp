#include "SampleEncoder.h"

#include <QTest>

using Coding = SampleEncoder::Coding;
Q_DECLARE_METATYPE(SampleEncoder::Coding)

class tst_SampleEncoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void sampleSentAsAByte_data();
    void sampleSentAsAByte();
};

// Values from the G.711 tables and the IMA ADPCM step table.
void tst_SampleEncoder::encode_data()
{
    QTest::addColumn<Coding>("coding");
    QTest::addColumn<QList<qint16>>("samples");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("unsigned PCM") << Coding::UnsignedPcm << QList<qint16>{0, -32768, 32767, -256}
                                  << QByteArray("\x80\x00\xff\x7f", 4);
    QTest::newRow("signed PCM") << Coding::SignedPcm << QList<qint16>{0, -32768, 32767, -256}
                                << QByteArray("\x00\x80\x7f\xff", 4);
    QTest::newRow("u-law") << Coding::MuLaw << QList<qint16>{0, 32767, -32768, 1000, -1000}
                           << QByteArray("\xff\x80\x00\xce\x4e", 5);
    QTest::newRow("A-law") << Coding::ALaw << QList<qint16>{0, 32767, -32768, 1000, -1000}
                           << QByteArray("\xd5\xaa\x2a\xfa\x7a", 5);
    QTest::newRow("IMA ADPCM: low nibble first, the step grows")
        << Coding::ImaAdpcm << QList<qint16>{1000, 1000, 0, 0} << QByteArray("\x77\x8c", 2);
}

void tst_SampleEncoder::encode()
{
    QFETCH(Coding, coding);
    QFETCH(QList<qint16>, samples);
    SampleEncoder encoder(coding);
    QTEST(encoder.encode(samples), "expected");
}

// The modem's stream carries DLE bytes on purpose; each coding must have a sample for it.
void tst_SampleEncoder::sampleSentAsAByte_data()
{
    QTest::addColumn<Coding>("coding");
    QTest::newRow("unsigned PCM") << Coding::UnsignedPcm;
    QTest::newRow("signed PCM") << Coding::SignedPcm;
    QTest::newRow("u-law") << Coding::MuLaw;
    QTest::newRow("A-law") << Coding::ALaw;
}

void tst_SampleEncoder::sampleSentAsAByte()
{
    QFETCH(Coding, coding);
    SampleEncoder encoder(coding);
    const std::optional<qint16> sample = encoder.sampleSentAs(0x10);
    QVERIFY(sample);
    QCOMPARE(encoder.encode({*sample}), QByteArray(1, 0x10));
}

QTEST_GUILESS_MAIN(tst_SampleEncoder)
#include "tst_SampleEncoder.moc"
