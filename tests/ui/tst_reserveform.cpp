#include "ExitSignals.h"
#include "FakePortOpener.h"
#include "ReserveForm.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <utility>

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using Kind = RegistrationLists::Kind;
using State = LineControl::State;

namespace {

const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");

// The ways the settings are saved or the program is left.
enum class Way { SaveMenu, ExitMenu, CloseBox, Signal };

} // namespace

Q_DECLARE_METATYPE(QList<Answer>)
Q_DECLARE_METATYPE(Way)

class TestReserveForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpChoosesDefaultsAndLoadsWithoutMarkingAnEdit();
    void tabOrderRunsDownTheChartThenTheKeypad();
    void enabledStatesThroughACall();
    void dialRefusesABadNumber();
    void deviceFailureNamesThePortThatWasOpened();
    void timeoutBoxTellsTheModemsAnswer();
    void onlyStoredControlsMarkAnEdit();
    void savingAndLeaving_data();
    void savingAndLeaving();

private:
    void click(const QString& objectName) { m_f->click(objectName); }
    template <typename T> T* control(const QString& objectName) const
    {
        return m_f->control<T>(objectName);
    }
    QStringList boxes() const { return m_f->boxes().texts(); }
    QString enabledButtons() const;

    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
    ReserveForm* m_window = nullptr;
};

void TestReserveForm::init()
{
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_f = std::make_unique<WindowFixture>(m_opener);
    m_window = &m_f->window();
}

