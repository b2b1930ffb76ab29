#include "RegistrationEntry.h"

#include <QTest>

using Fields = RegistrationEntry::Fields;
using Limits = RegistrationEntry::Limits;

Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(Limits)

namespace {

const QString WrongLength = QStringLiteral("長さが違います");
const QString NotDigits = QStringLiteral("数字を入力してください");
const QString TooLong = QStringLiteral("長すぎます");

} // namespace

class TestRegistrationEntry : public QObject {
    Q_OBJECT
private slots:
    void checkReportsTheFirstFailingField_data();
    void checkReportsTheFirstFailingField();
    void checkRefusesNamesTheFileCannotHold_data();
    void checkRefusesNamesTheFileCannotHold();
    void composeThenSplitGivesTheFieldsBack_data();
    void composeThenSplitGivesTheFieldsBack();
    void splitsShortLinesWithoutFailing_data();
    void splitsShortLinesWithoutFailing();
    void additionRefusesEntriesTheFileWouldLose_data();
    void additionRefusesEntriesTheFileWouldLose();
};

void TestRegistrationEntry::checkReportsTheFirstFailingField_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("field"); // -1: passes
    QTest::addColumn<QString>("message");
    const Limits member = RegistrationEntry::MemberLimits;
    const Limits facility = RegistrationEntry::FacilityLimits;
    const QString name32 = QStringLiteral("山").repeated(32);

    QTest::newRow("member ok") << Fields{"山田 太郎", "12345678", "0000"} << member << -1
                               << QString();
    QTest::newRow("member empty name")
        << Fields{"", "12345678", "0000"} << member << -1 << QString();
    QTest::newRow("member 32 kanji")
        << Fields{name32, "12345678", "0000"} << member << -1 << QString();
    QTest::newRow("member 33 characters")
        << Fields{QStringLiteral("a").repeated(33), "12345678", "0000"} << member << 0 << TooLong;
    QTest::newRow("member 7 digits")
        << Fields{"a", "1234567", "0000"} << member << 1 << WrongLength;
    QTest::newRow("member 9 digits")
        << Fields{"a", "123456789", "0000"} << member << 1 << WrongLength;
    QTest::newRow("member letter") << Fields{"a", "1234567x", "0000"} << member << 1 << NotDigits;
    QTest::newRow("member full-width digit")
        << Fields{"a", "１2345678", "0000"} << member << 1 << NotDigits;
    QTest::newRow("member blank in number")
        << Fields{"a", "1234 678", "0000"} << member << 1 << NotDigits;
    QTest::newRow("member '/' below 0")
        << Fields{"a", "12345678", "/000"} << member << 2 << NotDigits;
    QTest::newRow("member ':' above 9")
        << Fields{"a", "12345678", "000:"} << member << 2 << NotDigits;
    QTest::newRow("member PIN empty") << Fields{"a", "12345678", ""} << member << 2 << WrongLength;
    QTest::newRow("member name and number wrong: name only")
        << Fields{QStringLiteral("a").repeated(40), "1", "x"} << member << 0 << TooLong;
    QTest::newRow("member length before digits")
        << Fields{"a", "x", "0000"} << member << 1 << WrongLength;
    QTest::newRow("surrogate pair counts two")
        << Fields{QStringLiteral("𠮷").repeated(16) + "a", "12345678", "0000"} << member << 0
        << TooLong;

    QTest::newRow("facility ok") << Fields{"0101", "01", "体育館 A面"} << facility << -1
                                 << QString();
    QTest::newRow("facility empty name") << Fields{"0101", "01", ""} << facility << -1 << QString();
    QTest::newRow("facility both codes wrong: first only")
        << Fields{"01", "x", ""} << facility << 0 << WrongLength;
    QTest::newRow("facility code letter") << Fields{"01a1", "01", ""} << facility << 0 << NotDigits;
    QTest::newRow("facility breakdown 3 digits")
        << Fields{"0101", "011", ""} << facility << 1 << WrongLength;
    QTest::newRow("facility name 33")
        << Fields{"0101", "01", QStringLiteral("b").repeated(33)} << facility << 2 << TooLong;
}

