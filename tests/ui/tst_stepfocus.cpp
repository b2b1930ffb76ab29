#include "FakePortOpener.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = MessageBoxes::Answer;

namespace {

void tabTo(const QString& objectName)
{
    for (int tabs = 0; tabs < 60 && WindowFixture::focusedName() != objectName; ++tabs)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(WindowFixture::focusedName(), objectName);
}

} // namespace

// The keyboard focus follows the service's procedure through the real window with the demo
// settings, on an in-memory modem that answers "OK", and for a whole call made from the
// keyboard alone on the modem simulator.
class TestStepFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void focusAfterClickedStep_data();
    void focusAfterClickedStep();
    void keys_data();
    void keys();
    void duringAWait_data();
    void duringAWait();
    void keyboardOnlyTypicalCall();

private:
    void clickUpTo(const QString& step);

    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
};

void TestStepFocus::init()
{
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_f = std::make_unique<WindowFixture>(m_opener, qEnvironmentVariable("TARVIK_SOURCE_DIR") +
                                                        "/data/demo/Tarvik.ini");
    m_f->showActive();
    QCOMPARE(m_f->focusedName(), QStringLiteral("Command1"));
}

void TestStepFocus::cleanup()
{
    QCOMPARE(m_f->boxes().pendingAnswers(), 0);
    m_f.reset();
}

// Clicks Hook and Dial as far as they come before the given step.
void TestStepFocus::clickUpTo(const QString& step)
{
    for (const QString& earlier : {QStringLiteral("Command1"), QStringLiteral("Command2")}) {
        if (earlier == step)
            return;
        m_f->click(earlier);
    }
}

void TestStepFocus::focusAfterClickedStep_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("member");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("focusAfter");
    // The procedure as the flow chart draws it, then the tone pad and ←を送信, which hand the
    // focus back to the step (Service, after Dial).
    const char* const stepsAndNext[][2] = {
        {"Command1", "Command2"},     {"Command2", "Command3"},     {"Command3", "Command4_0"},
        {"Command4_0", "Command6"},   {"Command5_0", "Command3"},   {"Command6", "Command7"},
        {"Command7", "Command9_0"},   {"Command9_0", "Command4_1"}, {"Command4_1", "Command12"},
        {"Command5_1", "Command7"},   {"Command12", "Command13"},   {"Command13", "Command9_1"},
        {"Command9_1", "Command4_2"}, {"Command4_2", "Command4_3"}, {"Command5_2", "Command7"},
        {"Command4_3", "Command7"},   {"Command5_3", "Command3"},   {"Command10", "Command1"},
        {"Command11_5", "Command3"},  {"Command14", "Command3"}};
    const auto row = [](const char* name, const char* step, const char* date, const char* member,
                        bool silent, const QStringList& boxes, const char* focusAfter) {
        QTest::newRow(name) << step << date << member << silent << boxes << focusAfter;
    };
    for (const auto& [step, next] : stepsAndNext)
        row(step, step, "15", "", false, {}, next);
    const QStringList badDigits{"送信文字列エラー"};
    row("refused: stays", "Command12", "1a", "", false, badDigits, "Command12");
    row("pair, one part refused: sent", "Command6", "15", "山田 12345678 12b4", false, badDigits,
        "Command7");
    row("pair, both parts refused: stays", "Command6", "15", "山田 1234567a 12b4", false,
        badDigits + badDigits, "Command6");
    row("timed out: counts as sent", "Command12", "15", "", true, {"モデムから応答がありません"},
        "Command13");
}

void TestStepFocus::focusAfterClickedStep()
{
    QFETCH(QString, step);
    QFETCH(QString, date);
    QFETCH(QString, member);
    QFETCH(bool, silent);
    QFETCH(QStringList, boxes);
    QFETCH(QString, focusAfter);
    clickUpTo(step);
    m_f->control<QLineEdit>("Text5")->setText(date);
    m_f->control<QLineEdit>("Text7")->setText("#1");
    if (!member.isEmpty())
        m_f->window().replaceRegistrationList(RegistrationLists::Kind::Members, {member});
    m_f->control<QComboBox>("Combo3")->setCurrentIndex(0);
    if (silent)
        m_opener.device()->setAutoReply({});
    m_f->boxes().answerNext(Answer::Ok, int(boxes.size()));
    QTest::mouseClick(m_f->control<QPushButton>(step), Qt::LeftButton);
    QCOMPARE(m_f->boxes().titles(), boxes);
    QCOMPARE(m_f->focusedName(), focusAfter);
    // Marked and named where the eye looks: around the button and in the status bar.
    const auto* next = m_f->control<QPushButton>(focusAfter);
    const QWidget* highlight = m_f->control("StepHighlight");
    QVERIFY(highlight->isVisible());
    QCOMPARE(highlight->geometry().center(), next->geometry().center());
    QVERIFY(highlight->geometry().contains(next->geometry()));
    QCOMPARE(m_f->control<QLabel>("NextStep")->text(), "次: " + next->text());
}

