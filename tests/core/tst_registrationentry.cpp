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
const QString FullList = QStringLiteral("登録できるのは64件までです。");

// The failing field (-1: passes) and its exact message when the entry joins a list of
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
    void checksReportTheFirstFailingField_data();
    void checksReportTheFirstFailingField();
    void splitsByPosition_data();
    void splitsByPosition();
};

void TestRegistrationEntry::checksReportTheFirstFailingField_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("alreadyInList");
    row("member 32 kanji", {QString(32, u'山'), "12345678", "0000"}, Member, -1, "");
    row("7 digits with a letter: length first", {"a", "123456x", "0000"}, Member, 1, WrongLength);
    row("member full-width digit", {"a", "１2345678", "0000"}, Member, 1, NotDigits);
    row("member '/' below 0", {"a", "12345678", "/000"}, Member, 2, NotDigits);
    row("33 units (surrogate pairs count two), reported before the number",
        {QStringLiteral("𠮷").repeated(16) + "a", "1", "x"}, Member, 0, "長すぎます");
    row("emoji in member name", {"太郎😀", "12345678", "0000"}, Member, 0,
        "文字「😀」は保存できません（シフトJISにない文字です）。");
    row("line break in facility name", {"0101", "01", "a\nb"}, Facility, 2,
        "改行などの制御文字は保存できません。");
    // An addition also refuses what the file would lose at the next load.
    row("addition: 64th entry accepted", {"太郎", "12345678", "0000"}, Member, -1, "", 63);
    row("addition: 65th entry refused, before field errors", {"", "1", "1"}, Member, 0, FullList,
        64);
    row("addition: blanks then Stopper refused, the file drops them",
        {"  Stopper", "12345678", "0000"}, Member, 0, "「Stop」で始まる名前は登録できません。", 0);
    row("addition: Stop in lower case or inside accepted", {"stop Stop", "12345678", "0000"},
        Member, -1, "", 0);
    row("addition: facility named Stop accepted", {"0101", "01", "Stop"}, Facility, -1, "", 0);
}

void TestRegistrationEntry::checksReportTheFirstFailingField()
{
    QFETCH(Fields, fields);
    QFETCH(Limits, limits);
    QFETCH(int, field);
    QFETCH(QString, message);
    QFETCH(int, alreadyInList);
    const auto failure = RegistrationEntry::checkAddition(fields, limits, alreadyInList);
    QCOMPARE(failure ? failure->field : -1, field);
    QCOMPARE(failure ? failure->message : QString(), message);
}

// Lines compose() makes split back into their fields. Lines the file can give back that
// compose() never makes: the codes keep their positions from the end (member) or the start
// (facility), as the field senders read them; a field whose positions fall outside the line
// keeps what is there, or is empty.
void TestRegistrationEntry::splitsByPosition_data()
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
    row("member empty name: 14", " 12345678 0123", Member, {"", "12345678", "0123"}, true);
    row("facility empty name: 8", "0101 01 ", Facility, {"0101", "01", ""}, true);
    row("member 13: name lost its blank", "12345678 0123", Member, {"", "12345678", "0123"}, false);
    row("member 3", "abc", Member, {"", "", "abc"}, false);
    row("facility 7: name lost its blank", "0101 01", Facility, {"0101", "01", ""}, false);
    row("separators never looked at", "0101x01y名前", Facility, {"0101", "01", "名前"}, false);
}

void TestRegistrationEntry::splitsByPosition()
{
    QFETCH(QString, line);
    QFETCH(Limits, limits);
    QFETCH(Fields, fields);
    QFETCH(bool, composed);
    QCOMPARE(RegistrationEntry::split(line, limits), fields);
    if (composed)
        QCOMPARE(RegistrationEntry::compose(fields), line);
}

QTEST_APPLESS_MAIN(TestRegistrationEntry)
#include "tst_registrationentry.moc"
