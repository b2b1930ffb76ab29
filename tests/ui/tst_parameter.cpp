#include "Parameter.h"
#include "ScriptedMessageBoxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
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
    struct Replacement {
        Kind kind;
        QStringList entries;
    };

    QStringList registrationList(Kind kind) const override
    {
        return kind == Kind::Members ? members : facilities;
    }
    void replaceRegistrationList(Kind kind, const QStringList& entries) override
    {
        replacements.append({kind, entries});
        (kind == Kind::Members ? members : facilities) = entries;
    }

    QStringList members;
    QStringList facilities;
    QList<Replacement> replacements;
};

QStringList numberedMembers(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        entries.append(QStringLiteral("会員%1 %2 1234").arg(i).arg(10000000 + i));
    }
    return entries;
}

} // namespace

class TestParameter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void isAFixedSizeModalDialog();
    void modeFollowsTheCaptionAlone_data();
    void modeFollowsTheCaptionAlone();
    void openingTwiceShowsTheCurrentListOnce();
    void closingUnchangedAsksNothing_data();
    void closingUnchangedAsksNothing();
    void closingChangedAsks_data();
    void closingChangedAsks();
    void addThenRemoveStillCountsAsChanged();
    void refusedAddMarksTheFirstFailingField_data();
    void refusedAddMarksTheFirstFailingField();
    void laterErrorReportedOnlyOnceEarlierIsFixed();
    void addAppendsComposedLineAndKeepsFields_data();
    void addAppendsComposedLineAndKeepsFields();
    void sixtyFifthEntryIsRefused();
    void removeDeletesEverySelectedItem();
    void enterAddsNothingUnasked();
    void removeWithNothingSelectedChangesNothing();
    void doubleClickLoadsLowestSelected();
    void doubleClickSplitsAnyMemberLine_data();
    void doubleClickSplitsAnyMemberLine();
    void doubleClickOnShortMemberLineDoesNotFail();
    void loadedMemberAddedUnchangedGivesSameLine();
    void applyHandsBackTheList_data();
    void applyHandsBackTheList();

private:
    Parameter& open(const QString& caption);
    QListWidget* list1() const { return child<QListWidget>("List1"); }
    QLineEdit* text1(int i) const { return child<QLineEdit>(QString("Text1_%1").arg(i)); }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void fill(const QStringList& fields) const;
    void doubleClickRow(int row, Qt::KeyboardModifiers modifiers = {}) const;
    QStringList shownItems() const;
    template <class T> T* child(const QString& name) const
    {
        T* found = m_editor->findChild<T*>(name);
        if (!found) {
            qFatal("no control %s", qPrintable(name));
        }
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

Parameter& TestParameter::open(const QString& caption)
{
    m_editor->setWindowTitle(caption);
    m_editor->show();
    return *m_editor;
}

void TestParameter::fill(const QStringList& fields) const
{
    for (int i = 0; i < 3; ++i) {
        text1(i)->setText(fields.value(i));
    }
}

void TestParameter::doubleClickRow(int row, Qt::KeyboardModifiers modifiers) const
{
    // The press before the double-click event is what a real double click delivers first.
    const QPoint centre = list1()->visualItemRect(list1()->item(row)).center();
    QTest::mouseClick(list1()->viewport(), Qt::LeftButton, modifiers, centre);
    QTest::mouseDClick(list1()->viewport(), Qt::LeftButton, modifiers, centre);
}

QStringList TestParameter::shownItems() const
{
    QStringList items;
    for (int row = 0; row < list1()->count(); ++row) {
        items.append(list1()->item(row)->text());
    }
    return items;
}

void TestParameter::isAFixedSizeModalDialog()
{
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("Parameter"));
    open(MemberCaption);
    const int dpi = m_editor->logicalDpiX();
    const QSize client(qRound(5115 * dpi / 1440.0), qRound(3600 * dpi / 1440.0));
    QCOMPARE(m_editor->size(), client);
    QCOMPARE(m_editor->minimumSize(), client);
    QCOMPARE(m_editor->maximumSize(), client);
    QVERIFY(m_editor->isModal());
    const Qt::WindowFlags flags = m_editor->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(list1()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!list1()->isSortingEnabled());
}