void TestReserveForm::cleanup()
{
    QCOMPARE(m_f->boxes().pendingAnswers(), 0);
    m_f.reset();
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

void TestReserveForm::startUpChoosesDefaultsAndLoadsWithoutMarkingAnEdit()
{
    QStringList shown; // port, dialling mode, service, the two registration lists
    for (const char* combo : {"Combo1", "Combo4", "Combo2", "Combo3", "Combo5"})
        shown << control<QComboBox>(combo)->currentText();
    QCOMPARE(shown, (QStringList{"COM1", "Puls", "002 抽選申込み", "", ""}));
    QStringList ports;
    for (int i = 0; i < control<QComboBox>("Combo1")->count(); ++i)
        ports << control<QComboBox>("Combo1")->itemText(i);
    QCOMPARE(ports, (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    QVERIFY(!m_window->changedFlag());
    QVERIFY(QDir(m_f->folder()).isEmpty()); // starting writes nothing
    Settings stored;
    stored.number = QStringLiteral("045-123-4567");
    QVERIFY(SettingsFile::save(m_f->settingsPath(), stored, nullptr));
    m_f->restart();
    QCOMPARE(m_f->control<QLineEdit>("Text1")->text(), stored.number);
    QVERIFY(!m_f->window().changedFlag()); // although loading filled the field
}

// Tab goes through the flow chart row by row, left to right, then starts again at the top of
// the keypad (laid out as on a telephone) and goes on down the right part. Every control it
// reaches has a name to be read out.
void TestReserveForm::tabOrderRunsDownTheChartThenTheKeypad()
{
    const QWidget* panel = m_window->centralWidget();
    const auto place = [](const QWidget* widget) { return std::pair(widget->y(), widget->x()); };
    QWidget* const start = control<QWidget>("Command1");
    const QWidget* previous = nullptr;
    QStringList restarts;
    QString keys;
    for (QWidget* widget = start; widget != start || !previous;
         widget = widget->nextInFocusChain()) {
        if (widget->parentWidget() != panel || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        if (previous && place(widget) < place(previous))
            restarts << previous->objectName() + QStringLiteral(" > ") + widget->objectName();
        if (widget->objectName().startsWith(QStringLiteral("Command11_")))
            keys += qobject_cast<QPushButton*>(widget)->text();
        previous = widget;
    }
    QCOMPARE(restarts, QStringList{"Command10 > Command11_1"});
    QCOMPARE(previous->objectName(), QStringLiteral("Calendar1"));
    QCOMPARE(keys, QStringLiteral("123456789*0#"));
}

// ---- the line -------------------------------------------------------------------------------

void TestReserveForm::enabledStatesThroughACall()
{
    QStringList seen{enabledButtons()};
    click(QStringLiteral("Command1"));
    seen << enabledButtons();
    connect(
        &m_f->line(), &LineControl::waitStarted, this, [&] { seen << enabledButtons(); },
        Qt::SingleShotConnection);
    click(QStringLiteral("Command2"));
    seen << enabledButtons();
    click(QStringLiteral("Command10"));
    seen << enabledButtons();
    const QStringList idle{"10001"}, offHook{"01101"}, dialling{"00101"}, dialled{"00111"};
    QCOMPARE(seen, idle + offHook + dialling + dialled + idle);
}

void TestReserveForm::dialRefusesABadNumber()
{
    control<QLineEdit>("Text1")->setText(QStringLiteral("045 123"));
    click(QStringLiteral("Command1"));
    m_opener.device()->clearWritten();
    m_f->boxes().answerNext(Answer::Ok);
    click(QStringLiteral("Command2"));
    QCOMPARE(boxes(), QStringList{"送信文字列エラー: 番号か*#-のどれかを指定してください"});
    QCOMPARE(m_opener.device()->written(), QByteArray());
    QVERIFY(control<QPushButton>("Command2")->isEnabled());
}

void TestReserveForm::deviceFailureNamesThePortThatWasOpened()
{
    m_f->bringCallUp();
    control<QComboBox>("Combo1")->setCurrentIndex(2); // chosen after the call was set up
    m_f->boxes().answerNext(Answer::Ok);
    m_opener.device()->vanish("USB が抜かれました");
    QTRY_COMPARE(m_f->line().state(), State::Idle);
    QCOMPARE(boxes(), QStringList{QStringLiteral(
                          "モデムとの通信が切れました: fake:COM1 との通信が途切れました。モデムの"
                          "ケーブルと電源を確かめてください。（USB が抜かれました）\r\n回線を切"
                          "りました。モデムを確かめてから「Hook」からやり直してください。")});
}

void TestReserveForm::timeoutBoxTellsTheModemsAnswer()
{
    m_opener.setAutoReply("\r\nNO DIALTONE\r\n");
    m_f->boxes().answerNext(Answer::Ok);
    click(QStringLiteral("Command1"));
    QCOMPARE(boxes(),
             QStringList{QStringLiteral(
                 "モデムから応答がありません: "
                 "モデムがつながっていないか、電源が入っていないかも知れません\r\n"
                 "確認したらプログラムを再起動してください\r\nモデムの応答: NO DIALTONE")});
    QCOMPARE(m_f->boxes().shown().first().buttons, Buttons::Ok);
    QVERIFY(control<QPushButton>("Command2")->isEnabled()); // the hook went on all the same
}

// ---- edits, saving and leaving --------------------------------------------------------------

// A list handed back by the editor is an edit; the free tone string and the service are not
// stored, and picking a list entry is no edit.
void TestReserveForm::onlyStoredControlsMarkAnEdit()
{
    for (const Kind kind : {Kind::Members, Kind::Facilities}) {
        m_window->setChangedFlag(false);
        m_window->replaceRegistrationList(kind, {"0201 02 プール", "0301 01 球場"});
        QVERIFY(m_window->changedFlag());
    }
    QCOMPARE(control<QComboBox>("Combo5")->currentIndex(), -1); // the new list: none chosen yet
    QStringList marking;
    for (QWidget* edited :
         m_window->centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_window->setChangedFlag(false);
        if (auto* combo = qobject_cast<QComboBox*>(edited)) {
            const int before = combo->currentIndex();
            QTest::keyClick(combo, before + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
            QVERIFY(combo->currentIndex() != before);
        } else if (qobject_cast<QLineEdit*>(edited)) {
            QTest::keyClicks(edited, QStringLiteral("9"));
        }
        if (m_window->changedFlag())
            marking << edited->objectName();
    }
    marking.sort();
    QCOMPARE(marking,
             (QStringList{"Combo1", "Combo4", "Text1", "Text4_0", "Text4_1", "Text5", "Text6"}));
}

// Each during a call, which leaving hangs up before the program ends.
void TestReserveForm::savingAndLeaving_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("leaves");
    const auto row = [](const char* name, Way way, bool changed, bool saveFails,
                        const QList<Answer>& answers, bool leaves) {
        QTest::newRow(name) << way << changed << saveFails << answers << leaves;
    };
    row("save, yes", Way::SaveMenu, true, false, {Answer::Yes}, false);
    row("save, no", Way::SaveMenu, true, false, {Answer::No}, false);
    row("exit unchanged, ok", Way::ExitMenu, false, false, {Answer::Ok}, true);
    row("exit unchanged, cancel", Way::ExitMenu, false, false, {Answer::Cancel}, false);
    row("exit, yes", Way::ExitMenu, true, false, {Answer::Yes}, true);
    row("exit, no", Way::ExitMenu, true, false, {Answer::No}, true);
    row("close unchanged: no question", Way::CloseBox, false, false, {}, true);
    row("close, cancel", Way::CloseBox, true, false, {Answer::Cancel}, false);
    row("close, yes, save fails: stays open", Way::CloseBox, true, true, {Answer::Yes, Answer::Ok},
        false);
    row("termination signal: no question, nothing saved", Way::Signal, true, false, {}, true);
}

void TestReserveForm::savingAndLeaving()
{
    QFETCH(Way, way);
    QFETCH(bool, changed);
    QFETCH(bool, saveFails);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, leaves);
    const bool written = answers.value(0, Answer::Cancel) == Answer::Yes && !saveFails;
    m_f->bringCallUp();
    m_opener.device()->clearWritten();
    int ended = 0;
    QByteArray writtenAtEnd;
    connect(m_window, &ReserveForm::exitRequested, this, [&] {
        ++ended;
        writtenAtEnd = m_opener.device() ? m_opener.device()->written() : "deleted";
    });
    ExitSignals exitSignals;
    connect(&exitSignals, &ExitSignals::exitRequested, m_window,
            &ReserveForm::leaveWithoutQuestions);
    const QString path = m_f->settingsPath();
    if (changed)
        control<QLineEdit>("Text5")->setText(QStringLiteral("31"));
    if (saveFails) // a folder where the file should be: the new file cannot take its place
        QVERIFY(QDir().mkdir(path));
    for (const Answer answer : answers)
        m_f->boxes().answerNext(answer);
    m_window->show();
    bool closed = false;
    if (way == Way::CloseBox)
        closed = m_window->close();
    else if (way == Way::Signal)
        ::raise(SIGTERM);
    else
        m_window->findChild<QAction*>(way == Way::SaveMenu ? "MenuSave" : "MenuExit")->trigger();
    if (closed) // closing the last window ends the program by itself; the port closes later
        writtenAtEnd = m_opener.device()->written();
    QTRY_COMPARE(ended + int(closed), int(leaves));
    QCOMPARE(writtenAtEnd, leaves ? QByteArray("ATH0\r") : QByteArray());
    QCOMPARE(m_f->line().isPortOpen(), !leaves);
    QCOMPARE(m_f->boxes().shown().size(), answers.size()); // never a second question
    if (!answers.isEmpty()) {
        const bool askToLeave = way == Way::ExitMenu && !changed;
        QCOMPARE(boxes().first(), way == Way::SaveMenu ? "保存確認: " + SaveQuestion
                                  : askToLeave         ? "終了確認: 終了しますか？"
                                                       : "終了確認: " + SaveQuestion);
        QCOMPARE(m_f->boxes().shown().first().buttons, way == Way::SaveMenu ? Buttons::YesNo
                                                       : askToLeave         ? Buttons::OkCancel
                                                                            : Buttons::YesNoCancel);
    }
    const QString failure = "保存できません: 設定を保存できませんでした。\r\n";
    if (saveFails) // the reason follows
        QVERIFY(boxes().last().startsWith(failure) && boxes().last().size() > failure.size());
    QCOMPARE(QFileInfo(path).isFile(), written);
    if (written)
        QCOMPARE(SettingsFile::load(path).date, QStringLiteral("31"));
    QCOMPARE(m_window->changedFlag(), changed && !written);
}

QTEST_MAIN(TestReserveForm)
#include "tst_reserveform.moc"