void TestRegistrationEntry::checkReportsTheFirstFailingField()
{
    QFETCH(Fields, fields);
    QFETCH(Limits, limits);
    QFETCH(int, field);
    QFETCH(QString, message);
    const auto failure = RegistrationEntry::check(fields, limits);
    QCOMPARE(failure.has_value(), field >= 0);
    if (failure) {
        QCOMPARE(failure->field, field);
        QCOMPARE(failure->message, message);
    }
}

void TestRegistrationEntry::checkRefusesNamesTheFileCannotHold_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("emoji in member name")
        << Fields{"太郎😀", "12345678", "0000"} << RegistrationEntry::MemberLimits << 0 << "😀";
    QTest::newRow("hangul in facility name")
        << Fields{"0101", "01", "한강"} << RegistrationEntry::FacilityLimits << 2 << "한";
    QTest::newRow("line break in member name")
        << Fields{"a\nb", "12345678", "0000"} << RegistrationEntry::MemberLimits << 0 << "改行";
}

void TestRegistrationEntry::checkRefusesNamesTheFileCannotHold()
{
    QFETCH(Fields, fields);
    QFETCH(Limits, limits);
    QFETCH(int, field);
    QFETCH(QString, culprit);
    const auto failure = RegistrationEntry::check(fields, limits);
    QVERIFY(failure);
    QCOMPARE(failure->field, field);
    QVERIFY2(failure->message.contains(culprit), qPrintable(failure->message));
}

void TestRegistrationEntry::composeThenSplitGivesTheFieldsBack_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<QString>("line");
    QTest::newRow("member") << Fields{"山田 太郎", "12345678", "0123"}
                            << RegistrationEntry::MemberLimits << "山田 太郎 12345678 0123";
    QTest::newRow("member empty name: 14 characters")
        << Fields{"", "12345678", "0123"} << RegistrationEntry::MemberLimits << " 12345678 0123";
    QTest::newRow("member name of blanks and digits")
        << Fields{" 1 2 ", "12345678", "0123"} << RegistrationEntry::MemberLimits
        << " 1 2  12345678 0123";
    QTest::newRow("member 32 characters")
        << Fields{QStringLiteral("名").repeated(32), "87654321", "9999"}
        << RegistrationEntry::MemberLimits << QStringLiteral("名").repeated(32) + " 87654321 9999";
    QTest::newRow("facility") << Fields{"0101", "01", "テニス コート"}
                              << RegistrationEntry::FacilityLimits << "0101 01 テニス コート";
    QTest::newRow("facility empty name: 8 characters")
        << Fields{"0101", "01", ""} << RegistrationEntry::FacilityLimits << "0101 01 ";
}

void TestRegistrationEntry::composeThenSplitGivesTheFieldsBack()
{
    QFETCH(Fields, fields);
    QFETCH(Limits, limits);
    QFETCH(QString, line);
    QVERIFY(!RegistrationEntry::check(fields, limits));
    QCOMPARE(RegistrationEntry::compose(fields), line);
    QCOMPARE(RegistrationEntry::split(line, limits), fields);
}

