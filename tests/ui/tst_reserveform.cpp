#include "CallStatus.h"
#include "ControlRole.h"
#include "ExitSignals.h"
#include "FakePortOpener.h"
#include "Parameter.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <utility>

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using Kind = RegistrationLists::Kind;
using State = LineControl::State;
using Step = CallProcedure::Step;
using Field = ControlRole::Field;
using Texts = QList<QPair<ControlRole, QString>>; // a field's text, or a list's one entry
using Presses = QList<ControlRole>;
using SaveStep = AtomicFile::Step;

namespace {

const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");
const QString DigitsOnly = QStringLiteral("送信文字列エラー: 番号のみ指定してください");
const QString ToneKeysOnly =
    QStringLiteral("送信文字列エラー: 番号か*#-のどれかを指定してください");

// The ways the settings are saved or the program is left.
enum class Way { SaveMenu, ExitMenu, CloseBox, Signal };

constexpr int NoOverride = -1;

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

} // namespace

Q_DECLARE_METATYPE(QList<Answer>)
Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Texts)
Q_DECLARE_METATYPE(Presses)
Q_DECLARE_METATYPE(Buttons)
Q_DECLARE_METATYPE(SaveStep)

// The main window on an in-memory modem that answers "OK" to everything.
class TestReserveForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_opener = FakePortOpener();
        m_opener.setAutoReply(FakeModemDevice::okReply());
        m_f = std::make_unique<WindowFixture>(m_opener);
        m_texts.clear();
        m_cursorsInWaits.clear();
        m_cursorsAtBoxes.clear();
    }

    void cleanup()
    {
        QCOMPARE(m_f->boxes().pendingAnswers(), 0);
        m_f.reset();
        QCOMPARE(overrideShape(), NoOverride);
        QCOMPARE(m_cursorsInWaits, QList<int>(m_cursorsInWaits.size(), int(Qt::BusyCursor)));
        QCOMPARE(m_cursorsAtBoxes, QList<int>(m_cursorsAtBoxes.size(), NoOverride));
    }

    void enabledStatesThroughACall()
    {
        QStringList seen{enabledButtons()};
        m_f->click(Step::Hook);
        seen << enabledButtons();
        connect(
            &m_f->line(), &LineControl::waitStarted, this, [&] { seen << enabledButtons(); },
            Qt::SingleShotConnection);
        m_f->click(Step::Dial);
        seen << enabledButtons();
        m_f->click(Step::HookOff);
        seen << enabledButtons();
        const QStringList idle{"10001"}, offHook{"01101"}, dialling{"00101"}, dialled{"00111"};
        QCOMPARE(seen, idle + offHook + dialling + dialled + idle);
    }

    // Each step button with what the window holds at the click: the tone commands that go out,
    // and the boxes shown instead. Member lines give the first 8 and the last 4 of their last 13
    // characters, facility lines the first 4 and the last 2 of their first 7.
    void stepsSendTheirFields_data()
    {
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<Presses>("presses");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("callUp");
        const auto row = [](const char* name, const Texts& texts, const Presses& presses,
                            const QByteArray& sent, const QStringList& boxes = {},
                            bool callUp = true) {
            QTest::newRow(name) << texts << presses << sent << boxes << callUp;
        };
        const QByteArray yes = "ATDT1;\r\n", no = "ATDT0;\r\n";
        const auto key = &ControlRole::key;
        row("service: its number", {}, {Step::Service}, "ATDT002;\r\n");
        row("yes at each point, next reservation", {},
            {Step::FirstYes, Step::SecondYes, Step::ThirdYes, Step::NextReservation},
            yes + yes + yes + yes);
        row("no at each point, other service", {},
            {Step::FirstNo, Step::SecondNo, Step::ThirdNo, Step::OtherService}, no + no + no + no);
        row("tone pad", {}, {key(0), key(5), key(9), key(10), key(11)},
            "ATDT0;\r\nATDT5;\r\nATDT9;\r\nATDT*;\r\nATDT#;\r\n");
        row("number and PIN", {{Field::Member, "山田 太郎 12345678 0987"}}, {Step::Member},
            "ATDT12345678;\r\nATDT0987;\r\n");
        row("number refused, PIN still sent", {{Field::Member, "山田 1234-678 0987"}},
            {Step::Member}, "ATDT0987;\r\n", {DigitsOnly});
        row("member line of 5: the halves overlap", {{Field::Member, "12345"}}, {Step::Member},
            "ATDT12345;\r\nATDT2345;\r\n");
        row("no member selected", {}, {Step::Member}, "",
            {"送信できません: "
             "メンバーが選ばれていません。\r\n「登録」メニューの「ID番号」でメンバー"
             "を登録し、一覧から選んでください。"});
        row("facility and breakdown", {{Field::Facility, "0101 02 体育館"}}, {Step::Facility},
            "ATDT0101;\r\nATDT02;\r\n");
        row("no facility selected", {}, {Step::Facility}, "",
            {"送信できません: "
             "施設が選ばれていません。\r\n「登録」メニューの「施設」で施設を登録し、"
             "一覧から選んでください。"});
        row("conditions", {{Field::Conditions, "3"}, {Field::Purpose, "21"}}, {Step::Conditions},
            "ATDT3;\r\n");
        row("conditions refused", {{Field::Conditions, "3a"}}, {Step::Conditions}, "",
            {DigitsOnly});
        row("purpose", {{Field::Conditions, "3"}, {Field::Purpose, "21"}}, {Step::Purpose},
            "ATDT21;\r\n");
        row("purpose refused", {{Field::Purpose, "2 1"}}, {Step::Purpose}, "", {DigitsOnly});
        row("date", {{Field::Date, "15"}}, {Step::Date}, "ATDT15;\r\n");
        // Only ASCII digits are digits here: others are no tones the modem can play.
        row("date, full-width digits refused", {{Field::Date, "１５"}}, {Step::Date}, "",
            {DigitsOnly});
        row("conditions, Arabic-Indic digit refused", {{Field::Conditions, "٤"}},
            {Step::Conditions}, "", {DigitsOnly});
        row("purpose, Devanagari digit refused", {{Field::Purpose, "२४"}}, {Step::Purpose}, "",
            {DigitsOnly});
        row("time slot, superscript refused", {{Field::TimeSlot, "1²"}}, {Step::TimeSlot}, "",
            {DigitsOnly});
        row("member codes in full-width: neither sent",
            {{Field::Member, "山田 １２３４５６７８ ０９８７"}}, {Step::Member}, "",
            {DigitsOnly, DigitsOnly});
        row("facility code with a superscript: breakdown still sent",
            {{Field::Facility, "010² 02 体育館"}}, {Step::Facility}, "ATDT02;\r\n", {DigitsOnly});
        row("time slot: its first two characters", {{Field::TimeSlot, "0215"}}, {Step::TimeSlot},
            "ATDT02;\r\n");
        row("time slot: only those are checked", {{Field::TimeSlot, "02x"}}, {Step::TimeSlot},
            "ATDT02;\r\n");
        row("time slot refused", {{Field::TimeSlot, "2a5"}}, {Step::TimeSlot}, "", {DigitsOnly});
        row("free tone string", {{Field::FreeTones, "0-1*2#"}}, {Field::SendFreeTones},
            "ATDT0-1*2#;\r\n");
        row("free tone string refused", {{Field::FreeTones, "1,2"}}, {Field::SendFreeTones}, "",
            {ToneKeysOnly});
        row("free tone string, empty: nothing", {}, {Field::SendFreeTones}, "");
        row("free tone string, line down", {{Field::FreeTones, "123"}}, {Field::SendFreeTones}, "",
            {"送信できません: "
             "回線がつながっていません。\r\n「Hook」と「Dial」で電話をかけてから送信"
             "してください。"},
            false);
    }

    void stepsSendTheirFields()
    {
        QFETCH(Texts, texts);
        QFETCH(Presses, presses);
        QFETCH(QStringList, boxes);
        QFETCH(bool, callUp);
        if (callUp)
            m_f->bringCallUp();
        if (m_opener.device())
            m_opener.device()->clearWritten();
        setTexts(texts);
        m_f->boxes().answerNext(Answer::Ok, int(boxes.size()));
        for (const ControlRole& press : presses)
            m_f->click(qobject_cast<QPushButton*>(press.in(m_f->ui())));
        QTEST(written(), "sent");
        QCOMPARE(m_f->boxes().texts(), boxes);
        QCOMPARE(m_opener.requests().size(), int(callUp)); // nothing opens the port to send
    }

    // Pulse only for "Puls": a file without a mode selects it, one out of range selects nothing.
    void dialUsesTheStoredMode_data()
    {
        QTest::addColumn<QByteArray>("phone");
        QTest::addColumn<QByteArray>("dialled");
        QTest::newRow("pulse") << QByteArray("DIAL=0") << QByteArray("ATDP045-1;\r");
        QTest::newRow("tone") << QByteArray("DIAL=1") << QByteArray("ATDT045-1;\r");
        QTest::newRow("none selected") << QByteArray("DIAL=-1") << QByteArray("ATDT045-1;\r");
        QTest::newRow("out of range") << QByteArray("DIAL=2") << QByteArray("ATDT045-1;\r");
        QTest::newRow("not stored") << QByteArray() << QByteArray("ATDP045-1;\r");
    }

    void dialUsesTheStoredMode()
    {
        QFETCH(QByteArray, phone);
        writeSettings("[PHONE]\r\n" + phone + "\r\nNumber=045-1\r\n");
        m_f->restart();
        m_f->bringCallUp();
        QTEST(m_opener.device()->writes().value(1), "dialled");

        m_f->ui().numberField->setText(QStringLiteral("045 1")); // a blank is no tone
        m_f->click(Step::HookOff);
        m_f->click(Step::Hook);
        m_f->boxes().answerNext(Answer::Ok);
        m_f->click(Step::Dial);
        QCOMPARE(boxes(), QStringList{ToneKeysOnly});
        QCOMPARE(m_opener.device()->written(), QByteArray("ATH1\r"));
    }

    // A click while another step waits for its "OK" would steal that answer or abort the modem's
    // dial: it is refused with a beep, before any check and without a box.
    void clickDuringAWaitIsRefused()
    {
        m_f->bringCallUp();
        m_opener.device()->clearWritten();
        m_opener.device()->setAutoReply({});
        setTexts(
            {{Field::Date, "x"}, {Field::FreeTones, "9"}, {Field::Member, "山田 12345678 1234"}});
        const ReserveFormControls& ui = m_f->ui();
        connect(
            &m_f->line(), &LineControl::waitStarted, this,
            [&ui, this] {
                for (QPushButton* button : {ui.keyButtons[2], ui.button(Step::Date),
                                            ui.button(Step::Member), ui.sendFreeToneButton})
                    m_f->click(button);
            },
            Qt::SingleShotConnection);
        m_f->boxes().answerNext(Answer::Ok); // the timeout of the first send
        m_f->click(ui.keyButtons[1]);
        QCOMPARE(written(), QByteArray("ATDT1;\r\n"));
        QCOMPARE(m_f->boxes().titles(), QStringList{"モデムから応答がありません"});
    }

    // The modem's answer instead of "OK" is named; a lost device is named as it was opened,
    // whatever the port list shows now.
    void lineBoxesNameWhatHappened()
    {
        m_opener.setAutoReply("\r\nNO DIALTONE\r\n");
        m_f->boxes().answerNext(Answer::Ok, 2);
        m_f->click(Step::Hook);
        QVERIFY(m_f->ui().button(Step::Dial)->isEnabled()); // the hook went on all the same
        m_f->ui().portList->setCurrentIndex(2);
        m_opener.device()->vanish(QStringLiteral("USB が抜かれました"));
        QTRY_COMPARE(m_f->line().state(), State::Idle);
        QCOMPARE(
            boxes(),
            (QStringList{"モデムから応答がありません: モデムがつながっていないか、電源が入って"
                         "いないかも知れません\r\n確認したらプログラムを再起動してください\r\n"
                         "モデムの応答: NO DIALTONE",
                         "モデムとの通信が切れました: /dev/ttyS0 との通信が途切れました。モデムの"
                         "ケーブルと電源を確かめてください。（USB が抜かれました）\r\n回線を切り"
                         "ました。モデムを確かめてから「Hook」からやり直してください。"}));
    }

    // Every stored value reaches the control that shows it, and comes back from there to the same
    // bytes: a value shown in the wrong field, or one not read back, changes the file.
    void storedValuesGoThroughTheControlsUnchanged()
    {
        QVERIFY(QDir(m_f->folder()).isEmpty()); // starting wrote nothing
        Settings stored;
        stored.portIndex = 2;
        stored.dialModeIndex = 1;
        stored.number = QStringLiteral("0451234567");
        stored.conditionsCode = QStringLiteral("1");
        stored.purposeCode = QStringLiteral("21");
        stored.date = QStringLiteral("15");
        stored.timeSlot = QStringLiteral("02");
        stored.members = QStringList{"表ソ能 12345678 1234", "鈴木 87654321 4321"};
        stored.facilities = QStringList{"0101 01 体育館", "0102 03 テニスコート"};
        stored.portDevices[3] = QStringLiteral("/dev/ttyACM0");
        QVERIFY(SettingsFile::save(m_f->settingsPath(), stored, nullptr));
        QFile file(m_f->settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();

        m_f->restart();
        QVERIFY(!m_f->window().changedFlag()); // although loading filled the controls
        const ReserveFormControls& ui = m_f->ui();
        QStringList shown;
        for (const QComboBox* list : {ui.portList, ui.dialModeList})
            shown << list->currentText();
        for (const QLineEdit* field :
             {ui.numberField, ui.conditionsField, ui.purposeField, ui.dateField, ui.timeSlotField})
            shown << field->text();
        for (const QComboBox* list : {ui.memberList, ui.facilityList})
            shown << list->currentText();
        QCOMPARE(shown, (QStringList{"COM3", "Tone", "0451234567", "1", "21", "15", "02",
                                     stored.members[0], stored.facilities[0]}));
        QVERIFY(m_f->window().saveSettings());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    // The free tone string and the service are not stored, and picking a list entry is no edit.
    void onlyStoredControlsMarkAnEdit()
    {
        for (const Kind kind : {Kind::Member, Kind::Facility})
            m_f->window().replaceRegistrationList(kind, {"1", "2"});
        QStringList marking;
        for (QWidget* edited : m_f->window().centralWidget()->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            QVERIFY(m_f->window().saveSettings());
            if (auto* combo = qobject_cast<QComboBox*>(edited)) {
                const int before = combo->currentIndex();
                QTest::keyClick(combo, before + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
                QVERIFY(combo->currentIndex() != before);
            } else if (qobject_cast<QLineEdit*>(edited)) {
                QTest::keyClicks(edited, QStringLiteral("9"));
            }
            if (m_f->window().changedFlag())
                marking << edited->objectName();
        }
        const ReserveFormControls& ui = m_f->ui();
        QStringList stored;
        for (const QWidget* control : std::initializer_list<const QWidget*>{
                 ui.portList, ui.dialModeList, ui.numberField, ui.conditionsField, ui.purposeField,
                 ui.dateField, ui.timeSlotField})
            stored << control->objectName();
        marking.sort();
        stored.sort();
        QCOMPARE(marking, stored);
    }

    // "登録" in the editor replaces the window's list with the copy, selects nothing in it, and
    // marks the settings as changed — also when nothing was edited.
    void editorHandsItsListBackInPlaceOfTheOld()
    {
        ReserveForm& window = m_f->window();
        window.replaceRegistrationList(Kind::Facility, {"0101 01 体育館", "0102 03 プール"});
        window.replaceRegistrationList(Kind::Member, {"山田 12345678 1234"});
        QVERIFY(window.saveSettings());
        Parameter editor(Kind::Facility, window, m_f->boxes());
        editor.show();
        editor.findChild<QPushButton*>("Copy")->click(); // unedited, still a change
        QVERIFY(window.changedFlag());
        QCOMPARE(window.registrationList(Kind::Facility),
                 (QStringList{"0101 01 体育館", "0102 03 プール"}));
        QCOMPARE(m_f->ui().facilityList->currentIndex(), -1);
        QCOMPARE(window.registrationList(Kind::Member), QStringList{"山田 12345678 1234"});
    }

    // Each with the line in the given state, which leaving hangs up before the program ends.
    void savingAndLeaving_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<State>("line");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QString>("question"); // the first box; empty: none
        QTest::addColumn<Buttons>("questionButtons");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<bool>("hangsUp");
        const QString saveAsked = "保存確認: " + SaveQuestion;
        const QString saveOnLeaving = "終了確認: " + SaveQuestion;
        const QString leaveAsked = QStringLiteral("終了確認: 終了しますか？");
        const auto row = [](const char* name, Way way, State line, bool changed, bool saveFails,
                            const QList<Answer>& answers, const QString& question, Buttons buttons,
                            bool leaves, bool hangsUp) {
            QTest::newRow(name) << way << line << changed << saveFails << answers << question
                                << buttons << leaves << hangsUp;
        };
        const State call = State::Dialled;
        const auto none = Buttons::Ok;
        row("save, yes", Way::SaveMenu, call, true, false, {Answer::Yes}, saveAsked, Buttons::YesNo,
            false, false);
        row("exit unchanged, ok", Way::ExitMenu, call, false, false, {Answer::Ok}, leaveAsked,
            Buttons::OkCancel, true, true);
        row("exit unchanged, cancel", Way::ExitMenu, call, false, false, {Answer::Cancel},
            leaveAsked, Buttons::OkCancel, false, false);
        row("exit off-hook, not dialled", Way::ExitMenu, State::OffHook, false, false, {Answer::Ok},
            leaveAsked, Buttons::OkCancel, true, true);
        row("exit while idle: nothing to hang up", Way::ExitMenu, State::Idle, false, false,
            {Answer::Ok}, leaveAsked, Buttons::OkCancel, true, false);
        row("exit, yes", Way::ExitMenu, call, true, false, {Answer::Yes}, saveOnLeaving,
            Buttons::YesNoCancel, true, true);
        row("close unchanged: no question", Way::CloseBox, call, false, false, {}, {}, none, true,
            true);
        row("close, cancel", Way::CloseBox, call, true, false, {Answer::Cancel}, saveOnLeaving,
            Buttons::YesNoCancel, false, false);
        row("close, yes, save fails: stays open", Way::CloseBox, call, true, true,
            {Answer::Yes, Answer::Ok}, saveOnLeaving, Buttons::YesNoCancel, false, false);
        row("termination signal: no question, nothing saved", Way::Signal, call, true, false, {},
            {}, none, true, true);
    }

    void savingAndLeaving()
    {
        QFETCH(Way, way);
        QFETCH(State, line);
        QFETCH(bool, changed);
        QFETCH(bool, saveFails);
        QFETCH(QList<Answer>, answers);
        QFETCH(QString, question);
        QFETCH(bool, leaves);
        QFETCH(bool, hangsUp);
        ReserveForm& window = m_f->window();
        const bool saved = answers.value(0, Answer::Cancel) == Answer::Yes && !saveFails;
        if (line != State::Idle)
            m_f->click(Step::Hook);
        if (line == State::Dialled)
            m_f->click(Step::Dial);
        QCOMPARE(m_f->line().state(), line);
        if (m_opener.device())
            m_opener.device()->clearWritten();
        int ended = 0;
        QByteArray writtenAtEnd;
        connect(&window, &ReserveForm::exitRequested, this, [&] {
            ++ended;
            writtenAtEnd = written();
        });
        ExitSignals exitSignals;
        connect(&exitSignals, &ExitSignals::exitRequested, &window,
                &ReserveForm::leaveWithoutQuestions);
        if (changed)
            m_f->ui().dateField->setText(QStringLiteral("31"));
        if (saveFails) // a folder where the file should be: the new file cannot take its place
            QVERIFY(QDir().mkdir(m_f->settingsPath()));
        for (const Answer answer : answers)
            m_f->boxes().answerNext(answer);
        window.show();
        bool closed = false;
        if (way == Way::CloseBox)
            closed = window.close();
        else if (way == Way::Signal)
            ::raise(SIGTERM);
        else
            window.findChild<QAction*>(way == Way::SaveMenu ? "MenuSave" : "MenuExit")->trigger();
        if (closed) // closing the last window ends the program by itself
            writtenAtEnd = written();
        QTRY_COMPARE(ended + int(closed), int(leaves));
        QCOMPARE(writtenAtEnd, hangsUp ? QByteArray("ATH0\r") : QByteArray());
        QCOMPARE(m_f->line().isPortOpen(), line != State::Idle && !leaves);
        QVERIFY(m_opener.requests().size() <= 1);              // leaving opens nothing
        QCOMPARE(m_f->boxes().shown().size(), answers.size()); // never a second question
        QCOMPARE(boxes().value(0), question);
        if (!question.isEmpty())
            QTEST(m_f->boxes().shown().first().buttons, "questionButtons");
        if (saveFails)
            QCOMPARE(boxes().last(),
                     "保存できません: 設定を保存できませんでした。\r\nファイルを置き換え"
                     "られません（同じ名前のフォルダーがあります）");
        QCOMPARE(QFileInfo(m_f->settingsPath()).isFile(), saved);
        if (saved)
            QCOMPARE(SettingsFile::load(m_f->settingsPath()).date, QStringLiteral("31"));
        QCOMPARE(window.changedFlag(), changed && !saved);
    }

    // Every save, from the menu or on leaving, goes through the one-step replacement: failed at
    // any step it leaves the old file byte for byte (and the window open with the edit); cut off
    // at any step, the folder holds the old file or the new one, never neither.
    void saveKeepsTheOldFileOrPutsTheNewOne_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<SaveStep>("step");
        QTest::addColumn<bool>("savedAll"); // failing this step still saves
        const QList<std::pair<const char*, SaveStep>> steps{
            {"create", SaveStep::CreateTemporary},
            {"write", SaveStep::Write},
            {"sync", SaveStep::Sync},
            {"close", SaveStep::Close},
            {"rename", SaveStep::Rename},
            {"folder's sync", SaveStep::SyncFolder}};
        for (const auto& [way, name] :
             {std::pair(Way::SaveMenu, "保存"), std::pair(Way::ExitMenu, "終了"),
              std::pair(Way::CloseBox, "close box")}) {
            for (const auto& [stepName, step] : steps)
                QTest::addRow("%s, %s", name, stepName)
                    << way << step << (step == SaveStep::SyncFolder);
        }
    }

    void saveKeepsTheOldFileOrPutsTheNewOne()
    {
        QFETCH(Way, way);
        QFETCH(SaveStep, step);
        QFETCH(bool, savedAll);
        m_f->ui().dateField->setText(QStringLiteral("15"));
        QVERIFY(m_f->window().saveSettings());
        const QByteArray oldBytes = fileBytes();
        m_f->ui().dateField->setText(QStringLiteral("31"));

        m_f->checkSaveSteps([step](SaveStep now) { return now != step; });
        const bool left = saveBy(way, savedAll ? QList<Answer>{Answer::Yes}
                                               : QList<Answer>{Answer::Yes, Answer::Ok});
        QCOMPARE(fileBytes() == oldBytes, !savedAll);
        QCOMPARE(m_f->window().changedFlag(), !savedAll);
        QCOMPARE(left, savedAll && way != Way::SaveMenu);
        if (left)
            return;
        m_f->boxes().reset();

        QByteArray atTheCut;
        m_f->checkSaveSteps([&](SaveStep now) {
            if (now == step)
                atTheCut = fileBytes();
            return true;
        });
        m_f->ui().dateField->setText(QStringLiteral("24"));
        saveBy(way, {Answer::Yes});
        QVERIFY2(atTheCut == oldBytes || atTheCut == fileBytes(), atTheCut.constData());
        QCOMPARE(SettingsFile::load(m_f->settingsPath()).date, QStringLiteral("24"));
    }

    // The registration number and the PIN must never be readable over the user's shoulder: the
    // texts name the step, whatever it sends and however it ends.
    void namesStepsButNeverTheirDigits()
    {
        LineControl::Timing pausesToWatch = WindowFixture::shortTiming();
        pausesToWatch.dialPauseMs = pausesToWatch.pairPauseMs = 60;
        watchStatus(pausesToWatch);
        m_f->window().replaceRegistrationList(Kind::Member, {QStringLiteral("山田 98765432 0987")});
        m_f->ui().memberList->setCurrentIndex(0);
        m_f->bringCallUp();
        m_f->click(Step::Member);
        m_opener.device()->setAutoReply("\r\nERROR\r\n"); // the modem refuses: boxes follow
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok, 2);
        QTimer::singleShot(150, this, [this] { m_f->click(m_f->ui().keyButtons[1]); }); // refused
        m_f->click(Step::Member);
        m_opener.device()->vanish(QStringLiteral("Input/output error"));
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok);
        QTRY_COMPARE(m_f->line().state(), LineControl::State::Idle);

        for (const QString& text : std::as_const(m_texts)) {
            for (const char* digits : {"9876", "5432", "0987"})
                QVERIFY2(!text.contains(QLatin1String(digits)), qPrintable(text));
        }
        for (const char* phrase : {"登録番号を送信しました（OK）", "暗証番号の送信まで待機 1秒…",
                                   "暗証番号を送信しました（モデムの応答: ERROR）", "待機中"})
            QVERIFY2(m_texts.contains(QString::fromUtf8(phrase)), phrase);
    }

