#include "Parameter.h"
#include "ScriptedMessageBoxes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using Kind = RegistrationLists::Kind;
using Buttons = MessageBoxes::Buttons;
using Answer = MessageBoxes::Answer;

Q_DECLARE_METATYPE(RegistrationEntry::Kind)

namespace {

// Stands in for the main window: its two lists and every hand-back it received.
class FakeRegistrationLists : public RegistrationLists {
public:
    QStringList registrationList(Kind kind) const override
    {
        return kind == Kind::Member ? members : facilities;
    }

    void replaceRegistrationList(Kind kind, const QStringList& entries) override
    {
        handedBack.append(kind);
        (kind == Kind::Member ? members : facilities) = entries;
    }

    QStringList members;
    QStringList facilities;
    QList<Kind> handedBack;
};

} // namespace

class TestParameter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_lists = {};
        m_lists.members = {QStringLiteral("山田 太郎 12345678 1234"),
                           QStringLiteral("鈴木 87654321 4321")};
        m_lists.facilities = {"1111 11 一", "2222 22 二 番", "3333 33 三", "4444 44 四"};
        m_boxes.reset();
        m_editor.reset();
    }

    void cleanup()
    {
        m_editor.reset();
        QCOMPARE(m_boxes.pendingAnswers(), 0);
    }

    void closing_data()
    {
        QTest::addColumn<int>("way");   // 0 "閉じる", 1 the close box, 2 Escape
        QTest::addColumn<int>("edits"); // 0 fields typed only, 1 an add, 2 an add then its removal
        QTest::addColumn<bool>("discard");
        QTest::newRow("閉じる, fields typed only: no question") << 0 << 0 << true;
        QTest::newRow("Escape, added, OK") << 2 << 1 << true;
        QTest::newRow("close box, added, Cancel") << 1 << 1 << false;
        QTest::newRow("閉じる, added and removed, Cancel") << 0 << 2 << false;
    }

    // Whatever an opening changed and did not hand back, the next one starts afresh from the
    // window's current list.
    void closing()
    {
        QFETCH(int, way);
        QFETCH(int, edits);
        QFETCH(bool, discard);
        open(Kind::Member);
        fill({"追加分", "55556666", "7777"});
        if (edits > 0)
            click("add");
        if (edits > 1) {
            entryList()->setCurrentRow(2);
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

        if (edits > 0) {
            QCOMPARE(box(0), QStringLiteral("終了確認: 変更を破棄しますか？"));
            QCOMPARE(m_boxes.shown()[0].buttons, Buttons::OkCancel);
        }
        QCOMPARE(m_editor->isVisible(), !discard);
        QVERIFY(m_lists.handedBack.isEmpty());
        if (!discard) { // all kept as it was, the question comes again
            QCOMPARE(shownItems().size(), edits == 1 ? 3 : 2);
            QCOMPARE(fields(), (QStringList{"追加分", "55556666", "7777"}));
            closeDiscarding();
        }
        m_lists.members.append(QStringLiteral("新規 99990000 9999"));
        open(Kind::Member);
        QCOMPARE(shownItems(), m_lists.members);
        QCOMPARE(fields(), QStringList(3));
    }

    // The rules and their messages are the entry checks' own; here how the editor shows a refusal,
    // adds what passes, and counts the entries it holds itself against the limit of 64.
    void addingOnlyByButtonMarksARefusedFieldAndStopsAtAFullList()
    {
        for (int i = m_lists.members.size(); i < 62; ++i)
            m_lists.members << QStringLiteral("会員%1 %2 1234").arg(i).arg(10000000 + i);
        open(Kind::Member);
        fill({"田中 一郎", "00000001", "00a9"});
        // Enter in a field or the list adds nothing: no box, as an add would show, comes unasked.
        QTest::keyClick(field(2), Qt::Key_Return);
        QTest::keyClick(entryList(), Qt::Key_Return);
        m_boxes.answerNext(Answer::Ok);
        click("add");
        QCOMPARE(box(0), QStringLiteral("追加確認: 数字を入力してください"));
        QCOMPARE(m_boxes.shown()[0].buttons, Buttons::Ok);
        QCOMPARE(m_editor->focusWidget(), field(2));
        QCOMPARE(field(2)->selectedText(), QStringLiteral("00a9"));
        QCOMPARE(shownItems(), m_lists.members);

        field(2)->setText(QStringLiteral("0099"));
        click("add");
        click("add"); // no duplicate check: a second, equal line, the 64th
        const QString line = QStringLiteral("田中 一郎 00000001 0099");
        QCOMPARE(shownItems(), m_lists.members + QStringList({line, line}));
        QCOMPARE(fields(), (QStringList{"田中 一郎", "00000001", "0099"}));
        m_boxes.answerNext(Answer::Ok);
        click("add");
        QCOMPARE(box(1), QStringLiteral("追加確認: 登録できるのは64件までです。"));
        QCOMPARE(shownItems().size(), 64);
        closeDiscarding();
    }

    // A digit of another script or width is no digit: it could not be played as a tone.
    void onlyAsciiDigitsAreDigits_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("refused");
        QTest::newRow("full-width number")
            << Kind::Member << QStringList{"a", "１２３４５６７８", "1234"} << 1;
        QTest::newRow("Arabic-Indic PIN")
            << Kind::Member << QStringList{"a", "12345678", "٤٤٤٤"} << 2;
        QTest::newRow("Devanagari facility")
            << Kind::Facility << QStringList{"४४४४", "01", "a"} << 0;
        QTest::newRow("superscript breakdown")
            << Kind::Facility << QStringList{"0101", "0²", "a"} << 1;
    }

    void onlyAsciiDigitsAreDigits()
    {
        QFETCH(Kind, kind);
        QFETCH(QStringList, fields);
        QFETCH(int, refused);
        open(kind);
        fill(fields);
        m_boxes.answerNext(Answer::Ok);
        click("add");
        QCOMPARE(m_boxes.texts(), QStringList{"追加確認: 数字を入力してください"});
        QCOMPARE(m_editor->focusWidget(), field(refused));
        QCOMPARE(shownItems(), kind == Kind::Member ? m_lists.members : m_lists.facilities);
    }

    // "登録" hands the list back and closes, without a question, whatever was changed.
    void applyHandsBackWithoutAQuestion_data()
    {
        QTest::addColumn<int>("edits"); // 0 none, 1 an add, 2 a removal
        QTest::newRow("unchanged") << 0;
        QTest::newRow("added") << 1;
        QTest::newRow("removed") << 2;
    }

    void applyHandsBackWithoutAQuestion()
    {
        QFETCH(int, edits);
        open(Kind::Member);
        QStringList expected = m_lists.members;
        if (edits == 1) {
            fill({"新規", "11112222", "3333"});
            click("add");
            expected << QStringLiteral("新規 11112222 3333");
        } else if (edits == 2) {
            clickRow(0);
            click("del");
            expected.removeFirst();
        }
        click("Copy");
        QVERIFY(m_boxes.shown().isEmpty());
        QVERIFY(!m_editor->isVisible());
        QCOMPARE(m_lists.handedBack, QList<Kind>{Kind::Member});
        QCOMPARE(m_lists.members, expected);
    }

    // Removing takes every selected entry and nothing else; with none selected it changes nothing,
    // so closing asks nothing. A double click loads the lowest selected entry into the fields.
    void removeAndLoadWorkOnTheSelection()
    {
        open(Kind::Facility);
        click("del");
        clickRow(1);
        clickRow(3, Qt::ShiftModifier); // what a real double click delivers first
        QTest::mouseDClick(entryList()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                           entryList()->visualItemRect(entryList()->item(3)).center());
        QCOMPARE(fields(), (QStringList{"2222", "22", "二 番"}));
        click("close"); // neither the empty removal nor the loading changed the list
        QVERIFY(!m_editor->isVisible());
        open(Kind::Facility);
        clickRow(0);
        clickRow(2, Qt::ControlModifier);
        click("del");
        QCOMPARE(shownItems(), (QStringList{m_lists.facilities[1], m_lists.facilities[3]}));
        closeDiscarding();
    }