// Lines the file can give back that Compose never makes. Chosen: the codes keep their
// positions from the end (member) or the start (facility), as the field senders read
// them; a field whose positions fall outside the line keeps what is there, or is empty.
void TestRegistrationEntry::splitsShortLinesWithoutFailing_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<Fields>("fields");
    const Limits member = RegistrationEntry::MemberLimits;
    const Limits facility = RegistrationEntry::FacilityLimits;
    QTest::newRow("member 13: empty name lost its blank")
        << "12345678 0123" << member << Fields{"", "12345678", "0123"};
    QTest::newRow("member 12: short number")
        << "1234567 0123" << member << Fields{"", "1234567", "0123"};
    QTest::newRow("member 5") << "x0123" << member << Fields{"", "", "0123"};
    QTest::newRow("member 3") << "abc" << member << Fields{"", "", "abc"};
    QTest::newRow("member empty") << "" << member << Fields{"", "", ""};
    QTest::newRow("member name without codes")
        << "山田太郎はここ" << member << Fields{"", "山田", "郎はここ"};
    QTest::newRow("facility 7: name lost its blank")
        << "0101 01" << facility << Fields{"0101", "01", ""};
    QTest::newRow("facility 6") << "0101 0" << facility << Fields{"0101", "0", ""};
    QTest::newRow("facility 3") << "010" << facility << Fields{"010", "", ""};
    QTest::newRow("facility empty") << "" << facility << Fields{"", "", ""};
    QTest::newRow("separators never looked at")
        << "0101x01y名前" << facility << Fields{"0101", "01", "名前"};
}

void TestRegistrationEntry::splitsShortLinesWithoutFailing()
{
    QFETCH(QString, line);
    QFETCH(Limits, limits);
    QFETCH(Fields, fields);
    QCOMPARE(RegistrationEntry::split(line, limits), fields);
}

void TestRegistrationEntry::additionRefusesEntriesTheFileWouldLose_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("alreadyInList");
    QTest::addColumn<int>("field"); // -1: accepted
    QTest::addColumn<QString>("messagePart");
    const Limits member = RegistrationEntry::MemberLimits;
    const Limits facility = RegistrationEntry::FacilityLimits;
    const Fields valid{"太郎", "12345678", "0000"};
    QTest::newRow("64th entry accepted") << valid << member << 63 << -1 << QString();
    QTest::newRow("65th member refused") << valid << member << 64 << 0 << "64";
    QTest::newRow("65th facility refused")
        << Fields{"0101", "01", ""} << facility << 64 << 0 << "64";
    QTest::newRow("full list before field errors")
        << Fields{"", "1", "1"} << member << 64 << 0 << "64";
    QTest::newRow("field errors as check")
        << Fields{"", "1", "1"} << member << 0 << 1 << WrongLength;
    QTest::newRow("Stop refused") << Fields{"Stop", "12345678", "0000"} << member << 0 << 0
                                  << "Stop";
    QTest::newRow("Stopper refused")
        << Fields{"Stopper", "12345678", "0000"} << member << 0 << 0 << "Stop";
    QTest::newRow("blanks then Stop refused: the file drops them")
        << Fields{"  Stop", "12345678", "0000"} << member << 0 << 0 << "Stop";
    QTest::newRow("stop in lower case accepted")
        << Fields{"stop", "12345678", "0000"} << member << 0 << -1 << QString();
    QTest::newRow("Sto accepted") << Fields{"Sto", "12345678", "0000"} << member << 0 << -1
                                  << QString();
    QTest::newRow("Stop inside accepted")
        << Fields{"No Stop", "12345678", "0000"} << member << 0 << -1 << QString();
    QTest::newRow("facility named Stop accepted")
        << Fields{"0101", "01", "Stop"} << facility << 0 << -1 << QString();
}

void TestRegistrationEntry::additionRefusesEntriesTheFileWouldLose()
{
    QFETCH(Fields, fields);
    QFETCH(Limits, limits);
    QFETCH(int, alreadyInList);
    QFETCH(int, field);
    QFETCH(QString, messagePart);
    const auto failure = RegistrationEntry::checkAddition(fields, limits, alreadyInList);
    QCOMPARE(failure.has_value(), field >= 0);
    if (failure) {
        QCOMPARE(failure->field, field);
        QVERIFY2(failure->message.contains(messagePart), qPrintable(failure->message));
    }
}

QTEST_APPLESS_MAIN(TestRegistrationEntry)
#include "tst_registrationentry.moc"
