#include "ModemSimulator.h"
#include "Parameter.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

using Kind = RegistrationLists::Kind;
using Entries = QList<QStringList>; // the three fields of each entry, in editor order

// The program as a user meets it: started in a folder, lists edited in the editor, saved from
// the menu, started again, and the stored entries played into a call on the modem simulator.
class TestRegistrationRoundtrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void storedEntriesAreLoadedAndSentAfterRestart();

private:
    void startProgram();
    void addThroughEditor(const char* menuItem, const Entries& entries);
    QComboBox* combo(const char* name) const { return m_f->control<QComboBox>(name); }

    ModemSimulator m_modem;
    SerialPortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
    ReserveForm* m_window = nullptr;
};

void TestRegistrationRoundtrip::startProgram()
{
    if (m_f)
        m_f->restart();
    else
        m_f = std::make_unique<WindowFixture>(m_opener, QString(),
                                              LineControl::Timing{2000, 50, 50, 1000});
    m_window = &m_f->window();
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

// The names hold what code page 932 and the file make hard: 0x5C trail bytes (表, ソ, 能),
// half-width kana, look-alike symbols, and "=", ";" and brackets.
void TestRegistrationRoundtrip::storedEntriesAreLoadedAndSentAfterRestart()
{
    QVERIFY(m_modem.start());
    qputenv("TARVIK_COM1", m_modem.devicePath().toLocal8Bit());
    startProgram();
    combo("Combo4")->setCurrentIndex(1); // Tone, on COM1
    m_window->findChild<QLineEdit*>("Text1")->setText("0612345678");
    addThroughEditor("AddMember",
                     {{"山田 太郎", "12345678", "1234"}, {"表ソ能 ﾔﾏﾀﾞ～－", "87654321", "0987"}});
    addThroughEditor("AddFacirity", {{"2034", "12", "【第１】＝［Ａ］ a=b;c [MEMBER]"}});
    m_f->boxes().answerNext(MessageBoxes::Answer::Yes);
    m_window->findChild<QAction*>("MenuSave")->trigger();
    QCOMPARE(m_f->boxes().shown().last().title, QStringLiteral("保存確認"));

    startProgram();
    QCOMPARE(m_window->registrationList(Kind::Members),
             (QStringList{"山田 太郎 12345678 1234", "表ソ能 ﾔﾏﾀﾞ～－ 87654321 0987"}));
    QCOMPARE(m_window->registrationList(Kind::Facilities),
             QStringList{"2034 12 【第１】＝［Ａ］ a=b;c [MEMBER]"});

    m_f->click("Command1"); // Hook
    m_f->click("Command2"); // Dial
    QVERIFY(m_modem.waitForTranscriptLine("dialled 0612345678 (tone)", 3000));
    combo("Combo3")->setCurrentIndex(1);
    m_f->click("Command6");  // 番号・暗証 of the second member
    m_f->click("Command7");  // 施設・内訳
    m_f->click("Command10"); // HookOFF
    QVERIFY(m_modem.waitForTranscriptLine("hung up", 3000));

    QCOMPARE(m_modem.transcript().filter(QRegularExpression("^tones ")),
             (QStringList{"tones 87654321", "tones 0987", "tones 2034", "tones 12"}));
    QCOMPARE(m_f->boxes().shown().size(), 1); // only the save question
}

QTEST_MAIN(TestRegistrationRoundtrip)
#include "tst_registration_roundtrip.moc"
