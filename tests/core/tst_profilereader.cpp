#include "ProfileReader.h"

#include "OptionalToString.h"

#include <QTest>

namespace {

const QList<ProfileReader::Section> Wanted{
    {QStringLiteral("COM"), {QStringLiteral("CH")}},
    {QStringLiteral("PHONE"), {QStringLiteral("DIAL"), QStringLiteral("Number")}},
    {QStringLiteral("CODE"), {QStringLiteral("日付")}}};

std::optional<QString> textOf(const QString& ini, const QString& section, const QString& key)
{
    return ProfileReader(ini, Wanted).text(section, key);
}

} // namespace

class TestProfileReader : public QObject {
    Q_OBJECT
private slots:
    void findsValuesLikeTheWindowsProfileReader_data();
    void findsValuesLikeTheWindowsProfileReader();
    void cutsValuesTo254Bytes_data();
    void cutsValuesTo254Bytes();
    void readsTheNumberAtTheStart_data();
    void readsTheNumberAtTheStart();
    void givesNothingForNamesNotAskedFor();
    void skipsHugeLinesWithoutTrouble();
};

void TestProfileReader::findsValuesLikeTheWindowsProfileReader_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("expected");
    const std::optional<QString> missing;
    const auto value = [](const char* text) {
        return std::optional<QString>(QString::fromUtf8(text));
    };

    QTest::newRow("plain") << "[PHONE]\r\nNumber=0123\r\n"
                           << "PHONE"
                           << "Number" << value("0123");
    QTest::newRow("LF line ends") << "[PHONE]\nNumber=0123\n"
                                  << "PHONE"
                                  << "Number" << value("0123");
    QTest::newRow("no line end at the end") << "[PHONE]\nNumber=0123"
                                            << "PHONE"
                                            << "Number" << value("0123");
    QTest::newRow("section in another case") << "[phone]\nNumber=1\n"
                                             << "PHONE"
                                             << "Number" << value("1");
    QTest::newRow("key in another case") << "[PHONE]\nnUMBER=1\n"
                                         << "PHONE"
                                         << "Number" << value("1");
    QTest::newRow("full-width letters fold too") << "[ｐｈｏｎｅ]\nNumber=1\n"
                                                 << "ＰＨＯＮＥ"
                                                 << "Number" << value("1");
    QTest::newRow("japanese key") << "[CODE]\n日付=15\n"
                                  << "CODE"
                                  << "日付" << value("15");
    QTest::newRow("blanks around everything") << " \t[ PHONE ] \r\n \tNumber \t= \t 01 23 \t \r\n"
                                              << "PHONE"
                                              << "Number" << value("01 23");
    QTest::newRow("empty value") << "[PHONE]\nNumber=\nDIAL=1\n"
                                 << "PHONE"
                                 << "Number" << value("");
    QTest::newRow("value with =") << "[PHONE]\nNumber=a=b\n"
                                  << "PHONE"
                                  << "Number" << value("a=b");
    QTest::newRow("first key wins") << "[PHONE]\nNumber=1\nNUMBER=2\n"
                                    << "PHONE"
                                    << "Number" << value("1");
    QTest::newRow("first section wins, even without the key")
        << "[PHONE]\nDIAL=1\n[COM]\nCH=1\n[Phone]\nNumber=2\n"
        << "PHONE"
        << "Number" << missing;
    QTest::newRow("key of the first section, later one ignored")
        << "[PHONE]\nNumber=1\n[PHONE]\nNumber=2\n"
        << "PHONE"
        << "Number" << value("1");
    QTest::newRow("key before any section") << "Number=1\n[PHONE]\n"
                                            << "PHONE"
                                            << "Number" << missing;
    QTest::newRow("line without =") << "[PHONE]\nNumber\nNumber=2\n"
                                    << "PHONE"
                                    << "Number" << value("2");
    QTest::newRow("key in another section") << "[COM]\nNumber=1\n"
                                            << "PHONE"
                                            << "Number" << missing;
    QTest::newRow("value ends at NUL")
        << QString(QStringLiteral("[PHONE]\nNumber=12 ") + QChar(0) + QStringLiteral("34\n"))
        << "PHONE"
        << "Number" << value("12");
    QTest::newRow("NUL first gives empty")
        << QString(QStringLiteral("[PHONE]\nNumber=") + QChar(0) + QStringLiteral("34\n"))
        << "PHONE"
        << "Number" << value("");
    QTest::newRow("header up to the last ]") << "[PH]ONE]\nNumber=1\n"
                                             << "PH]ONE"
                                             << "Number" << value("1");
    QTest::newRow("text after the header") << "[PHONE] ; note\nNumber=1\n"
                                           << "PHONE"
                                           << "Number" << value("1");
    QTest::newRow("unclosed header is a key line of the section before")
        << "[PHONE]\n[COM\nNumber=1\n"
        << "PHONE"
        << "Number" << value("1");
    QTest::newRow("empty file") << ""
                                << "PHONE"
                                << "Number" << missing;
    QTest::newRow("lone CR is part of the value") << "[PHONE]\nNumber=1\r2\n"
                                                  << "PHONE"
                                                  << "Number" << value("1\r2");
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

