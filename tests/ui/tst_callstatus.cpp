#include "CallStatus.h"
#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <memory>

using State = LineControl::State;

namespace {

constexpr int ReplyTimeoutMs = 300;
constexpr int PauseMs = 60;

// What the test does once the line is in the state the step needs.
enum class Step { Hook, Dial, Service, Member, UnnamedTones, HangUp };

// How a wait is cut short, from inside it.
enum class Interruption { None, HangUp, Unplug, DestroyStatus };

constexpr int NoOverride = -1;

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Interruption)

// The status bar of a call: line state, the waits with their countdown, the answer to each
// send, the busy cursor; driven by a real line control on the in-memory modem.
class TestCallStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lineStateThroughACall();
    void lineFailures_data();
    void lineFailures();
    void stepTexts_data();
    void stepTexts();
    void refusedClickKeepsTheRunningStep();
    void modemAnswers_data();
    void modemAnswers();
    void countdown_data();
    void countdown();
    void busyCursor_data();
    void busyCursor();

private:
    void createStatus();
    void bringCallUp();
    void perform(Step step);
    void interruptFirstWait(Interruption interruption);
    QStringList activityTexts() const;

    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<QStatusBar> m_bar;
    std::unique_ptr<CallStatus> m_status;
    std::unique_ptr<FieldSenders> m_senders;
    QStringList m_activity;
    QStringList m_lineStates;
    QList<qint64> m_activityTimes;
    QElapsedTimer m_clock;
};

void TestCallStatus::init()
{
    m_boxes.reset();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_line = std::make_unique<LineControl>(m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = ReplyTimeoutMs;
    timing.dialPauseMs = PauseMs;
    timing.pairPauseMs = PauseMs;
    m_line->setTiming(timing);
    m_bar = std::make_unique<QStatusBar>();
    m_senders = std::make_unique<FieldSenders>(*m_line, m_boxes, nullptr);
    createStatus();
}

void TestCallStatus::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_senders.reset();
    m_status.reset();
    m_bar.reset();
    m_line.reset();
    QCOMPARE(overrideShape(), NoOverride);
}

void TestCallStatus::createStatus()
{
    m_status = std::make_unique<CallStatus>(*m_line, *m_bar);
    m_senders->setStepNamer([this](const QStringList& parts) { m_status->nameStep(parts); });
    m_activity.clear();
    m_lineStates.clear();
    m_activityTimes.clear();
    m_clock.start();
    connect(m_status.get(), &CallStatus::activityShown, this, [this](const QString& text) {
        m_activity << text;
        m_activityTimes << m_clock.elapsed();
    });
    connect(m_status.get(), &CallStatus::lineStateShown, this,
            [this](const QString& text) { m_lineStates << text; });
}

void TestCallStatus::bringCallUp()
{
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Tone, QString());
    QCOMPARE(m_line->state(), State::Dialled);
    m_activity.clear();
    m_lineStates.clear();
}

void TestCallStatus::perform(Step step)
{
    switch (step) {
    case Step::Hook:
        return m_line->hook(0);
    case Step::Dial:
        return m_line->dial(LineControl::DialMode::Pulse, QStringLiteral("0451234567"));
    case Step::Service:
        return m_senders->sendService(QStringLiteral("002 抽選申込み"));
    case Step::Member:
        return m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234"));
    case Step::UnnamedTones:
        m_line->sendTones(QStringLiteral("5"));
        return;
    case Step::HangUp:
        return m_line->hookOff();
    }
}

// Texts shown, without the blank that separates one wait from what follows it.
QStringList TestCallStatus::activityTexts() const
{
    QStringList texts = m_activity;
    texts.removeAll(QString());
    return texts;
}