void TestParameter::modeFollowsTheCaptionAlone_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("facilityMode");

    QTest::newRow("menu caption for members") << MemberCaption << false;
    QTest::newRow("menu caption for facilities") << FacilityCaption << true;
    QTest::newRow("stored caption") << "Parameter" << false;
    QTest::newRow("trailing space") << FacilityCaption + " " << false;
    QTest::newRow("only a part") << "施設" << false;
}

void TestParameter::modeFollowsTheCaptionAlone()
{
    QFETCH(QString, caption);
    QFETCH(bool, facilityMode);

    open(caption);
    const QStringList labels =
        facilityMode ? QStringList{"施設コード(4桁)", "内訳コード(2桁)", "名称(32桁迄)"}
                     : QStringList{"名前(32桁迄)", "利用者登録番号(8桁)", "暗証番号(4桁)"};
    for (int i = 0; i < 3; ++i) {
        const QLabel* label = child<QLabel>(QString("Label1_%1").arg(i));
        QCOMPARE(label->text(), labels[i]);
        // Not cut off in its narrow box.
        QVERIFY(label->fontMetrics().horizontalAdvance(labels[i]) <= label->width());
    }
    QCOMPARE(shownItems(), facilityMode ? m_lists.facilities : m_lists.members);

    // The limits follow the mode too: a valid entry of that mode is taken.
    fill(facilityMode ? QStringList{"3003", "05", "プール"}
                      : QStringList{"佐藤", "11112222", "0000"});
    click("add");
    QCOMPARE(list1()->count(), 3);
}

void TestParameter::openingTwiceShowsTheCurrentListOnce()
{
    open(MemberCaption);
    fill({"取消分", "11112222", "3333"});
    click("add");
    m_boxes.answerNext(Answer::Ok);
    click("close");
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(m_lists.members.size(), 2);

    m_lists.members.append(QStringLiteral("新規 99990000 9999"));
    open(MemberCaption);
    QCOMPARE(shownItems(), m_lists.members);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(text1(i)->text().isEmpty());
    }
    click("close"); // nothing carried over: no question
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(m_boxes.shown().size(), 1);
}

void TestParameter::closingUnchangedAsksNothing_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("閉じる") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("Escape") << 2;
}

// The three ways a user can leave without "登録"; 0 閉じる, 1 close box, 2 Escape.
static void leave(Parameter& editor, int way)
{
    switch (way) {
    case 0:
        QTest::mouseClick(editor.findChild<QPushButton*>("close"), Qt::LeftButton);
        break;
    case 1:
        editor.close();
        break;
    default:
        QTest::keyClick(&editor, Qt::Key_Escape);
    }
}

void TestParameter::closingUnchangedAsksNothing()
{
    QFETCH(int, way);
    open(MemberCaption);
    fill({"入力だけ", "1", ""}); // typing in the fields is no change of the list
    leave(*m_editor, way);
    QVERIFY(!m_editor->isVisible());
    QVERIFY(m_boxes.shown().isEmpty());
    QVERIFY(m_lists.replacements.isEmpty());
}

void TestParameter::closingChangedAsks_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<bool>("discard");
    for (const auto& [way, name] :
         {std::pair{0, "閉じる"}, std::pair{1, "close box"}, std::pair{2, "Escape"}}) {
        QTest::addRow("%s, OK", name) << way << true;
        QTest::addRow("%s, Cancel", name) << way << false;
    }
}

void TestParameter::closingChangedAsks()
{
    QFETCH(int, way);
    QFETCH(bool, discard);

    const QStringList before = m_lists.members;
    open(MemberCaption);
    fill({"追加分", "55556666", "7777"});
    click("add");
    m_boxes.answerNext(discard ? Answer::Ok : Answer::Cancel);
    leave(*m_editor, way);

    QCOMPARE(m_boxes.shown().size(), 1);
    QCOMPARE(m_boxes.shown()[0].title, QStringLiteral("終了確認"));
    QCOMPARE(m_boxes.shown()[0].text, QStringLiteral("変更を破棄しますか？"));
    QCOMPARE(m_boxes.shown()[0].buttons, Buttons::OkCancel);
    QCOMPARE(m_editor->isVisible(), !discard);
    QCOMPARE(m_lists.members, before);
    QVERIFY(m_lists.replacements.isEmpty());
    if (!discard) {
        QCOMPARE(shownItems(), before + QStringList{"追加分 55556666 7777"});
        QCOMPARE(text1(0)->text(), QStringLiteral("追加分"));
        m_boxes.answerNext(Answer::Ok); // the flag survived the refusal
        click("close");
        QVERIFY(!m_editor->isVisible());
    }
}