private:
    void setTexts(const Texts& texts) const
    {
        const ReserveFormControls& ui = m_f->ui();
        for (const auto& [role, text] : texts) {
            QWidget* control = role.in(ui);
            if (control == ui.memberList || control == ui.facilityList)
                m_f->window().replaceRegistrationList(
                    control == ui.memberList ? Kind::Member : Kind::Facility, {text});
            else if (auto* field = qobject_cast<QLineEdit*>(control))
                field->setText(text);
            else
                qobject_cast<QComboBox*>(control)->setEditText(text);
        }
        for (QComboBox* list : {ui.memberList, ui.facilityList})
            list->setCurrentIndex(0);
    }

    QByteArray fileBytes() const
    {
        QFile file(m_f->settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }

    // Saves as the user does by way, answering the boxes; true when the program was left.
    bool saveBy(Way way, const QList<Answer>& answers)
    {
        for (const Answer answer : answers)
            m_f->boxes().answerNext(answer);
        bool left = false;
        connect(&m_f->window(), &ReserveForm::exitRequested, this, [&left] { left = true; });
        if (way == Way::CloseBox)
            left = m_f->window().close();
        else
            m_f->window()
                .findChild<QAction*>(way == Way::SaveMenu ? "MenuSave" : "MenuExit")
                ->trigger();
        disconnect(&m_f->window(), &ReserveForm::exitRequested, this, nullptr);
        return left;
    }

    void writeSettings(const QByteArray& bytes) const
    {
        QFile file(m_f->settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QStringList boxes() const { return m_f->boxes().texts(); }
    QByteArray written() const { return m_opener.device() ? m_opener.device()->written() : ""; }
    // "1"/"0" for Hook, Dial, HookOFF, all field buttons alike ("?" when they differ), ←を送信.
    QString enabledButtons() const
    {
        const ReserveFormControls& ui = m_f->ui();
        const QList<QPushButton*> lineButtons{ui.button(Step::Hook), ui.button(Step::Dial),
                                              ui.button(Step::HookOff), ui.sendFreeToneButton};
        QString states;
        for (const QPushButton* button : lineButtons.mid(0, 3))
            states += button->isEnabled() ? '1' : '0';
        QSet<bool> fields;
        for (QPushButton* button : m_f->window().findChildren<QPushButton*>()) {
            if (!lineButtons.contains(button))
                fields.insert(button->isEnabled());
        }
        states += fields.size() != 1 ? '?' : fields.contains(true) ? '1' : '0';
        return states + (lineButtons.last()->isEnabled() ? '1' : '0');
    }

    void watchStatus(const LineControl::Timing& timing)
    {
        m_f = std::make_unique<WindowFixture>(m_opener, QString(), timing);
        auto* status = m_f->window().findChild<CallStatus*>();
        for (const auto shown : {&CallStatus::activityShown, &CallStatus::lineStateShown})
            connect(status, shown, this, [this](const QString& text) { m_texts << text; });
        LineControl& line = m_f->line();
        connect(&line, &LineControl::waitStarted, this,
                [this] { m_cursorsInWaits << overrideShape(); });
        // The user must be able to answer a box: no busy cursor over it.
        const auto atBox = [this] { m_cursorsAtBoxes << overrideShape(); };
        connect(&line, &LineControl::replyTimedOut, this, atBox, Qt::DirectConnection);
        connect(&line, &LineControl::deviceFailed, this, atBox, Qt::DirectConnection);
    }

    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
    QStringList m_texts; // what the status bar showed
    QList<int> m_cursorsInWaits;
    QList<int> m_cursorsAtBoxes;
};

QTEST_MAIN(TestReserveForm)
#include "tst_reserveform.moc"
