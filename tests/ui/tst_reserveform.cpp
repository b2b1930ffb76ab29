#include "ExitSignals.h"
#include "FakePortOpener.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsFile.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using State = LineControl::State;

namespace {

const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");

// The three ways the settings are saved or the program is left.
enum class Way { SaveMenu, ExitMenu, CloseBox };

Settings demoSettings()
{
    Settings settings;
    settings.portIndex = 2;
    settings.dialModeIndex = 1;
    settings.number = QStringLiteral("045-123-4567");
    settings.conditionsCode = QStringLiteral("1");
    settings.purposeCode = QStringLiteral("21");
    settings.date = QStringLiteral("15");
    settings.timeSlot = QStringLiteral("02");
    settings.members = QStringList{QStringLiteral("山田太郎 12345678 1234"),
                                   QStringLiteral("表ソ能 87654321 4321")};
    settings.facilities =
        QStringList{QStringLiteral("0101 01 体育館"), QStringLiteral("0102 03 テニスコート")};
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(QList<Answer>)
Q_DECLARE_METATYPE(Way)

class TestReserveForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUp_data();
    void startUp();
    void eachSaveUsesTheCurrentDirectory();
    void accessibleNamesAndTabOrder();

    void enabledStatesThroughACall();
    void dialRefusesABadNumber();
    void keypadIndexOrder();
    void deviceFailureNamesThePortThatWasOpened();
    void timeoutBox_data();
    void timeoutBox();

    void editTracking_data();
    void editTracking();
    void registrationListHandBack();

    void savingAndLeaving_data();
    void savingAndLeaving();
    void leavingHangsUp_data();
    void leavingHangsUp();

private:
    void createWindow();
    void writeSettingsFile(const Settings& settings);
    void makeSavesFail();
    void bringCallUp();
    void click(const QString& objectName);
    void trigger(const QString& actionName);
    template <typename T> T* control(const QString& objectName) const;
    QStringList boxes() const;
    QString enabledButtons() const;
    QString settingsPath() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<ReserveForm> m_window;
    int m_ended = 0;
};

// ---- fixture --------------------------------------------------------------------------------

void TestReserveForm::init()
{
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_boxes.reset();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_ended = 0;
}

void TestReserveForm::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_window.reset();
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestReserveForm::createWindow()
{
    m_window = std::make_unique<ReserveForm>(m_boxes, m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = 300;
    timing.dialPauseMs = 20;
    timing.pairPauseMs = 20;
    timing.exitReplyTimeoutMs = 200;
    m_window->lineControl().setTiming(timing);
    m_window->setProgramEnd([this] { ++m_ended; });
}

QString TestReserveForm::settingsPath() const
{
    return m_dir->filePath(QStringLiteral("Tarvik.ini"));
}

void TestReserveForm::writeSettingsFile(const Settings& settings)
{
    QString error;
    QVERIFY2(SettingsFile::save(settingsPath(), settings, &error), qPrintable(error));
}

void TestReserveForm::makeSavesFail()
{
    // A folder where the file should be: the new file cannot be put in its place.
    QFile::remove(settingsPath());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Tarvik.ini")));
}

void TestReserveForm::bringCallUp()
{
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command2"));
    QCOMPARE(m_window->lineControl().state(), State::Dialled);
    m_opener.device()->clearWritten();
}

void TestReserveForm::click(const QString& objectName)
{
    auto* button = control<QPushButton>(objectName);
    QVERIFY2(button->isEnabled(), qPrintable(objectName));
    button->click();
}

void TestReserveForm::trigger(const QString& actionName)
{
    m_window->findChild<QAction*>(actionName)->trigger();
}

template <typename T> T* TestReserveForm::control(const QString& objectName) const
{
    T* found = m_window->findChild<T*>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}

QStringList TestReserveForm::boxes() const
{
    QStringList shown;
    for (const ScriptedMessageBoxes::Shown& box : m_boxes.shown())
        shown << box.title + QStringLiteral(": ") + box.text;
    return shown;
}

// "1"/"0" for Hook, Dial, HookOFF, all field buttons alike ("?" when they differ), ←を送信.
QString TestReserveForm::enabledButtons() const
{
    const QStringList lineButtons{"Command1", "Command2", "Command10", "Command14"};
    QString states;
    for (const QString& name : lineButtons.mid(0, 3))
        states += control<QPushButton>(name)->isEnabled() ? '1' : '0';
    QSet<bool> fields;
    for (const QPushButton* button : m_window->findChildren<QPushButton*>()) {
        if (!lineButtons.contains(button->objectName()))
            fields.insert(button->isEnabled());
    }
    states += fields.size() != 1 ? '?' : fields.contains(true) ? '1' : '0';
    return states + (control<QPushButton>(lineButtons.last())->isEnabled() ? '1' : '0');
}

// ---- start-up -------------------------------------------------------------------------------

void TestReserveForm::startUp_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QStringList>("shown"); // ports, mode, service, the six fields, selections
    QTest::newRow("no settings file")
        << false
        << QStringList{"COM1", "Puls", "002 抽選申込み", "", "", "", "", "", "", "-1", "-1"};
    QTest::newRow("settings file")
        << true
        << QStringList{"COM3", "Tone", "002 抽選申込み", "045-123-4567", "1", "21", "15", "02", "",
                       "0",    "0"};
}

void TestReserveForm::startUp()
{
    QFETCH(bool, withFile);
    if (withFile)
        writeSettingsFile(demoSettings());
    createWindow();
    QStringList shown;
    for (const char* combo : {"Combo1", "Combo4", "Combo2"})
        shown << control<QComboBox>(combo)->currentText();
    for (const char* field : {"Text1", "Text4_0", "Text4_1", "Text5", "Text6", "Text7"})
        shown << control<QLineEdit>(field)->text();
    for (const char* list : {"Combo3", "Combo5"})
        shown << QString::number(control<QComboBox>(list)->currentIndex());
    QTEST(shown, "shown");
    QStringList ports;
    for (int i = 0; i < control<QComboBox>("Combo1")->count(); ++i)
        ports << control<QComboBox>("Combo1")->itemText(i);
    QCOMPARE(ports, (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    const Settings stored = withFile ? demoSettings() : Settings();
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Members), stored.members);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Facilities), stored.facilities);
    QCOMPARE(control<QCalendarWidget>("Calendar1")->selectedDate(), QDate::currentDate());
    QVERIFY(!m_window->changedFlag());                 // although loading filled the fields
    QCOMPARE(QFile::exists(settingsPath()), withFile); // loading writes nothing
}

