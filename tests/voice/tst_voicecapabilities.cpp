#include "VoiceCapabilities.h"

#include <QTest>

class TestVoiceCapabilities : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choosesFormat_data();
    void choosesFormat();
    void findsTelephoneLine_data();
    void findsTelephoneLine();
};

namespace {

// "<method> <coding> <rate> <modem's name>", or "none".
QString describe(const std::optional<VoiceFormat>& format)
{
    if (!format)
        return QStringLiteral("none");
    const char* codings[] = {"signed", "unsigned", "mu-law", "A-law"};
    return QStringLiteral("%1 %2 %3 %4")
        .arg(format->method)
        .arg(QLatin1String(codings[int(format->encoding)]))
        .arg(format->sampleRate)
        .arg(format->modemName);
}

} // namespace

void TestVoiceCapabilities::choosesFormat_data()
{
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("signed PCM before everything else")
        << QStringList{"AT+VSM=?",
                       "1,\"UNSIGNED PCM\",8,0,(7200,8000,11025),0,0",
                       "129,\"IMA ADPCM\",4,0,(7200,8000),0,0",
                       "4,\"G711U\",8,0,8000,0,0",
                       "0,\"SIGNED PCM\",8,0,8000,0,0",
                       "",
                       "OK"}
        << "0 signed 8000 SIGNED PCM";
    QTest::newRow("LINEAR alone is unsigned, parenthesised fields")
        << QStringList{"128,\"8-BIT LINEAR\",8,0,(7200,8000,11025),(0),(0)",
                       "132,\"ULAW\",8,0,(8000),0,0"}
        << "128 unsigned 8000 8-BIT LINEAR";
    QTest::newRow("mu-law before A-law, +VSM: prefix")
        << QStringList{"+VSM: 5,\"ALAW\",8,0,8000,0,0", "+VSM: 4,\"G.711 MU-LAW\",8,0,8000,0,0"}
        << "4 mu-law 8000 G.711 MU-LAW";
    QTest::newRow("A-law alone") << QStringList{"7,\"G.711A\",8,0,8000,0,0"}
                                 << "7 A-law 8000 G.711A";
    QTest::newRow("no quotes, trailing fields left out")
        << QStringList{"130,UNSIGNED PCM,8,0,7200"} << "130 unsigned 7200 UNSIGNED PCM";
    QTest::newRow("semicolons, 8000 inside a range")
        << QStringList{"2;\"SIGNED PCM\";8;0;(7200-11025)"} << "2 signed 8000 SIGNED PCM";
    QTest::newRow("11025 when 8000 is missing, 16-bit PCM left out")
        << QStringList{"3,\"SIGNED PCM\",16,0,8000,0,0", "1,\"UNSIGNED PCM\",8,0,(11025),0,0"}
        << "1 unsigned 11025 UNSIGNED PCM";
    QTest::newRow("ADPCM and CELP only, PCM at a rate no decoder takes")
        << QStringList{"2;ADPCM;2;0;(9600)", "1;CELP;1;0;(9600)", "129,\"IMA ADPCM\",4,0,8000",
                       "0,\"SIGNED PCM\",8,0,9600"}
        << "none";
    QTest::newRow("garbage and cut-off lines skipped")
        << QStringList{"\x01\xff+VSM:,,,", "x,\"SIGNED PCM\",8,0,8000", "0,\"SIGNED PCM\",8",
                       "+VSM: (((", "4,\"ULAW\",8,0,8000,0,0"}
        << "4 mu-law 8000 ULAW";
}

void TestVoiceCapabilities::choosesFormat()
{
    QFETCH(QStringList, answer);
    QTEST(describe(VoiceCapabilities::choose(VoiceCapabilities::parseMethods(answer))), "chosen");
}

void TestVoiceCapabilities::findsTelephoneLine_data()
{
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<int>("label"); // -1: none

    QTest::newRow("label 1 on most chipsets")
        << QStringList{"0,\"\",B0804100,B0804100,B0804100", "1,\"T\",0B8433C1,0FE431C1,0B8431C1",
                       "3,\"LT\",0B8433C1,0FE431C1,0B8431C1", "5,\"ST\",0B8433C1,0FE431C1,0B8431C1"}
        << 1;
    QTest::newRow("another label, prefix and blanks")
        << QStringList{"+VLS: 0, \"\", B0804100", "+VLS: 1, \"LT\", 0B8433C1",
                       "+VLS: 2, \"T\", 0B8433C1", "OK"}
        << 2;
    QTest::newRow("no quotes") << QStringList{"0,,B0804100", "4,ST,0B8433C1", "6,T,0B8433C1"} << 6;
    QTest::newRow("no line alone") << QStringList{"0,\"\",B0804100", "1,\"LT\",0B84"} << -1;
}

void TestVoiceCapabilities::findsTelephoneLine()
{
    QFETCH(QStringList, answer);
    QTEST(VoiceCapabilities::telephoneLineSetting(answer).value_or(-1), "label");
}

QTEST_GUILESS_MAIN(TestVoiceCapabilities)
#include "tst_voicecapabilities.moc"
