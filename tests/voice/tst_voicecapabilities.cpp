#include "VoiceCapabilities.h"

#include <QTest>

Q_DECLARE_METATYPE(SampleEncoding)

class TestVoiceCapabilities : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choosesFormat_data();
    void choosesFormat();
    void findsTelephoneLine_data();
    void findsTelephoneLine();
};

void TestVoiceCapabilities::choosesFormat_data()
{
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("method");
    QTest::addColumn<SampleEncoding>("encoding");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("name");

    const auto none = SampleEncoding::SignedPcm;
    QTest::newRow("signed PCM before everything else")
        << QStringList{"AT+VSM=?",
                       "1,\"UNSIGNED PCM\",8,0,(7200,8000,11025),0,0",
                       "129,\"IMA ADPCM\",4,0,(7200,8000),0,0",
                       "4,\"G711U\",8,0,8000,0,0",
                       "0,\"SIGNED PCM\",8,0,8000,0,0",
                       "",
                       "OK"}
        << true << 0 << SampleEncoding::SignedPcm << 8000 << "SIGNED PCM";
    QTest::newRow("LINEAR alone is unsigned, parenthesised fields")
        << QStringList{"128,\"8-BIT LINEAR\",8,0,(7200,8000,11025),(0),(0)",
                       "132,\"ULAW\",8,0,(8000),0,0"}
        << true << 128 << SampleEncoding::UnsignedPcm << 8000 << "8-BIT LINEAR";
    QTest::newRow("mu-law before A-law, +VSM: prefix")
        << QStringList{"+VSM: 5,\"ALAW\",8,0,8000,0,0", "+VSM: 4,\"G.711 MU-LAW\",8,0,8000,0,0"}
        << true << 4 << SampleEncoding::MuLaw << 8000 << "G.711 MU-LAW";
    QTest::newRow("A-law when it is the only law")
        << QStringList{"7,\"G.711A\",8,0,8000,0,0"} << true << 7 << SampleEncoding::ALaw << 8000
        << "G.711A";
    QTest::newRow("no quotes, trailing fields left out")
        << QStringList{"130,UNSIGNED PCM,8,0,7200"} << true << 130 << SampleEncoding::UnsignedPcm
        << 7200 << "UNSIGNED PCM";
    QTest::newRow("8000 inside a range") << QStringList{"2;\"SIGNED PCM\";8;0;(7200-11025)"} << true
                                         << 2 << SampleEncoding::SignedPcm << 8000 << "SIGNED PCM";
    QTest::newRow("11025 when 8000 is missing, 16-bit PCM left out")
        << QStringList{"3,\"SIGNED PCM\",16,0,8000,0,0", "1,\"UNSIGNED PCM\",8,0,(11025),0,0"}
        << true << 1 << SampleEncoding::UnsignedPcm << 11025 << "UNSIGNED PCM";
    QTest::newRow("ADPCM and CELP only: not usable")
        << QStringList{"2;ADPCM;2;0;(9600)", "1;CELP;1;0;(9600)", "129,\"IMA ADPCM\",4,0,8000"}
        << false << 0 << none << 0 << "";
    QTest::newRow("a rate no decoder takes: not usable")
        << QStringList{"0,\"SIGNED PCM\",8,0,(9600),0,0"} << false << 0 << none << 0 << "";
    QTest::newRow("garbage and a cut-off line")
        << QStringList{"\x01\xff+VSM:,,,", "x,\"SIGNED PCM\",8,0,8000", "0,\"SIGNED PCM\",8",
                       "+VSM: (((", "4,\"ULAW\",8,0,8000,0,0"}
        << true << 4 << SampleEncoding::MuLaw << 8000 << "ULAW";
}

void TestVoiceCapabilities::choosesFormat()
{
    QFETCH(QStringList, answer);
    QFETCH(bool, usable);

    const std::optional<VoiceFormat> format =
        VoiceCapabilities::choose(VoiceCapabilities::parseMethods(answer));

    QCOMPARE(format.has_value(), usable);
    if (!usable)
        return;
    QTEST(format->method, "method");
    QTEST(format->encoding, "encoding");
    QTEST(format->sampleRate, "rate");
    QTEST(format->modemName, "name");
}

void TestVoiceCapabilities::findsTelephoneLine_data()
{
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<int>("label"); // -1: none

    QTest::newRow("label 1 on most chipsets")
        << QStringList{"0,\"\",B0804100,B0804100,B0804100", "1,\"T\",0B8433C1,0FE431C1,0B8431C1",
                       "3,\"LT\",0B8433C1,0FE431C1,0B8431C1", "5,\"ST\",0B8433C1,0FE431C1,0B8431C1"}
        << 1;
    QTest::newRow("line alone under another label, prefix and blanks")
        << QStringList{"+VLS: 0, \"\", B0804100", "+VLS: 1, \"LT\", 0B8433C1",
                       "+VLS: 2, \"T\", 0B8433C1", "OK"}
        << 2;
    QTest::newRow("no quotes, line alone not first")
        << QStringList{"0,,B0804100", "4,ST,0B8433C1", "6,T,0B8433C1"} << 6;
    QTest::newRow("no line alone") << QStringList{"0,\"\",B0804100", "1,\"LT\",0B84"} << -1;
}

void TestVoiceCapabilities::findsTelephoneLine()
{
    QFETCH(QStringList, answer);
    QFETCH(int, label);

    QCOMPARE(VoiceCapabilities::telephoneLineSetting(answer).value_or(-1), label);
}

QTEST_GUILESS_MAIN(TestVoiceCapabilities)
#include "tst_voicecapabilities.moc"
