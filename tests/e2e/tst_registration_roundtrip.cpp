#include "ModemSimulator.h"
#include "Parameter.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SerialPortOpener.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = MessageBoxes::Answer;
using Kind = RegistrationLists::Kind;
using Entries = QList<QStringList>; // the three fields of each entry, in editor order

namespace {
constexpr int TranscriptWaitMs = 3000;
} // namespace

// The program as a user meets it: started in a folder, lists edited in the editor, saved from
// the menu, started again, and the stored entries played into a call on the modem simulator.
class TestRegistrationRoundtrip : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void japaneseNamesSurviveSaveAndRestart_data();
    void japaneseNamesSurviveSaveAndRestart();
    void storedEntriesAreSentAfterRestart();

private:
    void startProgram();
    void addThroughEditor(const char* menuItem, const Entries& entries);
    void saveFromMenu();
    QComboBox* combo(const char* name) const;
    void click(const char* buttonName) const;
    QStringList tonesSince(int transcriptLines);

    QString m_previousDirectory;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<ModemSimulator> m_modem;
    ScriptedMessageBoxes m_boxes;
    SerialPortOpener m_opener;
    std::unique_ptr<ReserveForm> m_window;
};

void TestRegistrationRoundtrip::init()
{
    m_boxes.reset();
    m_previousDirectory = QDir::currentPath();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void TestRegistrationRoundtrip::cleanup()
{
    m_window.reset();
    m_modem.reset();
    qunsetenv("TARVIK_COM1");
    QDir::setCurrent(m_previousDirectory);
    m_folder.reset();
    QCOMPARE(m_boxes.pendingAnswers(), 0);
}

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
        if (!editor) {
            return;
        }
        for (const QStringList& fields : entries) {
            for (int i = 0; i < 3; ++i) {
                editor->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i))
                    ->setText(fields[i]);
            }
            QTest::mouseClick(editor->findChild<QPushButton*>("add"), Qt::LeftButton);
        }
        QTest::mouseClick(editor->findChild<QPushButton*>("Copy"), Qt::LeftButton);
        edited = true;
    });
    m_window->findChild<QAction*>(menuItem)->trigger();
    QVERIFY2(edited, "the editor did not open modally");
}

void TestRegistrationRoundtrip::saveFromMenu()
{
    m_boxes.answerNext(Answer::Yes);
    m_window->findChild<QAction*>("MenuSave")->trigger();
    QCOMPARE(m_boxes.shown().last().title, QStringLiteral("保存確認"));
    QVERIFY(!m_window->changedFlag());
    QVERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("Tarvik.ini"))));
}

QComboBox* TestRegistrationRoundtrip::combo(const char* name) const
{
    return m_window->findChild<QComboBox*>(name);
}

void TestRegistrationRoundtrip::click(const char* buttonName) const
{
    QPushButton* button = m_window->findChild<QPushButton*>(buttonName);
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList TestRegistrationRoundtrip::tonesSince(int transcriptLines)
{
    QStringList tones;
    const QStringList lines = m_modem->transcript().mid(transcriptLines);
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("tones ")))
            tones << line.mid(6);
    }
    return tones;
}

void TestRegistrationRoundtrip::japaneseNamesSurviveSaveAndRestart_data()
{
    QTest::addColumn<QString>("memberName");
    QTest::addColumn<QString>("facilityName");

    QTest::newRow("kanji and kana") << "山田 花子"
                                    << "市民体育館 第二競技場";
    // 0x5C is the second byte of these in code page 932.
    QTest::newRow("backslash trail bytes") << "表ソ能十申"
                                           << "予約表ソフト";
    QTest::newRow("32 characters") << QString(32, QChar(u'漢')) << QString(32, QChar(u'ア'));
    QTest::newRow("half-width kana") << "ﾔﾏﾀﾞ ﾀﾛｳ"
                                     << "ﾃﾆｽｺｰﾄ";
    QTest::newRow("look-alike symbols") << "～－"
                                        << "【第１】＝［Ａ］";
    QTest::newRow("file syntax inside") << "a=b;c [x]"
                                        << "#1 = [MEMBER]";
}

void TestRegistrationRoundtrip::japaneseNamesSurviveSaveAndRestart()
{
    QFETCH(QString, memberName);
    QFETCH(QString, facilityName);

    startProgram();
    addThroughEditor("AddMember", {{memberName, "12345678", "1234"}});
    addThroughEditor("AddFacirity", {{"1001", "01", facilityName}});
    QVERIFY(m_window->changedFlag());
    saveFromMenu();

    startProgram();
    QCOMPARE(m_window->registrationList(Kind::Members), QStringList{memberName + " 12345678 1234"});
    QCOMPARE(m_window->registrationList(Kind::Facilities), QStringList{"1001 01 " + facilityName});
    QVERIFY(!m_window->changedFlag());
}

void TestRegistrationRoundtrip::storedEntriesAreSentAfterRestart()
{
    m_modem = std::make_unique<ModemSimulator>();
    QVERIFY(m_modem->start());
    qputenv("TARVIK_COM1", m_modem->devicePath().toLocal8Bit());

    startProgram();
    QCOMPARE(combo("Combo3")->count(), 0);
    QCOMPARE(combo("Combo5")->count(), 0);
    combo("Combo1")->setCurrentIndex(0); // COM1
    combo("Combo4")->setCurrentIndex(1); // Tone
    m_window->findChild<QLineEdit*>("Text1")->setText("0612345678");
    addThroughEditor("AddMember",
                     {{"山田 太郎", "12345678", "1234"}, {"鈴木花子", "87654321", "0987"}});
    addThroughEditor("AddFacirity",
                     {{"1001", "01", "市民体育館"}, {"2034", "12", "中央公園 テニスコート"}});
    saveFromMenu();

    startProgram();
    QCOMPARE(m_window->registrationList(Kind::Members),
             (QStringList{"山田 太郎 12345678 1234", "鈴木花子 87654321 0987"}));
    QCOMPARE(m_window->registrationList(Kind::Facilities),
             (QStringList{"1001 01 市民体育館", "2034 12 中央公園 テニスコート"}));
    QCOMPARE(combo("Combo3")->currentIndex(), 0);
    QCOMPARE(combo("Combo5")->currentIndex(), 0);

    LineControl::Timing timing;
    timing.replyTimeoutMs = 2000;
    timing.dialPauseMs = 50;
    timing.pairPauseMs = 50;
    m_window->lineControl().setTiming(timing);

    click("Command1"); // Hook
    click("Command2"); // Dial
    QVERIFY(m_modem->waitForTranscriptLine("dialled 0612345678 (tone)", TranscriptWaitMs));
    const int beforeFields = int(m_modem->transcript().size());
    click("Command6"); // 番号・暗証, first member
    click("Command7"); // 施設・内訳, first facility
    combo("Combo3")->setCurrentIndex(1);
    combo("Combo5")->setCurrentIndex(1);
    click("Command6");
    click("Command7");
    click("Command10"); // HookOFF
    QVERIFY(m_modem->waitForTranscriptLine("hung up", TranscriptWaitMs));

    QCOMPARE(tonesSince(beforeFields),
             (QStringList{"12345678", "1234", "1001", "01", "87654321", "0987", "2034", "12"}));
    QVERIFY(m_modem->received().contains("ATDT12345678;\r\nATDT1234;\r\n"));
    QCOMPARE(m_boxes.shown().size(), 1); // only the save question
}

QTEST_MAIN(TestRegistrationRoundtrip)
#include "tst_registration_roundtrip.moc"