void TestParameter::addThenRemoveStillCountsAsChanged()
{
    open(MemberCaption);
    fill({"一時", "12121212", "3434"});
    click("add");
    list1()->clearSelection();
    list1()->item(2)->setSelected(true);
    click("del");
    QCOMPARE(shownItems(), m_lists.members);
    m_boxes.answerNext(Answer::Cancel);
    click("close");
    QCOMPARE(m_boxes.shown().size(), 1);
    QVERIFY(m_editor->isVisible());
    m_boxes.answerNext(Answer::Ok);
    click("close");
}

void TestParameter::refusedAddMarksTheFirstFailingField_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("failingField");
    QTest::addColumn<QString>("message"); // empty: the entry rules' own wording

    const QString tooLong = "長すぎます";
    const QString badLength = "長さが違います";
    const QString notDigits = "数字を入力してください";
    const QString name33 = QString(33, QChar(u'名'));
    QTest::newRow("member name 33, number also wrong")
        << MemberCaption << QStringList{name33, "123", "1"} << 0 << tooLong;
    QTest::newRow("member number 7")
        << MemberCaption << QStringList{"", "1234567", "1234"} << 1 << badLength;
    QTest::newRow("member number 9")
        << MemberCaption << QStringList{"a", "123456789", "x"} << 1 << badLength;
    QTest::newRow("member number full-width digit")
        << MemberCaption << QStringList{"a", "1234567８", "1234"} << 1 << notDigits;
    QTest::newRow("member PIN letter")
        << MemberCaption << QStringList{"a", "12345678", "12a4"} << 2 << notDigits;
    QTest::newRow("member PIN empty")
        << MemberCaption << QStringList{"a", "12345678", ""} << 2 << badLength;
    QTest::newRow("facility both codes wrong")
        << FacilityCaption << QStringList{"12", "x", "名"} << 0 << badLength;
    QTest::newRow("facility breakdown letter")
        << FacilityCaption << QStringList{"1234", "1b", "名"} << 1 << notDigits;
    QTest::newRow("facility name 33")
        << FacilityCaption << QStringList{"1234", "12", name33} << 2 << tooLong;
    QTest::newRow("member name beginning with Stop")
        << MemberCaption << QStringList{"Stop 山田", "12345678", "1234"} << 0 << QString();
    QTest::newRow("member name code page 932 cannot hold")
        << MemberCaption << QStringList{"山田😀", "12345678", "1234"} << 0 << QString();
    QTest::newRow("facility name code page 932 cannot hold")
        << FacilityCaption << QStringList{"1234", "12", "체육관"} << 2 << QString();
}

void TestParameter::refusedAddMarksTheFirstFailingField()
{
    QFETCH(QString, caption);
    QFETCH(QStringList, fields);
    QFETCH(int, failingField);
    QFETCH(QString, message);

    open(caption);
    const QStringList before = shownItems();
    fill(fields);
    m_boxes.answerNext(Answer::Ok);
    click("add");

    QCOMPARE(m_boxes.shown().size(), 1);
    const ScriptedMessageBoxes::Shown& box = m_boxes.shown()[0];
    QCOMPARE(box.title, QStringLiteral("追加確認"));
    QCOMPARE(box.buttons, Buttons::Ok);
    if (message.isEmpty()) {
        QVERIFY(!box.text.isEmpty());
    } else {
        QCOMPARE(box.text, message);
    }
    QLineEdit* field = text1(failingField);
    QCOMPARE(m_editor->focusWidget(), field);
    QCOMPARE(field->selectedText(), field->text());
    if (!field->text().isEmpty()) {
        QCOMPARE(field->selectionStart(), 0);
    }
    QCOMPARE(shownItems(), before);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(text1(i)->text(), fields[i]);
    }
    click("close"); // the list was not changed: no question
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(m_boxes.shown().size(), 1);
}

