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

const QString Demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";

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
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("member");
        // While the step waits: "silence", no answer; "unplug", the modem goes away; else the
        // control clicked before the "OK" comes. Empty: "OK" at once.
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("focusAfter");
        const auto row = [](const char* name, const char* step, const char* member,
                            const char* meanwhile, const QStringList& boxes,
                            const char* focusAfter) {
            QTest::newRow(name) << step << member << meanwhile << boxes << focusAfter;
        };
        const QStringList badDigits{"送信文字列エラー"};
        row("pair, one part refused: sent", "Command6", "山田 12345678 12b4", "", badDigits,
            "Command7");
        row("pair, both parts refused: stays", "Command6", "山田 1234567a 12b4", "",
            badDigits + badDigits, "Command6");
        row("timed out: counts as sent", "Command12", "", "silence", {"モデムから応答がありません"},
            "Command13");
        row("the modem goes away", "Command12", "", "unplug", {"モデムとの通信が切れました"},
            "Command1");
        row("a click refused during the wait keeps its focus", "Command12", "", "Command9_1", {},
            "Command9_1");
    }

    void focusAfterStep()
    {
        QFETCH(QString, step);
        QFETCH(QString, member);
        QFETCH(QString, meanwhile);
        QFETCH(QStringList, boxes);
        QFETCH(QString, focusAfter);
        m_f->bringCallUp();
        FakeModemDevice* modem = m_opener.device();
        if (!member.isEmpty())
            m_f->window().replaceRegistrationList(RegistrationLists::Kind::Members, {member});
        m_f->control<QComboBox>("Combo3")->setCurrentIndex(0);
        if (!meanwhile.isEmpty())
            modem->setAutoReply({});
        const auto duringTheWait = [&] {
            modem->setAutoReply(FakeModemDevice::okReply()); // for a hang-up
            if (meanwhile == "unplug")
                return modem->vanish("USB が抜かれました");
            QTest::mouseClick(m_f->control(meanwhile), Qt::LeftButton);
            if (m_f->line().isBusy())
                modem->feed(FakeModemDevice::okReply());
        };
        if (!meanwhile.isEmpty() && meanwhile != "silence")
            connect(
                &m_f->line(), &LineControl::waitStarted, this,
                [&] { QTimer::singleShot(0, this, duringTheWait); }, Qt::SingleShotConnection);
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok, int(boxes.size()));
        QTest::mouseClick(m_f->control(step), Qt::LeftButton);
        QTRY_VERIFY(!m_f->line().isBusy());
        QCOMPARE(m_f->boxes().titles(), boxes);
        QCOMPARE(m_f->focusedName(), focusAfter);
        // Marked and named where the eye looks: around the button and in the status bar.
        const auto* next = m_f->control<QPushButton>(focusAfter);
        const QWidget* highlight = m_f->control("StepHighlight");
        QVERIFY(highlight->isVisible() && highlight->geometry().contains(next->geometry()));
        QCOMPARE(highlight->geometry().center(), next->geometry().center());
        QCOMPARE(m_f->control<QLabel>("NextStep")->text(), "次: " + next->text());
    }

    // Keys pressed with the call up (before the dial where Dial has the focus).
    void keys_data()
    {
        QTest::addColumn<QString>("focusOn");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("clicked"); // the button the key pressed
        QTest::addColumn<QByteArray>("tones");
        QTest::addColumn<QString>("focusAfter");
        const auto row = [](const char* name, const char* focusOn, int key, const char* clicked,
                            const char* tones, const char* focusAfter) {
            QTest::newRow(name) << focusOn << key << clicked << QByteArray(tones) << focusAfter;
        };
        row("N, first point", "Command4_0", Qt::Key_N, "Command5_0", "0", "Command3");
        row("N, second point", "Command4_1", Qt::Key_N, "Command5_1", "0", "Command7");
        row("N, third point", "Command4_2", Qt::Key_N, "Command5_2", "0", "Command7");
        row("N at 次予約: 他ｻｰﾋﾞｽ", "Command4_3", Qt::Key_N, "Command5_3", "0", "Command3");
        row("Return on the tone pad: back to the step", "Command11_5", Qt::Key_Return,
            "Command11_5", "5", "Command3");
        row("digit on a step", "Command12", Qt::Key_7, "", "7", "Command12");
        row("# on a tone pad button", "Command11_1", Qt::Key_NumberSign, "", "#", "Command11_1");
        row("digit in a field", "Text5", Qt::Key_7, "", "", "Text5");
        row("digit before the dial", "Command2", Qt::Key_7, "", "", "Command2");
    }

    void keys()
    {
        QFETCH(QString, focusOn);
        QFETCH(int, key);
        QFETCH(QByteArray, tones);
        QFETCH(QString, focusAfter);
        m_f->click("Command1");
        if (focusOn != "Command2")
            m_f->click("Command2");
        m_opener.device()->clearWritten();
        QObject recorder;
        QString clicked;
        for (QPushButton* button : m_f->window().findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, &recorder,
                    [&clicked, button] { clicked += button->objectName(); });
        m_f->control(focusOn)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        key == Qt::Key_NumberSign ? Qt::ShiftModifier : Qt::NoModifier);
        QTEST(clicked, "clicked");
        QCOMPARE(m_opener.device()->written(), tones.isEmpty() ? tones : "ATDT" + tones + ";\r\n");
        QCOMPARE(m_f->focusedName(), focusAfter);
    }

    // The modem simulator as COM1 hears what the typical call sends, byte for byte.
    void keyboardOnlyTypicalCall()
    {
        m_f.reset();
        ModemSimulator simulator;
        QVERIFY(simulator.startAsCom1());
        SerialPortOpener opener;
        WindowFixture f(opener, Demo);
        f.showActive();
        // Where the focus is, and the key pressed there.
        const std::pair<const char*, Qt::Key> presses[] = {
            {"Command1", Qt::Key_Return},   {"Command2", Qt::Key_Enter},
            {"Command3", Qt::Key_Space},    {"Command4_0", Qt::Key_Return},
            {"Command6", Qt::Key_Return},   {"Command7", Qt::Key_Return},
            {"Command9_0", Qt::Key_Return}, {"Command4_1", Qt::Key_Return},
            {"Command12", Qt::Key_Return},  {"Command13", Qt::Key_Return},
            {"Command9_1", Qt::Key_Return}, {"Command4_2", Qt::Key_Return},
            {"Command4_3", Qt::Key_Return}, {"Command7", Qt::Key_Asterisk},
        };
        for (const auto& [focus, key] : presses) {
            QCOMPARE(f.focusedName(), QLatin1String(focus));
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        // Off the procedure's path: the user tabs there.
        for (const QString button : {"Command5_3", "Command10"}) {
            for (int tabs = 0; tabs < 60 && f.focusedName() != button; ++tabs)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(f.focusedName(), button);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QByteArray expected = "ATH1\rATDT0451234567;\r";
        for (const char* tones : {"002", "1", "12345678", "1234", "0101", "01", "1", "1", "15",
                                  "02", "21", "1", "1", "*", "0"})
            expected += QByteArray("ATDT") + tones + ";\r\n";
        QTRY_COMPARE(simulator.received(), expected + "ATH0\r");
        QVERIFY(f.boxes().shown().isEmpty());
        QCOMPARE(f.focusedName(), QStringLiteral("Command1"));
    }

private:
    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestStepFocus)
#include "tst_stepfocus.moc"