void TestStepFocus::keys_data()
{
    QTest::addColumn<QString>("focusOn");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("focusAfter");
    const auto row = [](const char* name, const char* focusOn, Qt::Key key,
                        Qt::KeyboardModifiers modifiers, const QByteArray& tones,
                        const char* focusAfter) {
        const QByteArray written = tones.isEmpty() ? tones : "ATDT" + tones + ";\r\n";
        QTest::newRow(name) << focusOn << key << modifiers << written << focusAfter;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    row("N, first point", "Command4_0", Qt::Key_N, none, "0", "Command3");
    row("N, second point", "Command4_1", Qt::Key_N, none, "0", "Command7");
    row("N, third point", "Command4_2", Qt::Key_N, none, "0", "Command7");
    row("N at 次予約: 他ｻｰﾋﾞｽ", "Command4_3", Qt::Key_N, none, "0", "Command3");
    row("digit on a step", "Command12", Qt::Key_7, none, "7", "Command12");
    row("# on a tone pad button", "Command11_1", Qt::Key_NumberSign, Qt::ShiftModifier, "#",
        "Command11_1");
    row("digit in a field", "Text5", Qt::Key_7, none, "", "Text5");
    row("digit before the dial", "Command2", Qt::Key_7, none, "", "Command2");
}

void TestStepFocus::keys()
{
    QFETCH(QString, focusOn);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QByteArray, written);
    QFETCH(QString, focusAfter);
    clickUpTo(focusOn == "Command2" ? focusOn : QString()); // the call up, but for Dial itself
    m_opener.device()->clearWritten();
    m_f->control(focusOn)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCOMPARE(m_opener.device()->written(), written);
    QCOMPARE(m_f->focusedName(), focusAfter);
}

void TestStepFocus::duringAWait_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("clickedMeanwhile"); // empty: the modem goes away
    QTest::addColumn<QString>("focusAfter");
    const auto row = [](const char* name, const char* step, const char* clicked,
                        const char* focusAfter) {
        QTest::newRow(name) << step << clicked << focusAfter;
    };
    row("HookOFF ends it", "Command12", "Command10", "Command1");
    row("the modem goes away", "Command12", "", "Command1");
    row("a refused click keeps its focus", "Command12", "Command9_1", "Command9_1");
    row("typing into a field during the dial", "Command2", "Text4_0", "Text4_0");
}

void TestStepFocus::duringAWait()
{
    QFETCH(QString, step);
    QFETCH(QString, clickedMeanwhile);
    QFETCH(QString, focusAfter);
    clickUpTo(step);
    m_opener.device()->setAutoReply({}); // the step's "OK" comes only when fed
    const auto meanwhile = [&] {
        m_opener.device()->setAutoReply(FakeModemDevice::okReply()); // for a hang-up
        if (clickedMeanwhile.isEmpty())
            return m_opener.device()->vanish("USB が抜かれました");
        QTest::mouseClick(m_f->control(clickedMeanwhile), Qt::LeftButton);
        if (m_f->line().isBusy())
            m_opener.device()->feed(FakeModemDevice::okReply());
    };
    connect(
        &m_f->line(), &LineControl::waitStarted, this,
        [&] { QTimer::singleShot(0, this, meanwhile); }, Qt::SingleShotConnection);
    m_f->boxes().answerNext(Answer::Ok, int(clickedMeanwhile.isEmpty()));
    QTest::mouseClick(m_f->control(step), Qt::LeftButton);
    QTRY_VERIFY(!m_f->line().isBusy());
    QCOMPARE(m_f->focusedName(), focusAfter);
}

// The modem simulator as COM1 hears what the clicked typical call sends, byte for byte.
void TestStepFocus::keyboardOnlyTypicalCall()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    SerialPortOpener opener;
    WindowFixture f(opener, qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini");
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
    for (const char* button : {"Command5_3", "Command10"}) {
        tabTo(QLatin1String(button));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QByteArray expected = "ATH1\rATDT0451234567;\r";
    for (const char* tones : {"002", "1", "12345678", "1234", "0101", "01", "1", "1", "15", "02",
                              "21", "1", "1", "*", "0"})
        expected += QByteArray("ATDT") + tones + ";\r\n";
    QTRY_COMPARE(simulator.received(), expected + "ATH0\r");
    QVERIFY(f.boxes().shown().isEmpty());
    QCOMPARE(f.focusedName(), QStringLiteral("Command1"));
}

QTEST_MAIN(TestStepFocus)
#include "tst_stepfocus.moc"