void TestProfileReader::cutsValuesTo254Bytes_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    const QString ascii254(254, u'a');
    const QString kanji127(127, u'表');
    QTest::newRow("254 single bytes kept") << ascii254 << ascii254;
    QTest::newRow("255th byte dropped") << ascii254 + u'b' << ascii254;
    QTest::newRow("127 double bytes kept") << kanji127 << kanji127;
    QTest::newRow("double byte never split") << u'a' + kanji127 << u'a' + kanji127.left(126);
    QTest::newRow("half-width katakana count one")
        << QString(254, QChar(0xFF71)) + u'x' << QString(254, QChar(0xFF71));
    QTest::newRow("blanks before the cut removed")
        << QString(250, u'a') + QStringLiteral("    bbb") << QString(250, u'a');
    QTest::newRow("leading blanks do not count") << QStringLiteral("   ") + ascii254 << ascii254;
}

void TestProfileReader::cutsValuesTo254Bytes()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(textOf(QStringLiteral("[PHONE]\nNumber=") + value + u'\n', QStringLiteral("PHONE"),
                    QStringLiteral("Number")),
             expected);
}

void TestProfileReader::readsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("three") << "3" << 3;
    QTest::newRow("minus one") << "-1" << -1;
    QTest::newRow("plus sign") << "+2" << 2;
    QTest::newRow("blanks around") << "  7  " << 7;
    QTest::newRow("digits then text") << "12abc" << 12;
    QTest::newRow("text") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("blank after sign") << "- 1" << 0;
    QTest::newRow("full-width digit is no digit") << "１" << 0;
    QTest::newRow("int max") << "2147483647" << 2147483647;
    QTest::newRow("int min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("huge saturates") << "99999999999999999999999999" << 2147483647;
    QTest::newRow("huge negative saturates") << "-99999999999999999999999" << int(-2147483647 - 1);
    QTest::newRow("leading zeros") << "0003" << 3;
}

void TestProfileReader::readsTheNumberAtTheStart()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    const ProfileReader reader(QStringLiteral("[COM]\nCH=") + value + u'\n', Wanted);
    QCOMPARE(reader.integer(QStringLiteral("COM"), QStringLiteral("CH"), 42), expected);
}

void TestProfileReader::givesNothingForNamesNotAskedFor()
{
    const ProfileReader reader(QStringLiteral("[COM]\nCH=1\nXY=2\n[OTHER]\nCH=3\n"), Wanted);
    QCOMPARE(reader.text(QStringLiteral("COM"), QStringLiteral("XY")), std::nullopt);
    QCOMPARE(reader.text(QStringLiteral("OTHER"), QStringLiteral("CH")), std::nullopt);
    QCOMPARE(reader.integer(QStringLiteral("PHONE"), QStringLiteral("DIAL"), 5), 5);
    QCOMPARE(reader.integer(QStringLiteral("com"), QStringLiteral("ch"), 5), 1);
}

void TestProfileReader::skipsHugeLinesWithoutTrouble()
{
    const QString hugeName(1 << 20, u'x');
    const QString ini = QStringLiteral("[PHONE]\n") + hugeName + QStringLiteral("=1\n[") +
                        hugeName + QStringLiteral("]\nNumber=") + hugeName +
                        QStringLiteral("\n[PHONE]\n");
    const ProfileReader reader(ini, Wanted);
    QCOMPARE(reader.text(QStringLiteral("PHONE"), QStringLiteral("Number")), std::nullopt);
}

QTEST_APPLESS_MAIN(TestProfileReader)
#include "tst_profilereader.moc"
