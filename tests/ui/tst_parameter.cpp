#include "Parameter.h"
#include "ScriptedMessageBoxes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using Kind = RegistrationLists::Kind;
using Buttons = MessageBoxes::Buttons;
using Answer = MessageBoxes::Answer;

namespace {

const QString MemberCaption = QStringLiteral("メンバー追加");
const QString FacilityCaption = QStringLiteral("施設追加");

// Stands in for the main window: its two lists and every hand-back it received.
class FakeRegistrationLists : public RegistrationLists {
public:
    QStringList registrationList(Kind kind) const override
    {
        return kind == Kind::Members ? members : facilities;
    }
    void replaceRegistrationList(Kind kind, const QStringList& entries) override
    {
        handedBack.append(kind);
        (kind == Kind::Members ? members : facilities) = entries;
    }

    QStringList members;
    QStringList facilities;
    QList<Kind> handedBack;
};

} // namespace

class TestParameter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openingTwiceShowsTheCurrentListOnce();
    void closing_data();
    void closing();
    void refusedAddMarksTheFirstFailingField_data();
    void refusedAddMarksTheFirstFailingField();
    void addAppendsComposedLineAndKeepsFields();
    void enterAddsNothingUnasked();
    void removeDeletesEverySelectedItem_data();
    void removeDeletesEverySelectedItem();
    void doubleClickLoadsLowestSelected();
    void loadedMemberAddedUnchangedGivesSameLine();
    void applyHandsBackTheList_data();
    void applyHandsBackTheList();

private:
    void open(const QString& caption);
    QListWidget* list1() const { return child<QListWidget>("List1"); }
    QLineEdit* text1(int i) const { return child<QLineEdit>(QString("Text1_%1").arg(i)); }
    void click(const char* name) const;
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) const;
    void doubleClickRow(int row, Qt::KeyboardModifiers modifiers = {}) const;
    void fill(const QStringList& fields) const;
    QStringList fields() const;
    QStringList shownItems() const;
    void closeDiscarding();
    template <class T> T* child(const QString& name) const
    {
        T* found = m_editor->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    FakeRegistrationLists m_lists;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<Parameter> m_editor;
};

void TestParameter::init()
{
    m_lists = {};
    m_lists.members = {QStringLiteral("山田 太郎 12345678 1234"),
                       QStringLiteral("鈴木 87654321 4321")};
    m_lists.facilities = {QStringLiteral("1001 01 市民体育館"), QStringLiteral("2002 12 中央公園")};
    m_boxes.reset();
    m_editor = std::make_unique<Parameter>(m_lists, m_boxes);
}

void TestParameter::cleanup()
{
    m_editor.reset();
    QCOMPARE(m_boxes.pendingAnswers(), 0);
}

void TestParameter::open(const QString& caption)
{
    m_editor->setWindowTitle(caption);
    m_editor->show();
}

void TestParameter::click(const char* name) const
{
    QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
}

void TestParameter::clickRow(int row, Qt::KeyboardModifiers modifiers) const
{
    const QPoint centre = list1()->visualItemRect(list1()->item(row)).center();
    QTest::mouseClick(list1()->viewport(), Qt::LeftButton, modifiers, centre);
}

// The press before the double-click event is what a real double click delivers first.
void TestParameter::doubleClickRow(int row, Qt::KeyboardModifiers modifiers) const
{
    clickRow(row, modifiers);
    QTest::mouseDClick(list1()->viewport(), Qt::LeftButton, modifiers,
                       list1()->visualItemRect(list1()->item(row)).center());
}

void TestParameter::fill(const QStringList& fields) const
{
    for (int i = 0; i < 3; ++i)
        text1(i)->setText(fields.value(i));
}

QStringList TestParameter::fields() const
{
    return {text1(0)->text(), text1(1)->text(), text1(2)->text()};
}

QStringList TestParameter::shownItems() const
{
    QStringList items;
    for (int row = 0; row < list1()->count(); ++row)
        items.append(list1()->item(row)->text());
    return items;
}

// Leaves with the list changed: the question comes, OK discards.
void TestParameter::closeDiscarding()
{
    m_boxes.answerNext(Answer::Ok);
    click("close");
    QVERIFY(!m_editor->isVisible());
    QVERIFY(m_lists.handedBack.isEmpty());
}

void TestParameter::openingTwiceShowsTheCurrentListOnce()
{
    open(MemberCaption);
    fill({"取消分", "11112222", "3333"});
    click("add");
    closeDiscarding();
    m_lists.members.append(QStringLiteral("新規 99990000 9999"));
    open(MemberCaption);
    QCOMPARE(shownItems(), m_lists.members);
    QCOMPARE(fields(), QStringList(3));
    click("close"); // nothing carried over: no question
    QVERIFY(!m_editor->isVisible());
}

