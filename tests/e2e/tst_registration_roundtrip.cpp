#include "ModemSimulator.h"
#include "Parameter.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SerialPortOpener.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Kind = RegistrationLists::Kind;
using Entries = QList<QStringList>; // the three fields of each entry, in editor order

// The program as a user meets it: started in a folder, lists edited in the editor, saved from
// the menu, started again, and the stored entries played into a call on the modem simulator.
class TestRegistrationRoundtrip : public QObject {
    Q_OBJECT

private slots:
    void storedEntriesAreLoadedAndSentAfterRestart();

private:
    void startProgram();
    void addThroughEditor(const char* menuItem, const Entries& entries);
    QComboBox* combo(const char* name) const { return m_window->findChild<QComboBox*>(name); }
    void click(const char* buttonName) const;

    QTemporaryDir m_folder;
    ModemSimulator m_modem;
    ScriptedMessageBoxes m_boxes;
    SerialPortOpener m_opener;
    std::unique_ptr<ReserveForm> m_window;
};

void TestRegistrationRoundtrip::startProgram()
{
    m_window.reset(); // a restart: nothing of the previous run stays in memory
    m_window = std::make_unique<ReserveForm>(m_boxes, m_opener);
    m_window->show();
}

// Opens the editor from the menu as the user does; the entries are typed and added while the
// editor runs modally, and "登録" hands them to the main window.
void TestRegistrationRoundtrip::addThroughEditor(const char* menuItem, const Entries& entries)
{
    bool edited = false;
    QTimer::singleShot(0, this, [&] {
        auto* editor = qobject_cast<Parameter*>(QApplication::activeModalWidget());
        if (!editor)
            return;
        for (const QStringList& fields : entries) {
            for (int i = 0; i < 3; ++i)
                editor->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i))
                    ->setText(fields[i]);
            QTest::mouseClick(editor->findChild<QPushButton*>("add"), Qt::LeftButton);
        }
        QTest::mouseClick(editor->findChild<QPushButton*>("Copy"), Qt::LeftButton);
        edited = true;
    });
    m_window->findChild<QAction*>(menuItem)->trigger();
    QVERIFY2(edited, "the editor did not open modally");
}

void TestRegistrationRoundtrip::click(const char* buttonName) const
{
    QPushButton* button = m_window->findChild<QPushButton*>(buttonName);
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// The names hold what code page 932 and the file make hard: 0x5C trail bytes (表, ソ, 能),
// half-width kana, look-alike symbols, and "=", ";" and brackets.
void TestRegistrationRoundtrip::storedEntriesAreLoadedAndSentAfterRestart()
{
    QVERIFY(m_folder.isValid() && QDir::setCurrent(m_folder.path()));
    QVERIFY(m_modem.start());
    qputenv("TARVIK_COM1", m_modem.devicePath().toLocal8Bit());
    startProgram();
    combo("Combo4")->setCurrentIndex(1); // Tone, on COM1
    m_window->findChild<QLineEdit*>("Text1")->setText("0612345678");
    addThroughEditor("AddMember",
                     {{"山田 太郎", "12345678", "1234"}, {"表ソ能 ﾔﾏﾀﾞ～－", "87654321", "0987"}});
    addThroughEditor("AddFacirity", {{"2034", "12", "【第１】＝［Ａ］ a=b;c [MEMBER]"}});
    m_boxes.answerNext(MessageBoxes::Answer::Yes);
    m_window->findChild<QAction*>("MenuSave")->trigger();
    QCOMPARE(m_boxes.shown().last().title, QStringLiteral("保存確認"));

    startProgram();
    QCOMPARE(m_window->registrationList(Kind::Members),
             (QStringList{"山田 太郎 12345678 1234", "表ソ能 ﾔﾏﾀﾞ～－ 87654321 0987"}));
    QCOMPARE(m_window->registrationList(Kind::Facilities),
             QStringList{"2034 12 【第１】＝［Ａ］ a=b;c [MEMBER]"});

    m_window->lineControl().setTiming({2000, 50, 50, 1000});
    click("Command1"); // Hook
    click("Command2"); // Dial
    QVERIFY(m_modem.waitForTranscriptLine("dialled 0612345678 (tone)", 3000));
    combo("Combo3")->setCurrentIndex(1);
    click("Command6");  // 番号・暗証 of the second member
    click("Command7");  // 施設・内訳
    click("Command10"); // HookOFF
    QVERIFY(m_modem.waitForTranscriptLine("hung up", 3000));

    QCOMPARE(m_modem.transcript().filter(QRegularExpression("^tones ")),
             (QStringList{"tones 87654321", "tones 0987", "tones 2034", "tones 12"}));
    QCOMPARE(m_boxes.shown().size(), 1); // only the save question
}

QTEST_MAIN(TestRegistrationRoundtrip)
#include "tst_registration_roundtrip.moc"
