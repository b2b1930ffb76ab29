#include "RegistrationEntry.h"

#include <QTest>

using Fields = RegistrationEntry::Fields;
using Limits = RegistrationEntry::Limits;

Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(Limits)

namespace {

const Limits Member = RegistrationEntry::MemberLimits;
const Limits Facility = RegistrationEntry::FacilityLimits;
const QString WrongLength = QStringLiteral("長さが違います");
const QString NotDigits = QStringLiteral("数字を入力してください");
const QString TooLong = QStringLiteral("長すぎます");

// The failing field (-1: accepted) and its exact message when the entry joins a list of
// `alreadyInList` entries.
void row(const char* name, const Fields& fields, const Limits& limits, int field,
         const QString& message, int alreadyInList = 0)
{
    QTest::newRow(name) << fields << limits << field << message << alreadyInList;
}

} // namespace

class TestRegistrationEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkReportsTheFirstFailingField_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<Limits>("limits");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("alreadyInList");
        row("member at its limits", {QString(32, u'山'), "12345678", "0000"}, Member, -1, "");
        row("33 units, a surrogate pair counts two, before the codes",
            {QStringLiteral("𠮷").repeated(16) + "a", "1", "x"}, Member, 0, TooLong);
        row("7 digits and a letter: length first", {"a", "123456x", "0"}, Member, 1, WrongLength);
        row("tone sign in the number", {"a", "1234*678", "0000"}, Member, 1, NotDigits);
        row("5-digit PIN", {"a", "12345678", "00000"}, Member, 2, WrongLength);
        row("'/' in the PIN", {"a", "12345678", "/000"}, Member, 2, NotDigits);
        row("facility at its limits", {"0101", "01", QString(32, u'館')}, Facility, -1, "");
        row("3-digit facility code", {"010", "0", "a\nb"}, Facility, 0, WrongLength);
        row("letter in the breakdown", {"0101", "0a", "体育館"}, Facility, 1, NotDigits);
        row("33-character facility", {"0101", "01", QString(33, u'館')}, Facility, 2, TooLong);
        row("line break in the facility", {"0101", "01", "a\nb"}, Facility, 2,
            "改行などの制御文字は保存できません。");
        // The file holds 64 entries, and a member name starting with "Stop" ends the list at
        // the next load: either would lose entries.
        row("64th entry", {"太郎", "12345678", "0000"}, Member, -1, "", 63);
        row("65th entry, before any field", {"", "1", "1"}, Member, 0,
            "登録できるのは64件までです。", 64);
        row("Stop after blanks the file drops", {" \t\v\fStop", "12345678", "0000"}, Member, 0,
            "「Stop」で始まる名前は登録できません。");
        row("stop in lower case, Stop later", {"stop Stop", "12345678", "0000"}, Member, -1, "");
        row("facility named Stop", {"0101", "01", "Stop"}, Facility, -1, "");
    }

    void checkReportsTheFirstFailingField()
    {
        QFETCH(Fields, fields);
        QFETCH(Limits, limits);
        QFETCH(int, alreadyInList);
        const auto failure = RegistrationEntry::checkAddition(fields, limits, alreadyInList);
        QTEST(failure ? failure->field : -1, "field");
        QTEST(failure ? failure->message : QString(), "message");
    }

    // Lines compose() makes split back into their fields. A line the file gives back that
    // compose() never makes keeps its codes at their places from the end (member) or the
    // start (facility); a field whose places fall outside the line keeps what is there.
    void splitsByPosition_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Limits>("limits");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<bool>("composed");
        const auto row = [](const char* name, const QString& line, const Limits& limits,
                            const Fields& fields, bool composed) {
            QTest::newRow(name) << line << limits << fields << composed;
        };
        row("member", "山田 太郎 12345678 0123", Member, {"山田 太郎", "12345678", "0123"}, true);
        row("member, empty name", " 12345678 0123", Member, {"", "12345678", "0123"}, true);
        row("facility", "0101 01 体育 館", Facility, {"0101", "01", "体育 館"}, true);
        row("member without the blank", "12345678 0123", Member, {"", "12345678", "0123"}, false);
        row("member of 3", "abc", Member, {"", "", "abc"}, false);
        row("facility of 3", "010", Facility, {"010", "", ""}, false);
    }

    void splitsByPosition()
    {
        QFETCH(QString, line);
        QFETCH(Limits, limits);
        QFETCH(Fields, fields);
        QCOMPARE(RegistrationEntry::split(line, limits), fields);
        QFETCH(bool, composed);
        if (composed)
            QCOMPARE(RegistrationEntry::compose(fields), line);
    }
};

QTEST_APPLESS_MAIN(TestRegistrationEntry)
#include "tst_registrationentry.moc"