void TestParameter::laterErrorReportedOnlyOnceEarlierIsFixed()
{
    open(MemberCaption);
    fill({"名", "1234567", "12"});
    m_boxes.answerNext(Answer::Ok);
    click("add");
    QCOMPARE(m_editor->focusWidget(), text1(1));
    QTest::keyClick(text1(1), Qt::Key_8); // the selection is replaced by what is typed
    QCOMPARE(text1(1)->text(), QStringLiteral("8"));
    text1(1)->setText("12345678");
    m_boxes.answerNext(Answer::Ok);
    click("add");
    QCOMPARE(m_boxes.shown().size(), 2);
    QCOMPARE(m_boxes.shown()[1].text, QStringLiteral("長さが違います"));
    QCOMPARE(m_editor->focusWidget(), text1(2));
}

void TestParameter::addAppendsComposedLineAndKeepsFields_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("line");

    QTest::newRow("member") << MemberCaption << QStringList{"田中 一郎", "00000001", "0099"}
                            << "田中 一郎 00000001 0099";
    QTest::newRow("member, empty name")
        << MemberCaption << QStringList{"", "12345678", "1234"} << " 12345678 1234";
    QTest::newRow("member, 32 Japanese characters")
        << MemberCaption << QStringList{QString(32, QChar(u'表')), "12345678", "1234"}
        << QString(32, QChar(u'表')) + " 12345678 1234";
    QTest::newRow("facility") << FacilityCaption << QStringList{"0001", "09", "ソフトボール場"}
                              << "0001 09 ソフトボール場";
    QTest::newRow("facility, empty name")
        << FacilityCaption << QStringList{"0001", "09", ""} << "0001 09 ";
}

void TestParameter::addAppendsComposedLineAndKeepsFields()
{
    QFETCH(QString, caption);
    QFETCH(QStringList, fields);
    QFETCH(QString, line);

    open(caption);
    const QStringList before = shownItems();
    fill(fields);
    click("add");
    click("add"); // no duplicate check: a second, equal line
    QCOMPARE(shownItems(), before + QStringList({line, line}));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(text1(i)->text(), fields[i]);
    }
    QVERIFY(m_boxes.shown().isEmpty());
    m_boxes.answerNext(Answer::Ok);
    click("close");
}

void TestParameter::sixtyFifthEntryIsRefused()
{
    m_lists.members = numberedMembers(63);
    open(MemberCaption);
    fill({"六十四番目", "64646464", "6464"});
    click("add");
    QCOMPARE(list1()->count(), 64);

    m_boxes.answerNext(Answer::Ok);
    click("add");
    QCOMPARE(list1()->count(), 64);
    QCOMPARE(m_boxes.shown().size(), 1);
    QCOMPARE(m_boxes.shown()[0].title, QStringLiteral("追加確認"));
    QVERIFY(!m_boxes.shown()[0].text.isEmpty());

    // Removing one makes room again.
    list1()->clearSelection();
    list1()->item(0)->setSelected(true);
    click("del");
    click("add");
    QCOMPARE(list1()->count(), 64);
    m_boxes.answerNext(Answer::Ok);
    click("close");
}

void TestParameter::removeDeletesEverySelectedItem()
{
    m_lists.members = numberedMembers(5);
    open(MemberCaption);
    QTest::mouseClick(list1()->viewport(), Qt::LeftButton, {},
                      list1()->visualItemRect(list1()->item(0)).center());
    for (int row : {2, 3}) {
        QTest::mouseClick(list1()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list1()->visualItemRect(list1()->item(row)).center());
    }
    QCOMPARE(list1()->selectedItems().size(), 3);
    click("del");
    QCOMPARE(shownItems(), (QStringList{m_lists.members[1], m_lists.members[4]}));
    m_boxes.answerNext(Answer::Ok);
    click("close");
}

void TestParameter::enterAddsNothingUnasked()
{
    open(MemberCaption);
    fill({"名", "12345678", "1234"});
    QTest::keyClick(text1(2), Qt::Key_Return);
    QTest::keyClick(list1(), Qt::Key_Return);
    QCOMPARE(shownItems(), m_lists.members);
    QVERIFY(m_boxes.shown().isEmpty());
}

