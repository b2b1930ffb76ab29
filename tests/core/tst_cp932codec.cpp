#include "Cp932Codec.h"

#include "OptionalToString.h"

#include <QTest>

// Byte sequences below were taken from `iconv -f UTF-8 -t CP932` on the command line.
class TestCp932Codec : public QObject {
    Q_OBJECT
private slots:
    void decodesTheWindowsWay_data();
    void decodesTheWindowsWay();
    void refusesWhatWouldNotReadBackUnchanged_data();
    void refusesWhatWouldNotReadBackUnchanged();
    void everyDecodedCharacterEncodesBackToItself();
};

void TestCp932Codec::decodesTheWindowsWay_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("encodesBack"); // to the same bytes
    QTest::newRow("names, half-width katakana") << QByteArray("8e52936391be98592091cc88e78ad9b1b2")
                                                << QStringLiteral("山田太郎 体育館ｱｲ") << true;
    QTest::newRow("0x5C trail bytes")
        << QByteArray("955c835c945c") << QStringLiteral("表ソ能") << true;
    QTest::newRow("[ trail byte of ー") << QByteArray("5b815b5d") << QStringLiteral("[ー]") << true;
    // The Windows forms of characters that have look-alikes.
    QTest::newRow("0x5C and 0x7E as ASCII") << QByteArray("5c7e") << QStringLiteral("\\~") << true;
    QTest::newRow("full-width tilde U+FF5E")
        << QByteArray("8160") << QStringLiteral("\uFF5E") << true;
    QTest::newRow("horizontal bar U+2015")
        << QByteArray("815c") << QStringLiteral("\u2015") << true;
    QTest::newRow("NUL stays") << QByteArray("410042") << QString::fromUtf8("A\0B", 3) << true;
    // Every byte that starts no valid character becomes one U+FFFD, which cannot be saved.
    QTest::newRow("undefined bytes")
        << QByteArray("80a0fdfeff") << QString(5, QChar(0xFFFD)) << false;
    QTest::newRow("lead byte before LF and at the end")
        << QByteArray("810a4181") << QStringLiteral("\uFFFD\nA\uFFFD") << false;
    QTest::newRow("unassigned pair: trail kept")
        << QByteArray("8540") << QStringLiteral("\uFFFD@") << false;
}

void TestCp932Codec::decodesTheWindowsWay()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, text);
    QFETCH(bool, encodesBack);
    QCOMPARE(Cp932Codec::decode(QByteArray::fromHex(hex)), text);
    QCOMPARE(Cp932Codec::encode(text).value_or("(refused)").toHex(),
             encodesBack ? hex : QByteArray("(refused)").toHex());
    QCOMPARE(Cp932Codec::firstUnencodable(text).has_value(), !encodesBack);
}

// glibc writes the look-alikes as codes that read back as other characters; saving them would
// change a name behind the user's back, so they are refused like characters the code page lacks.
void TestCp932Codec::refusesWhatWouldNotReadBackUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("emoji after text") << QStringLiteral("会員😀あ") << QStringLiteral("😀");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
    QTest::newRow("first of two: euro sign") << QStringLiteral("a€😀") << QStringLiteral("€");
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
