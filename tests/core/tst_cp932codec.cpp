#include "Cp932Codec.h"

#include "OptionalToString.h"

#include <QTest>

// Byte sequences below were taken from `iconv -f UTF-8 -t CP932` on the command line.
class TestCp932Codec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convertsTheWindowsWay_data();
    void convertsTheWindowsWay();
    void everyDecodedCharacterEncodesBackToItself();
};

void TestCp932Codec::convertsTheWindowsWay_data()
{
    QTest::addColumn<QByteArray>("hex"); // empty: the text is only encoded
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit"); // what encode() refuses; empty: it gives back hex
    const auto row = [](const char* name, const QByteArray& hex, const QString& text,
                        const QString& culprit = {}) {
        QTest::newRow(name) << hex << text << culprit;
    };
    const QString replacement(QChar(0xFFFD));
    row("names, half-width katakana", "8e52936391be98592091cc88e78ad9b1b2",
        QStringLiteral("山田太郎 体育館ｱｲ"));
    row("0x5C trail bytes", "955c835c945c", QStringLiteral("表ソ能"));
    row("[ trail byte of ー", "5b815b5d", QStringLiteral("[ー]"));
    // The Windows forms of characters that have look-alikes.
    row("0x5C and 0x7E as ASCII", "5c7e", QStringLiteral("\\~"));
    row("full-width tilde U+FF5E", "8160", QStringLiteral("\uFF5E"));
    row("horizontal bar U+2015", "815c", QStringLiteral("\u2015"));
    row("NUL stays", "410042", QString::fromUtf8("A\0B", 3));
    // Every byte that starts no valid character becomes one U+FFFD, which cannot be saved.
    row("undefined bytes", "80a0fdfeff", QString(5, QChar(0xFFFD)), replacement);
    row("lead byte before LF and at the end", "810a4181", QStringLiteral("\uFFFD\nA\uFFFD"),
        replacement);
    row("unassigned pair: trail kept", "8540", QStringLiteral("\uFFFD@"), replacement);
    // glibc writes the look-alikes as codes that read back as other characters; saving them
    // would change a name behind the user's back, so they are refused like characters the code
    // page lacks.
    row("emoji after text", {}, QStringLiteral("会員😀あ"), QStringLiteral("😀"));
    row("lone surrogate", {}, QString(QChar(0xD800)), QString(QChar(0xD800)));
    row("first of two: euro sign", {}, QStringLiteral("a€😀"), QStringLiteral("€"));
    row("wave dash U+301C", {}, QStringLiteral("時\u301C"), QStringLiteral("\u301C"));
    row("em dash U+2014", {}, QStringLiteral("A\u2014B"), QStringLiteral("\u2014"));
    row("yen sign U+00A5", {}, QStringLiteral("500\u00A5"), QStringLiteral("\u00A5"));
}

void TestCp932Codec::convertsTheWindowsWay()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, text);
    QFETCH(QString, culprit);
    if (!hex.isEmpty())
        QCOMPARE(Cp932Codec::decode(QByteArray::fromHex(hex)), text);
    const bool refused = !culprit.isEmpty();
    QCOMPARE(Cp932Codec::encode(text).value_or("(refused)").toHex(),
             refused ? QByteArray("(refused)").toHex() : hex);
    QCOMPARE(Cp932Codec::firstUnencodable(text), refused ? std::optional(culprit) : std::nullopt);
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