void TestParameter::closing_data()
{
    QTest::addColumn<int>("way");   // 0 "閉じる", 1 the close box, 2 Escape
    QTest::addColumn<int>("edits"); // 0 fields typed only, 1 an add, 2 an add then its removal
    QTest::addColumn<bool>("discard");
    QTest::newRow("閉じる, unchanged") << 0 << 0 << true;
    QTest::newRow("close box, unchanged") << 1 << 0 << true;
    QTest::newRow("Escape, unchanged") << 2 << 0 << true;
    QTest::newRow("閉じる, added, OK") << 0 << 1 << true;
    QTest::newRow("close box, added, OK") << 1 << 1 << true;
    QTest::newRow("Escape, added, OK") << 2 << 1 << true;
    QTest::newRow("close box, added, Cancel") << 1 << 1 << false;
    QTest::newRow("Escape, added and removed, Cancel") << 2 << 2 << false;
}

void TestParameter::closing()
{
    QFETCH(int, way);
    QFETCH(int, edits);
    QFETCH(bool, discard);
    const QStringList before = m_lists.members;
    open(MemberCaption);
    fill({"追加分", "55556666", "7777"});
    if (edits > 0)
        click("add");
    if (edits > 1) {
        list1()->setCurrentRow(2);
        click("del");
    }
    if (edits > 0)
        m_boxes.answerNext(discard ? Answer::Ok : Answer::Cancel);
    if (way == 0)
        click("close");
    else if (way == 1)
        m_editor->close();
    else
        QTest::keyClick(m_editor.get(), Qt::Key_Escape);

    QCOMPARE(m_boxes.shown().size(), edits > 0 ? 1 : 0);
    if (edits > 0) {
        QCOMPARE(m_boxes.shown()[0].title, QStringLiteral("終了確認"));
        QCOMPARE(m_boxes.shown()[0].text, QStringLiteral("変更を破棄しますか？"));
        QCOMPARE(m_boxes.shown()[0].buttons, Buttons::OkCancel);
    }
    QCOMPARE(m_editor->isVisible(), !discard);
    QCOMPARE(m_lists.members, before);
    QVERIFY(m_lists.handedBack.isEmpty());
    if (!discard) { // all kept as it was, the question comes again
        QCOMPARE(shownItems().size(), edits == 1 ? 3 : 2);
        QCOMPARE(fields(), (QStringList{"追加分", "55556666", "7777"}));
        closeDiscarding();
    }
}

void TestParameter::refusedAddMarksTheFirstFailingField_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("listSize"); // 0: the list as it is
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("failingField");
    QTest::addColumn<QString>("message");
    const QString tooLong = "長すぎます";
    const QString badLength = "長さが違います";
    const QString notDigits = "数字を入力してください";
    const QString name33 = QString(33, QChar(u'名'));
    const QStringList member{"会員", "12345678", "1234"};
    QTest::newRow("member name 33, number also wrong")
        << MemberCaption << 0 << QStringList{name33, "123", "1"} << 0 << tooLong;
    QTest::newRow("member number 7")
        << MemberCaption << 0 << QStringList{"", "1234567", "1234"} << 1 << badLength;
    QTest::newRow("member PIN letter")
        << MemberCaption << 0 << QStringList{"a", "12345678", "12a4"} << 2 << notDigits;
    QTest::newRow("caption with a trailing space edits members")
        << FacilityCaption + " " << 0 << QStringList{"1234", "12", "名"} << 1 << badLength;
    QTest::newRow("facility name 33")
        << FacilityCaption << 0 << QStringList{"1234", "12", name33} << 2 << tooLong;
    QTest::newRow("65th member") << MemberCaption << 64 << member << 0
                                 << "登録できるのは64件までです。";
    QTest::newRow("member name beginning with Stop")
        << MemberCaption << 0 << QStringList{"Stop 山田", "12345678", "1234"} << 0
        << "「Stop」で始まる名前は登録できません。";
    QTest::newRow("facility name code page 932 cannot hold")
        << FacilityCaption << 0 << QStringList{"1234", "12", "체육관"} << 2
        << "文字「체」は保存できません（シフトJISにない文字です）。";
}

void TestParameter::refusedAddMarksTheFirstFailingField()
{
    QFETCH(int, listSize);
    QFETCH(QStringList, fields);
    QFETCH(int, failingField);
    QFETCH(QString, message);
    for (int i = 0; m_lists.members.size() < listSize; ++i)
        m_lists.members << QStringLiteral("会員%1 %2 1234").arg(i).arg(10000000 + i);
    QFETCH(QString, caption);
    open(caption);
    const QStringList before = shownItems();
    fill(fields);
    m_boxes.answerNext(Answer::Ok);
    click("add");

    QCOMPARE(m_boxes.shown().size(), 1);
    QCOMPARE(m_boxes.shown()[0].title, QStringLiteral("追加確認"));
    QCOMPARE(m_boxes.shown()[0].text, message);
    QCOMPARE(m_boxes.shown()[0].buttons, Buttons::Ok);
    QLineEdit* field = text1(failingField);
    QCOMPARE(m_editor->focusWidget(), field);
    QCOMPARE(field->selectedText(), field->text());
    QVERIFY(field->text().isEmpty() || field->selectionStart() == 0);
    QCOMPARE(shownItems(), before);
    QCOMPARE(this->fields(), fields);
    click("close"); // the list was not changed: no question
    QVERIFY(!m_editor->isVisible());
}