private:
    // Shows the editor of that list, the same window again if it edits that list already.
    void open(Kind kind)
    {
        if (!m_editor || m_editor->windowTitle() != titleOf(kind))
            m_editor = std::make_unique<Parameter>(kind, m_lists, m_boxes);
        m_editor->show();
    }
    static QString titleOf(Kind kind)
    {
        return kind == Kind::Member ? QStringLiteral("メンバー追加") : QStringLiteral("施設追加");
    }
    QListWidget* entryList() const { return m_editor->findChild<QListWidget*>("List1"); }
    QLineEdit* field(int i) const
    {
        return m_editor->findChild<QLineEdit*>(QString("Text1_%1").arg(i));
    }

    void click(const char* name) const
    {
        QTest::mouseClick(m_editor->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        const QPoint centre = entryList()->visualItemRect(entryList()->item(row)).center();
        QTest::mouseClick(entryList()->viewport(), Qt::LeftButton, modifiers, centre);
    }

    void fill(const QStringList& fields) const
    {
        for (int i = 0; i < 3; ++i)
            field(i)->setText(fields.value(i));
    }

    QStringList fields() const { return {field(0)->text(), field(1)->text(), field(2)->text()}; }

    QStringList shownItems() const
    {
        QStringList items;
        for (int row = 0; row < entryList()->count(); ++row)
            items.append(entryList()->item(row)->text());
        return items;
    }

    QString box(int i) const { return m_boxes.texts().at(i); }
    // Leaves with the list changed: the question comes, OK discards.
    void closeDiscarding()
    {
        m_boxes.answerNext(Answer::Ok);
        click("close");
        QVERIFY(!m_editor->isVisible());
        QVERIFY(m_lists.handedBack.isEmpty());
    }

    FakeRegistrationLists m_lists;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<Parameter> m_editor;
};

QTEST_MAIN(TestParameter)
#include "tst_parameter.moc"