void TestCallStatus::lineStateThroughACall()
{
    QCOMPARE(m_bar->findChild<QLabel*>(QStringLiteral("LineState"))->text(),
             QStringLiteral("待機中"));
    perform(Step::Hook);
    perform(Step::Dial);
    perform(Step::Service);
    perform(Step::HangUp);
    const QStringList expected = {"接続中…", "回線接続中", "ダイヤル中…",
                                  "通話中",  "切断中…",    "待機中"};
    QCOMPARE(m_lineStates, expected);
    QCOMPARE(m_bar->findChild<QLabel*>(QStringLiteral("LineState"))->text(),
             QStringLiteral("待機中"));
    QCOMPARE(m_bar->findChild<QLabel*>(QStringLiteral("CallActivity"))->text(),
             QStringLiteral("回線を切りました（OK）"));
}

void TestCallStatus::lineFailures_data()
{
    QTest::addColumn<bool>("portOpens");
    QTest::addColumn<QString>("expected");
    QTest::newRow("port held elsewhere") << false << "/dev/ttyS0 を開けませんでした";
    QTest::newRow("modem unplugged in a call") << true << "モデムとの通信が切れました";
}

void TestCallStatus::lineFailures()
{
    QFETCH(bool, portOpens);
    QFETCH(QString, expected);
    if (portOpens) {
        bringCallUp();
        m_opener.device()->vanish(QStringLiteral("No such device"));
        QTRY_COMPARE(m_line->state(), State::Idle);
    } else {
        m_opener.failOpens(QStringLiteral("/dev/ttyS0"), QStringLiteral("Device or resource busy"));
        perform(Step::Hook);
    }
    QCOMPARE(activityTexts().last(), expected);
    QCOMPARE(m_bar->findChild<QLabel*>(QStringLiteral("LineState"))->text(),
             QStringLiteral("待機中"));
}

void TestCallStatus::stepTexts_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QStringList>("expected");
    const auto sent = [](const QString& step) {
        return QStringList{step + "を送信中、モデムの応答待ち… 1秒", step + "を送信しました（OK）"};
    };
    QTest::newRow("hook") << Step::Hook
                          << QStringList{"回線に接続中、モデムの応答待ち… 1秒",
                                         "回線に接続しました（OK）"};
    QTest::newRow("dial") << Step::Dial
                          << QStringList{"ダイヤル後の待機 1秒…",
                                         "ダイヤル中、モデムの応答待ち… 1秒",
                                         "ダイヤルしました（OK）"};
    QTest::newRow("service") << Step::Service << sent("サービス番号");
    QTest::newRow("number and PIN")
        << Step::Member
        << sent("登録番号") + QStringList{"暗証番号の送信まで待機 1秒…"} + sent("暗証番号");
    QTest::newRow("tones of no named step") << Step::UnnamedTones << sent("トーン");
    QTest::newRow("hang-up") << Step::HangUp
                             << QStringList{"回線を切断中、モデムの応答待ち… 1秒",
                                            "回線を切りました（OK）"};
}

void TestCallStatus::stepTexts()
{
    QFETCH(Step, step);
    if (step == Step::Dial) {
        perform(Step::Hook);
        m_activity.clear();
    } else if (step != Step::Hook) {
        bringCallUp();
    }
    perform(step);
    QTEST(activityTexts(), "expected");
}

void TestCallStatus::refusedClickKeepsTheRunningStep()
{
    bringCallUp();
    m_opener.device()->clearWritten();
    // Clicked during the pause between number and PIN: refused, and names nothing.
    QTimer::singleShot(PauseMs / 2, this,
                       [this] { m_senders->sendService(QStringLiteral("002 抽選申込み")); });
    perform(Step::Member);
    QCOMPARE(activityTexts().last(), QStringLiteral("暗証番号を送信しました（OK）"));
    QCOMPARE(m_opener.device()->writes().size(), 2);
}

void TestCallStatus::modemAnswers_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");
    QTest::newRow("OK") << FakeModemDevice::okReply() << "ダイヤルしました（OK）";
    QTest::newRow("silent") << QByteArray() << "ダイヤルしました（応答がありません）";
    QTest::newRow("result code") << QByteArray("\r\nNO DIALTONE\r\n")
                                 << "ダイヤルしました（モデムの応答: NO DIALTONE）";
    QTest::newRow("numeric result code")
        << QByteArray("\r\n7\r\n") << "ダイヤルしました（モデムの応答: BUSY）";
}