void TestParameter::removeWithNothingSelectedChangesNothing()
{
    open(MemberCaption);
    list1()->clearSelection();
    click("del");
    QCOMPARE(shownItems(), m_lists.members);
    click("close");
    QVERIFY(!m_editor->isVisible());
    QVERIFY(m_boxes.shown().isEmpty());
}

void TestParameter::doubleClickLoadsLowestSelected()
{
    m_lists.facilities = {"1111 11 一", "2222 22 二 番", "3333 33 三", "4444 44 四"};
    open(FacilityCaption);
    QTest::mouseClick(list1()->viewport(), Qt::LeftButton, {},
                      list1()->visualItemRect(list1()->item(1)).center());
    doubleClickRow(3, Qt::ShiftModifier);
    QCOMPARE(list1()->selectedItems().size(), 3);
    QCOMPARE(text1(0)->text(), QStringLiteral("2222"));
    QCOMPARE(text1(1)->text(), QStringLiteral("22"));
    QCOMPARE(text1(2)->text(), QStringLiteral("二 番"));
    QCOMPARE(shownItems(), m_lists.facilities);
    click("close"); // loading into the fields changes nothing
    QVERIFY(m_boxes.shown().isEmpty());
}

void TestParameter::doubleClickSplitsAnyMemberLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("pin");

    QTest::newRow("name with spaces") << "山田 太郎 12345678 1234"
                                      << "山田 太郎"
                                      << "12345678"
                                      << "1234";
    QTest::newRow("empty name, 14 characters") << " 12345678 1234"
                                               << ""
                                               << "12345678"
                                               << "1234";
}

void TestParameter::doubleClickSplitsAnyMemberLine()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QString, pin);

    m_lists.members = {line};
    open(MemberCaption);
    doubleClickRow(0);
    QCOMPARE(text1(0)->text(), name);
    QCOMPARE(text1(1)->text(), number);
    QCOMPARE(text1(2)->text(), pin);
}

// Lines shorter than a composed one come back from a trimmed or hand-edited file; the
// fields they give are the entry rules' business, the editor only must not fail on them.
void TestParameter::doubleClickOnShortMemberLineDoesNotFail()
{
    m_lists.members = {"12345678 1234", "1", " "};
    open(MemberCaption);
    for (int row = 0; row < m_lists.members.size(); ++row) {
        doubleClickRow(row);
    }
    QCOMPARE(shownItems(), m_lists.members);
    click("close");
    QVERIFY(m_boxes.shown().isEmpty());
}

void TestParameter::loadedMemberAddedUnchangedGivesSameLine()
{
    open(MemberCaption);
    doubleClickRow(0);
    click("add");
    QCOMPARE(shownItems().last(), m_lists.members[0]);
    m_boxes.answerNext(Answer::Ok);
    click("close");
}

void TestParameter::applyHandsBackTheList_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("emptyIt");

    QTest::newRow("members unchanged") << MemberCaption << false;
    QTest::newRow("members emptied") << MemberCaption << true;
    QTest::newRow("facilities unchanged") << FacilityCaption << false;
    QTest::newRow("facilities emptied") << FacilityCaption << true;
}

void TestParameter::applyHandsBackTheList()
{
    QFETCH(QString, caption);
    QFETCH(bool, emptyIt);

    const Kind kind = caption == FacilityCaption ? Kind::Facilities : Kind::Members;
    const QStringList before = m_lists.registrationList(kind);
    const QStringList other =
        m_lists.registrationList(kind == Kind::Members ? Kind::Facilities : Kind::Members);
    open(caption);
    if (emptyIt) {
        list1()->selectAll();
        click("del");
    }
    QSignalSpy accepted(m_editor.get(), &QDialog::accepted);
    click("Copy");

    QVERIFY(!m_editor->isVisible());
    QCOMPARE(accepted.size(), 1);
    QVERIFY(m_boxes.shown().isEmpty());
    QCOMPARE(m_lists.replacements.size(), 1);
    QCOMPARE(m_lists.replacements[0].kind, kind);
    QCOMPARE(m_lists.replacements[0].entries, emptyIt ? QStringList{} : before);
    QCOMPARE(m_lists.registrationList(kind == Kind::Members ? Kind::Facilities : Kind::Members),
             other);
}

QTEST_MAIN(TestParameter)
#include "tst_parameter.moc"
