#include "FakePortOpener.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = MessageBoxes::Answer;
using Kind = RegistrationLists::Kind;

namespace {
// What the user does while a step waits for its "OK".
enum class During { HookOff, Unplug, StepClick, FieldClick };
} // namespace

Q_DECLARE_METATYPE(During)

// The keyboard focus follows the service's procedure through the real window, with the demo
// settings and an in-memory modem that answers "OK".
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
    const auto row = [](const char* name, const char* step, const char* focusAfter,
                        const char* date = "15", const char* member = "", bool silent = false,
                        const QStringList& boxes = {}) {
        QTest::newRow(name) << step << date << member << silent << boxes << focusAfter;
    };
    row("Hook", "Command1", "Command2");
    row("Dial", "Command2", "Command3");
    row("Service", "Command3", "Command4_0");
    row("first Yes", "Command4_0", "Command6");
    row("first No", "Command5_0", "Command3");
    row("番号・暗証", "Command6", "Command7");
    row("施設・内訳", "Command7", "Command9_0");
    row("利用条件", "Command9_0", "Command4_1");
    row("second Yes", "Command4_1", "Command12");
    row("second No", "Command5_1", "Command7");
    row("日付", "Command12", "Command13");
    row("時間帯", "Command13", "Command9_1");
    row("利用目的", "Command9_1", "Command4_2");
    row("third Yes", "Command4_2", "Command4_3");
    row("third No", "Command5_2", "Command7");
    row("次予約", "Command4_3", "Command7");
    row("他ｻｰﾋﾞｽ", "Command5_3", "Command3");
    row("HookOFF", "Command10", "Command1");
    row("tone pad: back to the step", "Command11_5", "Command3");
    row("←を送信: back to the step", "Command14", "Command3");
    const QString badDigits = QStringLiteral("送信文字列エラー");
    row("refused: stays", "Command12", "Command12", "1a", "", false, {badDigits});
    row("pair, one part refused: sent", "Command6", "Command7", "15", "山田 12345678 12b4", false,
        {badDigits});
    row("pair, both parts refused: stays", "Command6", "Command6", "15", "山田 1234567a 12b4",
        false, {badDigits, badDigits});
    row("timed out: counts as sent", "Command12", "Command13", "15", "", true,
        {"モデムから応答がありません"});
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
        m_f->window().replaceRegistrationList(Kind::Members, {member});
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
    const Qt::KeyboardModifiers none = Qt::NoModifier, keypad = Qt::KeypadModifier;
    row("Return", "Command12", Qt::Key_Return, none, "15", "Command13");
    row("Enter", "Command12", Qt::Key_Enter, keypad, "15", "Command13");
    row("Space", "Command12", Qt::Key_Space, none, "15", "Command13");
    row("N, first point", "Command4_0", Qt::Key_N, none, "0", "Command3");
    row("N, second point", "Command4_1", Qt::Key_N, none, "0", "Command7");
    row("N, third point", "Command4_2", Qt::Key_N, none, "0", "Command7");
    row("N at 次予約: 他ｻｰﾋﾞｽ", "Command4_3", Qt::Key_N, none, "0", "Command3");
    row("N elsewhere", "Command12", Qt::Key_N, none, "", "Command12");
    row("digit on a step", "Command12", Qt::Key_7, none, "7", "Command12");
    row("* on the keypad", "Command12", Qt::Key_Asterisk, keypad, "*", "Command12");
    row("# on a tone pad button", "Command11_1", Qt::Key_NumberSign, Qt::ShiftModifier, "#",
        "Command11_1");
    row("digit in a field", "Text5", Qt::Key_7, none, "", "Text5");
    row("digit in a list", "Combo2", Qt::Key_7, none, "", "Combo2");
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
    m_f->press(key, modifiers);
    QCOMPARE(m_opener.device()->written(), written);
    QCOMPARE(m_f->focusedName(), focusAfter);
}

void TestStepFocus::duringAWait_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<During>("during");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("HookOFF ends it") << "Command12" << During::HookOff << "Command1";
    QTest::newRow("the modem goes away") << "Command12" << During::Unplug << "Command1";
    QTest::newRow("a refused click keeps its focus")
        << "Command12" << During::StepClick << "Command9_1";
    QTest::newRow("typing into a field during the dial")
        << "Command2" << During::FieldClick << "Text4_0";
}

void TestStepFocus::duringAWait()
{
    QFETCH(QString, step);
    QFETCH(During, during);
    QFETCH(QString, focusAfter);
    clickUpTo(step);
    m_opener.device()->setAutoReply({}); // the step's "OK" comes only when fed
    const auto act = [&] {
        m_opener.device()->setAutoReply(FakeModemDevice::okReply()); // for a hang-up
        const auto click = [&](const char* name) {
            QTest::mouseClick(m_f->control(name), Qt::LeftButton);
        };
        switch (during) {
        case During::HookOff:
            return click("Command10");
        case During::Unplug:
            return m_opener.device()->vanish("USB が抜かれました");
        case During::StepClick:
            click("Command9_1");
            break;
        case During::FieldClick:
            click("Text4_0");
            break;
        }
        m_opener.device()->feed(FakeModemDevice::okReply());
    };
    connect(
        &m_f->line(), &LineControl::waitStarted, this, [&] { QTimer::singleShot(0, this, act); },
        Qt::SingleShotConnection);
    m_f->boxes().answerNext(Answer::Ok, int(during == During::Unplug));
    QTest::mouseClick(m_f->control(step), Qt::LeftButton);
    QTRY_VERIFY(!m_f->line().isBusy());
    QCOMPARE(m_f->focusedName(), focusAfter);
}

QTEST_MAIN(TestStepFocus)
#include "tst_stepfocus.moc"
