#include "ProfileReader.h"

#include "OptionalToString.h"

#include <QTest>

class TestProfileReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsValuesLikeTheWindowsProfileReader_data();
    void findsValuesLikeTheWindowsProfileReader();
    void readsTheNumberAtTheStart_data();
    void readsTheNumberAtTheStart();
};

void TestProfileReader::findsValuesLikeTheWindowsProfileReader_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("expected");
    const auto numberRow = [](const char* name, const QString& ini, std::optional<QString> expected,
                              const QString& section = "PHONE", const QString& key = "Number") {
        QTest::newRow(name) << ini << section << key << expected;
    };
    const std::optional<QString> missing;
    const auto value = [](const char* text) { return std::optional(QString::fromUtf8(text)); };

    numberRow("CR LF and LF line ends, none at the end", "[PHONE]\r\nDIAL=1\nNumber=0123",
              value("0123"));
    numberRow("names in another case", "[phone]\nnUMBER=1\n", value("1"));
    numberRow("blanks around everything", " \t[ PHONE ] \r\n \tNumber \t= \t 01 23 \t \r\n",
              value("01 23"));
    numberRow("empty value", "[PHONE]\nNumber=\nDIAL=1\n", value(""));
    numberRow("value with =", "[PHONE]\nNumber=a=b\n", value("a=b"));
    numberRow("first key wins", "[PHONE]\nNumber=1\nNUMBER=2\n", value("1"));
    numberRow("first section wins, even without the key",
              "[PHONE]\nDIAL=1\n[COM]\nCH=1\n[Phone]\nNumber=2\n", missing);
    numberRow("key before any section", "Number=1\n[PHONE]\n", missing);
    numberRow("line without =", "[PHONE]\nNumber\nNumber=2\n", value("2"));
    numberRow("value ends at NUL", QStringLiteral("[PHONE]\nNumber=12 ") + QChar(0) + "34\n",
              value("12"));
    numberRow("unclosed header is a key line of the section before", "[PHONE]\n[COM\nNumber=1\n",
              value("1"));
    numberRow("lone CR is part of the value", "[PHONE]\nNumber=1\r2\n", value("1\r2"));

    // Cut to 254 bytes of code page 932, as a 255-byte read buffer holds.
    const QString head = QStringLiteral("[PHONE]\nNumber=");
    const QString ascii254(254, u'a');
    const QString kanji127(127, u'表');
    const QString kana254(254, QChar(0xFF71));
    numberRow("255th byte dropped", head + ascii254 + u'b', ascii254);
    numberRow("double byte never split", head + u'a' + kanji127, u'a' + kanji127.left(126));
    numberRow("half-width katakana count one", head + kana254 + u'x', kana254);
    numberRow("blanks before the cut removed", head + QString(250, u'a') + "    bbb",
              QString(250, u'a'));
    numberRow("leading blanks do not count", head + "   " + ascii254, ascii254);
    numberRow("full-width letters fold too", "[ｐｈｏｎｅ]\nNumber=1\n", value("1"), "ＰＨＯＮＥ");
    numberRow("japanese key", "[CODE]\n日付=15\n", value("15"), "CODE", "日付");
    numberRow("header up to the last ], text after it", "[PH]ONE] ; note\nNumber=1\n", value("1"),
              "PH]ONE");
    const QString huge(1 << 20, u'x');
    numberRow("huge lines skipped",
              "[PHONE]\n" + huge + "=1\n[" + huge + "]\nNumber=" + huge + "\n[PHONE]\n", missing);
}

void TestProfileReader::findsValuesLikeTheWindowsProfileReader()
{
    QFETCH(QString, ini);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(std::optional<QString>, expected);
    const QList<ProfileReader::Section> wanted{{section, {key}},
                                               {QStringLiteral("COM"), {QStringLiteral("CH")}}};
    QCOMPARE(ProfileReader(ini, wanted).text(section, key), expected);
}

void TestProfileReader::readsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("missing key gives the fallback") << "XY=1" << 42;
    QTest::newRow("plus sign, leading zero is not octal") << "CH=+010" << 10;
    QTest::newRow("blanks, digits then text") << "CH=  12abc  " << 12;
    QTest::newRow("blank after sign") << "CH=- 1" << 0;
    QTest::newRow("full-width digit is no digit") << "CH=１" << 0;
    QTest::newRow("int min") << "CH=-2147483648" << int(-2147483647 - 1);
    QTest::newRow("huge saturates") << "CH=99999999999999999999999999" << 2147483647;
    QTest::newRow("huge negative saturates")
        << "CH=-99999999999999999999999" << int(-2147483647 - 1);
}

void TestProfileReader::readsTheNumberAtTheStart()
{
    QFETCH(QString, line);
    QFETCH(int, expected);
    const ProfileReader reader(QStringLiteral("[COM]\n") + line + u'\n',
                               {{QStringLiteral("COM"), {QStringLiteral("CH")}}});
    QCOMPARE(reader.integer(QStringLiteral("COM"), QStringLiteral("CH"), 42), expected);
}

QTEST_APPLESS_MAIN(TestProfileReader)
#include "tst_profilereader.moc"
