#include "Cp932Codec.h"

#include "OptionalToString.h"

#include <QTest>

// Byte sequences below were taken from `iconv -f UTF-8 -t CP932` on the command line.
class TestCp932Codec : public QObject {
    Q_OBJECT
private slots:
    void convertsBothWays_data();
    void convertsBothWays();
    void decodesInvalidBytesAsReplacements_data();
    void decodesInvalidBytesAsReplacements();
    void refusesWhatWouldNotReadBackUnchanged_data();
    void refusesWhatWouldNotReadBackUnchanged();
    void everyDecodedCharacterEncodesBackToItself();
};

void TestCp932Codec::convertsBothWays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("names") << QStringLiteral("山田太郎 体育館")
                           << QByteArray("8e52936391be98592091cc88e78ad9");
    QTest::newRow("0x5C trail bytes") << QStringLiteral("表ソ能") << QByteArray("955c835c945c");
    QTest::newRow("[ trail byte of ー") << QStringLiteral("[ー]") << QByteArray("5b815b5d");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲ") << QByteArray("b1b2");
    QTest::newRow("full-width latin") << QStringLiteral("Ａａ") << QByteArray("82608281");
    // The Windows forms of characters that have look-alikes.
    QTest::newRow("0x5C and 0x7E as ASCII") << QStringLiteral("\\~") << QByteArray("5c7e");
    QTest::newRow("full-width tilde U+FF5E") << QStringLiteral("\uFF5E") << QByteArray("8160");
    QTest::newRow("horizontal bar U+2015") << QStringLiteral("\u2015") << QByteArray("815c");
}

void TestCp932Codec::convertsBothWays()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    QCOMPARE(Cp932Codec::decode(QByteArray::fromHex(hex)), text);
    QCOMPARE(Cp932Codec::encode(text).value_or("(refused)").toHex(), hex);
    QCOMPARE(Cp932Codec::firstUnencodable(text), std::nullopt);
}

void TestCp932Codec::decodesInvalidBytesAsReplacements_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("expected");
    QTest::newRow("NUL stays") << QByteArray("410042") << QString::fromUtf8("A\0B", 3);
    QTest::newRow("undefined bytes") << QByteArray("80a0fdfeff") << QString(5, QChar(0xFFFD));
    QTest::newRow("lead byte before LF and at the end")
        << QByteArray("810a4181") << QStringLiteral("\uFFFD\nA\uFFFD");
    QTest::newRow("unassigned pair: trail kept") << QByteArray("8540") << QStringLiteral("\uFFFD@");
}

void TestCp932Codec::decodesInvalidBytesAsReplacements()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, expected);
    QCOMPARE(Cp932Codec::decode(QByteArray::fromHex(hex)), expected);
}

// glibc writes the look-alikes as codes that read back as other characters; saving them would
// change a name behind the user's back, so they are refused like characters the code page lacks.
void TestCp932Codec::refusesWhatWouldNotReadBackUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("emoji after text") << QStringLiteral("会員😀あ") << QStringLiteral("😀");
    QTest::newRow("euro sign") << QStringLiteral("10€") << QStringLiteral("€");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
    QTest::newRow("first of two") << QStringLiteral("a€😀") << QStringLiteral("€");
    QTest::newRow("wave dash U+301C") << QStringLiteral("時\u301C") << QStringLiteral("\u301C");
    QTest::newRow("em dash U+2014") << QStringLiteral("A\u2014B") << QStringLiteral("\u2014");
    QTest::newRow("yen sign U+00A5") << QStringLiteral("500\u00A5") << QStringLiteral("\u00A5");
}

void TestCp932Codec::refusesWhatWouldNotReadBackUnchanged()
{
    QFETCH(QString, text);
    QFETCH(QString, culprit);
    QCOMPARE(Cp932Codec::encode(text), std::nullopt);
    QCOMPARE(Cp932Codec::firstUnencodable(text), std::optional<QString>(culprit));
}

void TestCp932Codec::everyDecodedCharacterEncodesBackToItself()
{
    int characters = 0;
    for (int code = 0; code <= 0xFFFF; ++code) {
        const char bytes[2] = {char(code >> 8), char(code & 0xFF)};
        const QString decoded = Cp932Codec::decode(QByteArrayView(bytes, 2));
        if (decoded.size() != 1 || decoded[0] == QChar(0xFFFD))
            continue;
        ++characters;
        const QByteArray encoded = Cp932Codec::encode(decoded).value_or(QByteArray());
        QCOMPARE(Cp932Codec::decode(encoded), decoded);
        QCOMPARE(encoded.size(), Cp932Codec::byteLength(decoded[0]));
    }
    QVERIFY(characters > 7000); // the JIS X 0208 set and the Windows extensions
}

QTEST_APPLESS_MAIN(TestCp932Codec)
#include "tst_cp932codec.moc"