void TestReserveForm::eachSaveUsesTheCurrentDirectory()
{
    createWindow();
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    m_boxes.answerNext(Answer::Yes);
    trigger(QStringLiteral("MenuSave"));
    QVERIFY(QFile::exists(elsewhere.filePath(QStringLiteral("Tarvik.ini"))));
    QVERIFY(!QFile::exists(settingsPath()));
}

void TestReserveForm::accessibleNamesAndTabOrder()
{
    createWindow();
    // Every button, field and list of the window, down the flow chart and then the right part.
    const QStringList expected{
        "Command1",    "Combo1",       "Command2",    "Text1",        "Combo4",      "Command3",
        "Combo2",      "Command5_0",   "Command4_0",  "Command6",     "Combo3",      "Command7",
        "Combo5",      "Command9_0",   "Text4_0",     "Command5_1",   "Command4_1",  "Command12",
        "Text5",       "Command13",    "Text6",       "Command9_1",   "Text4_1",     "Command5_2",
        "Command4_2",  "Command5_3",   "Command4_3",  "Command10",    "Command11_1", "Command11_2",
        "Command11_3", "Command11_4",  "Command11_5", "Command11_6",  "Command11_7", "Command11_8",
        "Command11_9", "Command11_10", "Command11_0", "Command11_11", "Text7",       "Command14",
        "Calendar1"};
    QStringList chain;
    QWidget* widget = control<QWidget>("Command1");
    do {
        const QString name = widget->objectName();
        if (expected.contains(name) && !chain.contains(name)) {
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
            chain << name;
        }
        widget = widget->nextInFocusChain();
    } while (widget != control<QWidget>("Command1"));
    QCOMPARE(chain, expected);
}

