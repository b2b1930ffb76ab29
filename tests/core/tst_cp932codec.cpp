#include "Cp932Codec.h"

#include "OptionalToString.h"

#include <QTest>

// Byte sequences below were taken from `iconv -f UTF-8 -t CP932` on the command line.
class TestCp932Codec : public QObject {
    Q_OBJECT
private slots:
    void decodesWindowsCodePage932_data();
    void decodesWindowsCodePage932();
    void encodesWindowsCodePage932_data();
    void encodesWindowsCodePage932();
    void refusesCharactersOutsideTheCodePage_data();
    void refusesCharactersOutsideTheCodePage();
    void refusesLookAlikesThatReadBackChanged_data();
    void refusesLookAlikesThatReadBackChanged();
    void keepsTheWindowsFormsOfTheLookAlikes_data();
    void keepsTheWindowsFormsOfTheLookAlikes();
    void everyDecodedCharacterEncodesBackToItself();
};

void TestCp932Codec::decodesWindowsCodePage932_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("41627a") << QStringLiteral("Abz");
    QTest::newRow("japanese key") << QByteArray("979897708ff08c8f") << QStringLiteral("利用条件");
    QTest::newRow("0x5C as backslash") << QByteArray("5c7e") << QStringLiteral("\\~");
    QTest::newRow("0x5C trail byte of 表") << QByteArray("955c8ea6") << QStringLiteral("表示");
    QTest::newRow("0x5C trail byte of ソ")
        << QByteArray("835c83748367") << QStringLiteral("ソフト");
    QTest::newRow("[ trail byte of ー") << QByteArray("5b815b5d") << QStringLiteral("[ー]");
    QTest::newRow("half-width katakana") << QByteArray("b1b2") << QStringLiteral("ｱｲ");
    QTest::newRow("0x8160 as full-width tilde") << QByteArray("8160") << QStringLiteral("～");
    QTest::newRow("NUL stays") << QByteArray("410042")
                               << QString(QStringLiteral("A") + QChar(0) + QStringLiteral("B"));
    QTest::newRow("undefined single bytes")
        << QByteArray("80a0fdfeff") << QString(5, QChar(0xFFFD));
    QTest::newRow("lead byte at the end") << QByteArray("4181") << QStringLiteral("A\uFFFD");
    QTest::newRow("lead byte before LF") << QByteArray("810a41") << QStringLiteral("\uFFFD\nA");
    QTest::newRow("lead byte before =") << QByteArray("e03d31") << QStringLiteral("\uFFFD=1");
    QTest::newRow("unassigned double byte: lead lost, trail kept")
        << QByteArray("8540") << QStringLiteral("\uFFFD@");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestCp932Codec::decodesWindowsCodePage932()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, expected);
    QCOMPARE(Cp932Codec::decode(QByteArray::fromHex(hex)), expected);
}

void TestCp932Codec::encodesWindowsCodePage932_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("ascii") << QStringLiteral("CH=-1") << QByteArray("43483d2d31");
    QTest::newRow("japanese keys") << QStringLiteral("利用目的日付時間帯")
                                   << QByteArray("9798977096da934993fa95748e9e8ad491d1");
    QTest::newRow("names") << QStringLiteral("山田太郎 体育館")
                           << QByteArray("8e52936391be985920"
                                         "91cc88e78ad9");
    QTest::newRow("0x5C trail bytes") << QStringLiteral("表ソ能") << QByteArray("955c835c945c");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲ") << QByteArray("b1b2");
    QTest::newRow("full-width latin")
        << QStringLiteral("ＡＢａｂ") << QByteArray("8260826182818282");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestCp932Codec::encodesWindowsCodePage932()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    const auto encoded = Cp932Codec::encode(text);
    QVERIFY(encoded);
    QCOMPARE(encoded->toHex(), hex);
    QCOMPARE(Cp932Codec::firstUnencodable(text), std::nullopt);
}

void TestCp932Codec::refusesCharactersOutsideTheCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("emoji after text") << QStringLiteral("会員😀あ") << QStringLiteral("😀");
    QTest::newRow("hangul") << QStringLiteral("한") << QStringLiteral("한");
    QTest::newRow("euro sign") << QStringLiteral("10€") << QStringLiteral("€");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
    QTest::newRow("first of two") << QStringLiteral("a€😀") << QStringLiteral("€");
}

void TestCp932Codec::refusesCharactersOutsideTheCodePage()
{
    QFETCH(QString, text);
    QFETCH(QString, culprit);
    QCOMPARE(Cp932Codec::encode(text), std::nullopt);
    QCOMPARE(Cp932Codec::firstUnencodable(text), std::optional<QString>(culprit));
}

// glibc writes these as look-alikes that read back as other characters; saving them would
// change a name behind the user's back, so they are refused like characters the code page lacks.
void TestCp932Codec::refusesLookAlikesThatReadBackChanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("wave dash U+301C")
        << QStringLiteral("10時\u301C12時") << QStringLiteral("\u301C");
    QTest::newRow("em dash U+2014") << QStringLiteral("A\u2014B") << QStringLiteral("\u2014");
    QTest::newRow("yen sign U+00A5") << QStringLiteral("500\u00A5") << QStringLiteral("\u00A5");
}

void TestCp932Codec::refusesLookAlikesThatReadBackChanged()
{
    QFETCH(QString, text);
    QFETCH(QString, culprit);
    QCOMPARE(Cp932Codec::encode(text), std::nullopt);
    QCOMPARE(Cp932Codec::firstUnencodable(text), std::optional<QString>(culprit));
}

void TestCp932Codec::keepsTheWindowsFormsOfTheLookAlikes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("full-width tilde U+FF5E") << QStringLiteral("\uFF5E") << QByteArray("8160");
    QTest::newRow("horizontal bar U+2015") << QStringLiteral("\u2015") << QByteArray("815c");
    QTest::newRow("backslash") << QStringLiteral("\\") << QByteArray("5c");
}

void TestCp932Codec::keepsTheWindowsFormsOfTheLookAlikes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    const auto encoded = Cp932Codec::encode(text);
    QVERIFY(encoded);
    QCOMPARE(encoded->toHex(), hex);
    QCOMPARE(Cp932Codec::decode(*encoded), text);
}

void TestCp932Codec::everyDecodedCharacterEncodesBackToItself()
{
    int characters = 0;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const char bytes[2] = {char(lead), char(trail)};
            const QString decoded = Cp932Codec::decode(QByteArrayView(bytes, 2));
            if (decoded.size() != 1 || decoded[0] == QChar(0xFFFD))
                continue;
            ++characters;
            const auto encoded = Cp932Codec::encode(decoded);
            QVERIFY2(encoded, qPrintable(decoded));
            QCOMPARE(Cp932Codec::decode(*encoded), decoded);
            QCOMPARE(encoded->size(), Cp932Codec::byteLength(decoded[0]));
        }
    }
    QVERIFY(characters > 7000); // the JIS X 0208 set and the Windows extensions
}

QTEST_APPLESS_MAIN(TestCp932Codec)
#include "tst_cp932codec.moc"