void TestParameter::addAppendsComposedLineAndKeepsFields()
{
    open(MemberCaption);
    const QStringList entry{"田中 一郎", "00000001", "0099"};
    fill(entry);
    click("add");
    click("add"); // no duplicate check: a second, equal line
    const QString line = QStringLiteral("田中 一郎 00000001 0099");
    QCOMPARE(shownItems(), m_lists.members + QStringList({line, line}));
    QCOMPARE(fields(), entry);
    closeDiscarding();
}

void TestParameter::enterAddsNothingUnasked()
{
    open(MemberCaption);
    fill({"名", "12345678", "1234"});
    QTest::keyClick(text1(2), Qt::Key_Return);
    QTest::keyClick(list1(), Qt::Key_Return);
    QCOMPARE(shownItems(), m_lists.members);
}

void TestParameter::removeDeletesEverySelectedItem_data()
{
    QTest::addColumn<QList<int>>("selected"); // clicked, then Ctrl-clicked
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("three of five") << QList<int>{0, 2, 3} << QList<int>{1, 4};
    QTest::newRow("nothing selected: no change") << QList<int>{} << QList<int>{0, 1, 2, 3, 4};
}

void TestParameter::removeDeletesEverySelectedItem()
{
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, kept);
    m_lists.members.clear();
    for (int i = 0; i < 5; ++i)
        m_lists.members << QStringLiteral("会員%1 %2 1234").arg(i).arg(10000000 + i);
    open(MemberCaption);
    list1()->clearSelection();
    for (int i = 0; i < selected.size(); ++i)
        clickRow(selected[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    click("del");
    QStringList expected;
    for (const int row : kept)
        expected << m_lists.members[row];
    QCOMPARE(shownItems(), expected);
    if (selected.isEmpty())
        click("close"); // nothing changed: no question
    else
        closeDiscarding();
}

void TestParameter::doubleClickLoadsLowestSelected()
{
    m_lists.facilities = {"1111 11 一", "2222 22 二 番", "3333 33 三", "4444 44 四"};
    open(FacilityCaption);
    clickRow(1);
    doubleClickRow(3, Qt::ShiftModifier);
    QCOMPARE(list1()->selectedItems().size(), 3);
    QCOMPARE(fields(), (QStringList{"2222", "22", "二 番"}));
    QCOMPARE(shownItems(), m_lists.facilities);
    click("close"); // loading into the fields changes nothing
}

// Lines shorter than a composed one come back from a trimmed or hand-edited file: loading them
// must not fail. Field 0 of a member is its name, blanks and all.
void TestParameter::loadedMemberAddedUnchangedGivesSameLine()
{
    m_lists.members = {"12345678 1234", "1", " ", "山田 太郎 12345678 1234"};
    open(MemberCaption);
    for (int row = 0; row < m_lists.members.size(); ++row)
        doubleClickRow(row);
    QCOMPARE(fields(), (QStringList{"山田 太郎", "12345678", "1234"}));
    click("add");
    QCOMPARE(shownItems(), m_lists.members + QStringList{m_lists.members.last()});
    closeDiscarding();
}

void TestParameter::applyHandsBackTheList_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("emptyIt");
    QTest::newRow("members unchanged") << MemberCaption << false;
    QTest::newRow("facilities emptied") << FacilityCaption << true;
}

// "登録" hands the list back even unchanged, and asks nothing.
void TestParameter::applyHandsBackTheList()
{
    QFETCH(QString, caption);
    QFETCH(bool, emptyIt);
    const Kind kind = caption == FacilityCaption ? Kind::Facilities : Kind::Members;
    const FakeRegistrationLists before = m_lists;
    open(caption);
    if (emptyIt) {
        list1()->selectAll();
        click("del");
    }
    click("Copy");
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(m_editor->result(), int(QDialog::Accepted));
    QCOMPARE(m_lists.handedBack, QList<Kind>{kind});
    QCOMPARE(m_lists.registrationList(kind),
             emptyIt ? QStringList() : before.registrationList(kind));
    const Kind other = kind == Kind::Members ? Kind::Facilities : Kind::Members;
    QCOMPARE(m_lists.registrationList(other), before.registrationList(other));
}

QTEST_MAIN(TestParameter)
#include "tst_parameter.moc"