// ---- the line -------------------------------------------------------------------------------

void TestReserveForm::enabledStatesThroughACall()
{
    createWindow();
    QStringList seen{enabledButtons()};
    click(QStringLiteral("Command1"));
    seen << enabledButtons();
    connect(
        &m_window->lineControl(), &LineControl::waitStarted, this,
        [&] { seen << enabledButtons(); }, Qt::SingleShotConnection);
    click(QStringLiteral("Command2"));
    seen << enabledButtons();
    click(QStringLiteral("Command10"));
    seen << enabledButtons();
    QVERIFY(!m_window->lineControl().isPortOpen());
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command10")); // hang up without dialling
    seen << enabledButtons();
    const QStringList idle{"10001"}, offHook{"01101"}, dialling{"00101"}, dialled{"00111"};
    QCOMPARE(seen, idle + offHook + dialling + dialled + idle + idle);
}

void TestReserveForm::dialRefusesABadNumber()
{
    createWindow();
    control<QLineEdit>("Text1")->setText(QStringLiteral("045 123"));
    click(QStringLiteral("Command1"));
    m_opener.device()->clearWritten();
    m_boxes.answerNext(Answer::Ok);
    click(QStringLiteral("Command2"));
    QCOMPARE(boxes(), QStringList{"送信文字列エラー: 番号か*#-のどれかを指定してください"});
    QCOMPARE(m_opener.device()->written(), QByteArray());
    QVERIFY(control<QPushButton>("Command2")->isEnabled());
}

// Index i is the key at i + 1 of "0123456789*#", although "*" stands left and "#" right of "0".
void TestReserveForm::keypadIndexOrder()
{
    createWindow();
    bringCallUp();
    QString captions;
    for (int i = 0; i < 12; ++i) {
        captions += control<QPushButton>(QStringLiteral("Command11_%1").arg(i))->text();
        click(QStringLiteral("Command11_%1").arg(i));
    }
    QCOMPARE(captions, QStringLiteral("0123456789*#"));
    QCOMPARE(m_opener.device()->written(), QByteArray("ATDT0;\r\nATDT1;\r\nATDT2;\r\nATDT3;\r\n"
                                                      "ATDT4;\r\nATDT5;\r\nATDT6;\r\nATDT7;\r\n"
                                                      "ATDT8;\r\nATDT9;\r\nATDT*;\r\nATDT#;\r\n"));
    const auto left = [this](int i) {
        return control<QWidget>(QStringLiteral("Command11_%1").arg(i))->x();
    };
    QVERIFY(left(10) < left(0) && left(0) < left(11) && left(10) == left(7) && left(11) == left(9));
    QVERIFY(control<QWidget>("Command11_10")->y() > control<QWidget>("Command11_7")->y());
}

void TestReserveForm::deviceFailureNamesThePortThatWasOpened()
{
    createWindow();
    bringCallUp();
    control<QComboBox>("Combo1")->setCurrentIndex(2); // chosen after the call was set up
    m_boxes.answerNext(Answer::Ok);
    m_opener.device()->vanish("USB が抜かれました");
    QTRY_COMPARE(m_window->lineControl().state(), State::Idle);
    QCOMPARE(boxes(), QStringList{QStringLiteral(
                          "モデムとの通信が切れました: fake:COM1 との通信が途切れました。モデムの"
                          "ケーブルと電源を確かめてください。（USB が抜かれました）\r\n回線を切"
                          "りました。モデムを確かめてから「Hook」からやり直してください。")});
}

