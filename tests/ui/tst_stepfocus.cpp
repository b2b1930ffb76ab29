#include "ControlRole.h"
#include "FakePortOpener.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using Step = CallProcedure::Step;
using Field = ControlRole::Field;

const QString Demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";

enum class Meanwhile { Nothing, Silence, Unplug, Click };

// For messages that say which control it is.
QString nameOf(const QWidget* control)
{
    return control ? control->objectName() : QStringLiteral("(none)");
}

Q_DECLARE_METATYPE(Meanwhile)

// The keyboard focus follows the service's procedure through the real window with the demo
// settings: on an in-memory modem that answers "OK" for the steps off the typical path and the
// keys, and for a whole typical call made from the keyboard alone on the modem simulator.
class TestStepFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_opener.setAutoReply(FakeModemDevice::okReply());
        m_f = std::make_unique<WindowFixture>(m_opener, Demo);
        m_f->showActive();
    }

    void cleanup() { m_f.reset(); }

    // A step clicked with the call up; the typical call and the keys show the procedure's steps.
    void focusAfterStep_data()
    {
        QTest::addColumn<ControlRole>("step");
        QTest::addColumn<QString>("member");
        // While the step waits: Silence, no answer; Unplug, the modem goes away; Click, the
        // clicked control is clicked before the "OK" comes; Nothing, "OK" at once.
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<ControlRole>("clicked");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<ControlRole>("focusAfter");
        const auto row = [](const char* name, Step step, const char* member, Meanwhile meanwhile,
                            const QStringList& boxes, const ControlRole& focusAfter,
                            const ControlRole& clicked = {}) {
            QTest::newRow(name) << ControlRole(step) << member << meanwhile << clicked << boxes
                                << focusAfter;
        };
        const QStringList badDigits{"送信文字列エラー"};
        const auto nothing = Meanwhile::Nothing;
        row("pair, one part refused: sent", Step::Member, "山田 12345678 12b4", nothing, badDigits,
            Step::Facility);
        row("pair, both parts refused: stays", Step::Member, "山田 1234567a 12b4", nothing,
            badDigits + badDigits, Step::Member);
        row("timed out: counts as sent", Step::Date, "", Meanwhile::Silence,
            {"モデムから応答がありません"}, Step::TimeSlot);
        row("the modem goes away", Step::Date, "", Meanwhile::Unplug,
            {"モデムとの通信が切れました"}, Step::Hook);
        row("a click refused during the wait keeps its focus", Step::Date, "", Meanwhile::Click, {},
            Step::Purpose, Step::Purpose);
    }

    void focusAfterStep()
    {
        QFETCH(ControlRole, step);
        QFETCH(QString, member);
        QFETCH(Meanwhile, meanwhile);
        QFETCH(ControlRole, clicked);
        QFETCH(QStringList, boxes);
        QFETCH(ControlRole, focusAfter);
        m_f->bringCallUp();
        FakeModemDevice* modem = m_opener.device();
        if (!member.isEmpty())
            m_f->window().replaceRegistrationList(RegistrationLists::Kind::Member, {member});
        m_f->ui().memberList->setCurrentIndex(0);
        if (meanwhile != Meanwhile::Nothing)
            modem->setAutoReply({});
        const auto duringTheWait = [&] {
            modem->setAutoReply(FakeModemDevice::okReply()); // for a hang-up
            if (meanwhile == Meanwhile::Unplug)
                return modem->vanish("USB が抜かれました");
            QTest::mouseClick(clicked.in(m_f->ui()), Qt::LeftButton);
            if (m_f->line().isBusy())
                modem->feed(FakeModemDevice::okReply());
        };
        if (meanwhile == Meanwhile::Unplug || meanwhile == Meanwhile::Click)
            connect(
                &m_f->line(), &LineControl::waitStarted, this,
                [&] { QTimer::singleShot(0, this, duringTheWait); }, Qt::SingleShotConnection);
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok, int(boxes.size()));
        QTest::mouseClick(step.in(m_f->ui()), Qt::LeftButton);
        QTRY_VERIFY(!m_f->line().isBusy());
        QCOMPARE(m_f->boxes().titles(), boxes);
        QCOMPARE(nameOf(m_f->focused()), nameOf(focusAfter.in(m_f->ui())));
        // Marked and named where the eye looks: around the button and in the status bar.
        const auto* next = qobject_cast<QPushButton*>(focusAfter.in(m_f->ui()));
        const QWidget* highlight = m_f->control("StepHighlight");
        QVERIFY(highlight->isVisible() && highlight->geometry().contains(next->geometry()));
        QCOMPARE(highlight->geometry().center(), next->geometry().center());
        QCOMPARE(m_f->control<QLabel>("NextStep")->text(), "次: " + next->text());
    }

    // Keys pressed with the call up (before the dial where Dial has the focus).
    void keys_data()
    {
        QTest::addColumn<ControlRole>("focusOn");
        QTest::addColumn<int>("key");
        QTest::addColumn<ControlRole>("clicked"); // the button the key pressed, if any
        QTest::addColumn<bool>("clicks");
        QTest::addColumn<QByteArray>("tones");
        QTest::addColumn<ControlRole>("focusAfter");
        const auto row = [](const char* name, const ControlRole& focusOn, int key,
                            const char* tones, const ControlRole& focusAfter,
                            std::optional<ControlRole> clicked = std::nullopt) {
            QTest::newRow(name) << focusOn << key << clicked.value_or(ControlRole())
                                << clicked.has_value() << QByteArray(tones) << focusAfter;
        };
        const auto key = &ControlRole::key;
        row("N, first point", Step::FirstYes, Qt::Key_N, "0", Step::Service, Step::FirstNo);
        row("N, second point", Step::SecondYes, Qt::Key_N, "0", Step::Facility, Step::SecondNo);
        row("N, third point", Step::ThirdYes, Qt::Key_N, "0", Step::Facility, Step::ThirdNo);
        row("N at 次予約: 他ｻｰﾋﾞｽ", Step::NextReservation, Qt::Key_N, "0", Step::Service,
            Step::OtherService);
        row("Return on the tone pad: back to the step", key(5), Qt::Key_Return, "5", Step::Service,
            key(5));
        row("digit on a step", Step::Date, Qt::Key_7, "7", Step::Date);
        row("# on a tone pad button", key(1), Qt::Key_NumberSign, "#", key(1));
        row("digit in a field", Field::Date, Qt::Key_7, "", Field::Date);
        row("digit before the dial", Step::Dial, Qt::Key_7, "", Step::Dial);
    }

    void keys()
    {
        QFETCH(ControlRole, focusOn);
        QFETCH(int, key);
        QFETCH(ControlRole, clicked);
        QFETCH(bool, clicks);
        QFETCH(QByteArray, tones);
        QFETCH(ControlRole, focusAfter);
        const ReserveFormControls& ui = m_f->ui();
        m_f->click(Step::Hook);
        if (focusOn.in(ui) != ui.button(Step::Dial))
            m_f->click(Step::Dial);
        m_opener.device()->clearWritten();
        QObject recorder;
        QList<QPushButton*> pressed;
        for (QPushButton* button : m_f->window().findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, &recorder,
                    [&pressed, button] { pressed << button; });
        focusOn.in(ui)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        key == Qt::Key_NumberSign ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(pressed, clicks ? QList<QPushButton*>{qobject_cast<QPushButton*>(clicked.in(ui))}
                                 : QList<QPushButton*>{});
        QCOMPARE(m_opener.device()->written(), tones.isEmpty() ? tones : "ATDT" + tones + ";\r\n");
        QCOMPARE(nameOf(m_f->focused()), nameOf(focusAfter.in(ui)));
    }

    // The modem simulator as COM1 hears what the typical call sends, byte for byte.
    void keyboardOnlyTypicalCall()
    {
        m_f.reset();
        ModemSimulator simulator;
        QVERIFY(simulator.start());
        SerialPortOpener opener;
        WindowFixture f(opener, Demo, WindowFixture::shortTiming(), simulator.asCom1());
        f.showActive();
        // Where the focus is, and the key pressed there.
        const std::pair<Step, Qt::Key> presses[] = {
            {Step::Hook, Qt::Key_Return},
            {Step::Dial, Qt::Key_Enter},
            {Step::Service, Qt::Key_Space},
            {Step::FirstYes, Qt::Key_Return},
            {Step::Member, Qt::Key_Return},
            {Step::Facility, Qt::Key_Return},
            {Step::Conditions, Qt::Key_Return},
            {Step::SecondYes, Qt::Key_Return},
            {Step::Date, Qt::Key_Return},
            {Step::TimeSlot, Qt::Key_Return},
            {Step::Purpose, Qt::Key_Return},
            {Step::ThirdYes, Qt::Key_Return},
            {Step::NextReservation, Qt::Key_Return},
            {Step::Facility, Qt::Key_Asterisk},
        };
        for (const auto& [focus, key] : presses) {
            QCOMPARE(nameOf(f.focused()), nameOf(f.ui().button(focus)));
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        // Off the procedure's path: the user tabs there.
        for (const Step step : {Step::OtherService, Step::HookOff}) {
            QPushButton* button = f.ui().button(step);
            for (int tabs = 0; tabs < 60 && f.focused() != button; ++tabs)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(nameOf(f.focused()), nameOf(button));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QByteArray expected = "ATH1\rATDT0451234567;\r";
        for (const char* tones : {"002", "1", "12345678", "1234", "0101", "01", "1", "1", "15",
                                  "02", "21", "1", "1", "*", "0"})
            expected += QByteArray("ATDT") + tones + ";\r\n";
        QTRY_COMPARE(simulator.received(), expected + "ATH0\r");
        QVERIFY(f.boxes().shown().isEmpty());
        QCOMPARE(nameOf(f.focused()), nameOf(f.ui().button(Step::Hook)));
    }

private:
    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestStepFocus)
#include "tst_stepfocus.moc"