void TestCallStatus::modemAnswers()
{
    QFETCH(QByteArray, reply);
    perform(Step::Hook);
    m_opener.device()->setAutoReply(reply);
    perform(Step::Dial);
    QTEST(activityTexts().last(), "expected");
}

void TestCallStatus::countdown_data()
{
    QTest::addColumn<bool>("replyWait");
    QTest::addColumn<QString>("text");
    QTest::newRow("modem's reply") << true << "サービス番号を送信中、モデムの応答待ち… %1秒";
    QTest::newRow("pause after dialling") << false << "ダイヤル後の待機 %1秒…";
}

void TestCallStatus::countdown()
{
    QFETCH(bool, replyWait);
    QFETCH(QString, text);
    constexpr int WaitMs = 2500; // shows 3, 2 after 0.5 s, 1 after 1.5 s
    LineControl::Timing timing;
    timing.replyTimeoutMs = replyWait ? WaitMs : ReplyTimeoutMs;
    timing.dialPauseMs = replyWait ? PauseMs : WaitMs;
    m_line->setTiming(timing);
    if (replyWait) {
        bringCallUp();
        m_opener.device()->setAutoReply({});
        m_clock.start();
        m_activityTimes.clear();
        perform(Step::Service);
    } else {
        perform(Step::Hook);
        m_activity.clear();
        m_activityTimes.clear();
        m_clock.start();
        perform(Step::Dial);
    }
    QCOMPARE(m_activity.mid(0, 3), (QStringList{text.arg(3), text.arg(2), text.arg(1)}));
    QVERIFY2(m_activityTimes.at(1) >= 500 && m_activityTimes.at(1) < 1400,
             qPrintable(QString::number(m_activityTimes.at(1))));
    QVERIFY2(m_activityTimes.at(2) >= 1500 && m_activityTimes.at(2) < 2400,
             qPrintable(QString::number(m_activityTimes.at(2))));
}

void TestCallStatus::busyCursor_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<State>("endState");
    QTest::newRow("answered") << FakeModemDevice::okReply() << Interruption::None << State::Dialled;
    QTest::newRow("timed out") << QByteArray() << Interruption::None << State::Dialled;
    QTest::newRow("hang-up during the pause")
        << FakeModemDevice::okReply() << Interruption::HangUp << State::Idle;
    QTest::newRow("modem unplugged during the pause")
        << FakeModemDevice::okReply() << Interruption::Unplug << State::Idle;
    QTest::newRow("status gone during the pause")
        << FakeModemDevice::okReply() << Interruption::DestroyStatus << State::Dialled;
}

void TestCallStatus::busyCursor()
{
    QFETCH(QByteArray, reply);
    QFETCH(Interruption, interruption);
    QFETCH(State, endState);
    perform(Step::Hook);
    m_opener.device()->setAutoReply(reply);
    int duringWait = NoOverride;
    QList<int> atAnswers;
    connect(m_line.get(), &LineControl::commandAnswered, this,
            [&atAnswers] { atAnswers << overrideShape(); });
    QTimer::singleShot(PauseMs / 2, this, [&] {
        duringWait = overrideShape();
        interruptFirstWait(interruption);
    });
    perform(Step::Dial);
    QTRY_COMPARE(m_line->state(), endState); // a vanished device is reported from the event loop
    QCOMPARE(duringWait, int(Qt::BusyCursor));
    // Boxes follow the answer; by then the cursor is the user's again.
    for (const int shape : atAnswers)
        QCOMPARE(shape, NoOverride);
    QCOMPARE(overrideShape(), NoOverride);
}

void TestCallStatus::interruptFirstWait(Interruption interruption)
{
    switch (interruption) {
    case Interruption::None:
        return;
    case Interruption::HangUp:
        return m_line->hookOff();
    case Interruption::Unplug:
        return m_opener.device()->vanish(QStringLiteral("No such device"));
    case Interruption::DestroyStatus:
        m_status.reset();
        return;
    }
}

QTEST_MAIN(TestCallStatus)
#include "tst_callstatus.moc"