void TestReserveForm::timeoutBox_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");
    const QString twoLines =
        QStringLiteral("モデムから応答がありません: "
                       "モデムがつながっていないか、電源が入っていないかも知れません"
                       "\r\n確認したらプログラムを再起動してください");
    QTest::newRow("silent") << QByteArray() << twoLines;
    QTest::newRow("no dial tone") << QByteArray("\r\nNO DIALTONE\r\n")
                                  << twoLines + QStringLiteral("\r\nモデムの応答: NO DIALTONE");
}

void TestReserveForm::timeoutBox()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, text);
    m_opener.setAutoReply(reply);
    createWindow();
    m_boxes.answerNext(Answer::Ok);
    click(QStringLiteral("Command1"));
    QCOMPARE(boxes(), QStringList{text});
    QCOMPARE(m_boxes.shown().first().buttons, Buttons::Ok);
    QVERIFY(control<QPushButton>("Command2")->isEnabled()); // the hook went on all the same
}

// ---- edits ----------------------------------------------------------------------------------

void TestReserveForm::editTracking_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("changed");
    for (const char* setsTheFlag :
         {"Text1", "Text4_0", "Text4_1", "Text5", "Text6", "Combo1", "Combo4"})
        QTest::newRow(setsTheFlag) << QString(setsTheFlag) << true;
    // The free tone string and the service are not stored; picking an entry is no edit.
    for (const char* keepsIt : {"Text7", "Combo2", "Combo3", "Combo5"})
        QTest::newRow(keepsIt) << QString(keepsIt) << false;
}

void TestReserveForm::editTracking()
{
    QFETCH(QString, name);
    writeSettingsFile(demoSettings());
    createWindow();
    QWidget* edited = control<QWidget>(name);
    if (auto* combo = qobject_cast<QComboBox*>(edited)) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, before + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(combo->currentIndex() != before);
    } else {
        QTest::keyClicks(edited, QStringLiteral("9"));
    }
    QTEST(m_window->changedFlag(), "changed");
}

void TestReserveForm::registrationListHandBack()
{
    writeSettingsFile(demoSettings());
    createWindow();
    const QStringList entries{QStringLiteral("0201 02 プール"), QStringLiteral("0301 01 球場")};
    m_window->replaceRegistrationList(RegistrationLists::Kind::Facilities, entries);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Facilities), entries);
    QCOMPARE(control<QComboBox>("Combo5")->currentIndex(), -1);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Members), demoSettings().members);
    QVERIFY(m_window->changedFlag());
}

// ---- saving and leaving ---------------------------------------------------------------------

void TestReserveForm::savingAndLeaving_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<bool>("written");
    const auto row = [](const char* name, Way way, bool changed, bool saveFails,
                        const QList<Answer>& answers, bool leaves, bool written) {
        QTest::newRow(name) << way << changed << saveFails << answers << leaves << written;
    };
    const QList<Answer> failedSave{Answer::Yes, Answer::Ok};
    row("save, yes", Way::SaveMenu, true, false, {Answer::Yes}, false, true);
    row("save unchanged, yes", Way::SaveMenu, false, false, {Answer::Yes}, false, true);
    row("save, no", Way::SaveMenu, true, false, {Answer::No}, false, false);
    row("save, yes, save fails", Way::SaveMenu, true, true, failedSave, false, false);
    row("exit unchanged, ok", Way::ExitMenu, false, false, {Answer::Ok}, true, false);
    row("exit unchanged, cancel", Way::ExitMenu, false, false, {Answer::Cancel}, false, false);
    row("exit, yes", Way::ExitMenu, true, false, {Answer::Yes}, true, true);
    row("exit, no", Way::ExitMenu, true, false, {Answer::No}, true, false);
    row("exit, cancel", Way::ExitMenu, true, false, {Answer::Cancel}, false, false);
    row("exit, yes, save fails", Way::ExitMenu, true, true, failedSave, false, false);
    row("close unchanged: no question", Way::CloseBox, false, false, {}, true, false);
    row("close, yes", Way::CloseBox, true, false, {Answer::Yes}, true, true);
    row("close, no", Way::CloseBox, true, false, {Answer::No}, true, false);
    row("close, cancel", Way::CloseBox, true, false, {Answer::Cancel}, false, false);
    row("close, yes, save fails", Way::CloseBox, true, true, failedSave, false, false);
}

void TestReserveForm::savingAndLeaving()
{
    QFETCH(Way, way);
    QFETCH(bool, changed);
    QFETCH(bool, saveFails);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, written);
    createWindow();
    if (changed)
        control<QLineEdit>("Text5")->setText(QStringLiteral("31"));
    if (saveFails)
        makeSavesFail();
    for (const Answer answer : answers)
        m_boxes.answerNext(answer);
    m_window->show();
    bool left = false;
    if (way == Way::CloseBox) {
        left = m_window->close();
        QCOMPARE(m_ended, 0); // closing the last window ends the program by itself
    } else {
        trigger(way == Way::SaveMenu ? QStringLiteral("MenuSave") : QStringLiteral("MenuExit"));
        left = m_ended == 1;
    }
    QTEST(left, "leaves");
    QCOMPARE(m_boxes.shown().size(), answers.size()); // never a second question
    if (!answers.isEmpty()) {
        const bool askToLeave = way == Way::ExitMenu && !changed;
        QCOMPARE(boxes().first(), way == Way::SaveMenu ? "保存確認: " + SaveQuestion
                                  : askToLeave         ? "終了確認: 終了しますか？"
                                                       : "終了確認: " + SaveQuestion);
        QCOMPARE(m_boxes.shown().first().buttons, way == Way::SaveMenu ? Buttons::YesNo
                                                  : askToLeave         ? Buttons::OkCancel
                                                                       : Buttons::YesNoCancel);
    }
    const QString failure = "保存できません: 設定を保存できませんでした。\r\n";
    if (saveFails) // the reason follows
        QVERIFY(boxes().last().startsWith(failure) && boxes().last().size() > failure.size());
    QCOMPARE(QFileInfo(settingsPath()).isFile(), written);
    if (written)
        QCOMPARE(SettingsFile::load(settingsPath()).date, changed ? "31" : QString());
    QCOMPARE(m_window->changedFlag(), changed && !written);
}

void TestReserveForm::leavingHangsUp_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu") << "menu";
    QTest::newRow("close box") << "close box";
    QTest::newRow("termination signal: no question, nothing saved") << "signal";
}

void TestReserveForm::leavingHangsUp()
{
    QFETCH(QString, how);
    createWindow();
    bringCallUp();
    QPointer<FakeModemDevice> device = m_opener.device();
    QByteArray writtenAtEnd = "not ended";
    m_window->setProgramEnd([&] { writtenAtEnd = device ? device->written() : "deleted"; });
    ExitSignals exitSignals;
    connect(&exitSignals, &ExitSignals::exitRequested, m_window.get(),
            &ReserveForm::leaveWithoutQuestions);
    if (how == QLatin1String("menu")) {
        m_boxes.answerNext(Answer::Ok);
        trigger(QStringLiteral("MenuExit"));
    } else if (how == QLatin1String("close box")) {
        QVERIFY(m_window->close());
        writtenAtEnd = device->written(); // its deletion waits for the event loop
    } else {
        control<QLineEdit>("Text1")->setText(QStringLiteral("changed, but a signal saves nothing"));
        ::raise(SIGTERM);
        QTRY_VERIFY(writtenAtEnd != "not ended");
        QVERIFY(!QFile::exists(settingsPath()));
    }
    QCOMPARE(writtenAtEnd, QByteArray("ATH0\r"));
    QVERIFY(!m_window->lineControl().isPortOpen());
}

QTEST_MAIN(TestReserveForm)
#include "tst_reserveform.moc"
