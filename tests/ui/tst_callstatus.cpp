#include "CallStatus.h"
#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using State = LineControl::State;
using Action = std::function<void()>;

namespace {

constexpr int ReplyTimeoutMs = 300;
constexpr int PauseMs = 60;
constexpr int NoOverride = -1;

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

} // namespace

Q_DECLARE_METATYPE(Action)

// The status bar of a call: line state, the waits with their countdown, the answer to each
// send, the busy cursor; driven by a real line control on the in-memory modem.
class TestCallStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lineStateThroughACall();
    void stepTexts_data();
    void stepTexts();
    void countdownTicksEverySecond();

private:
    void build(const LineControl::Timing& timing);
    void bringCallUp();

    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<QStatusBar> m_bar;
    std::unique_ptr<CallStatus> m_status;
    std::unique_ptr<FieldSenders> m_senders;
    QStringList m_activity; // without the blank that separates a wait from what follows it
    QStringList m_lineStates;
    QList<int> m_cursorsInWaits;
    QList<int> m_cursorsAtAnswers; // where the window shows its boxes
};

void TestCallStatus::init()
{
    build({ReplyTimeoutMs, PauseMs, PauseMs});
}

void TestCallStatus::build(const LineControl::Timing& timing)
{
    cleanup();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_line = std::make_unique<LineControl>(m_opener, timing);
    m_bar = std::make_unique<QStatusBar>();
    m_senders = std::make_unique<FieldSenders>(*m_line, m_boxes, nullptr);
    m_status = std::make_unique<CallStatus>(*m_line, *m_bar);
    m_senders->setStepNamer([this](const QStringList& parts) { m_status->nameStep(parts); });
    m_activity.clear();
    m_lineStates.clear();
    m_cursorsInWaits.clear();
    m_cursorsAtAnswers.clear();
    connect(m_status.get(), &CallStatus::activityShown, this, [this](const QString& text) {
        if (!text.isEmpty())
            m_activity << text;
    });
    connect(m_status.get(), &CallStatus::lineStateShown, this,
            [this](const QString& text) { m_lineStates << text; });
    // Only while there is a status to show the busy cursor.
    connect(m_line.get(), &LineControl::waitStarted, m_status.get(),
            [this] { m_cursorsInWaits << overrideShape(); });
    const auto noteCursor = [this] { m_cursorsAtAnswers << overrideShape(); };
    connect(m_line.get(), &LineControl::commandAnswered, this, noteCursor);
    connect(m_line.get(), &LineControl::replyTimedOut, this, noteCursor, Qt::DirectConnection);
    connect(m_line.get(), &LineControl::deviceFailed, this, noteCursor, Qt::DirectConnection);
}

void TestCallStatus::cleanup()
{
    m_senders.reset();
    m_status.reset();
    m_bar.reset();
    m_line.reset();
    QCOMPARE(overrideShape(), NoOverride);
    QCOMPARE(m_cursorsInWaits, QList<int>(m_cursorsInWaits.size(), int(Qt::BusyCursor)));
    QCOMPARE(m_cursorsAtAnswers, QList<int>(m_cursorsAtAnswers.size(), NoOverride));
}

void TestCallStatus::bringCallUp()
{
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Tone, QString());
    QCOMPARE(m_line->state(), State::Dialled);
    m_activity.clear();
}

void TestCallStatus::lineStateThroughACall()
{
    QCOMPARE(m_bar->findChild<QLabel*>("LineState")->text(), QStringLiteral("待機中"));
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Pulse, QStringLiteral("0451234567"));
    m_line->hookOff();
    QCOMPARE(m_lineStates,
             (QStringList{"接続中…", "回線接続中", "ダイヤル中…", "通話中", "切断中…", "待機中"}));
}

// Every wait shows the busy cursor, gone again once it ends (cleanup() checks both); the
// exact texts also show that neither the registration number nor the PIN is ever shown.
void TestCallStatus::stepTexts_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Action>("step");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, State from, const Action& step,
                        const QStringList& expected) {
        QTest::newRow(name) << from << step << expected;
    };
    const auto inPause = [this](const Action& action) {
        QTimer::singleShot(PauseMs / 2, this, action);
    };
    const QString dialPause = QStringLiteral("ダイヤル後の待機 1秒…");
    row("hook", State::Idle, [this] { m_line->hook(0); },
        {"回線に接続中、モデムの応答待ち… 1秒", "回線に接続しました（OK）"});
    row("hook, port held elsewhere", State::Idle,
        [this] {
            m_opener.failOpens("/dev/ttyS0", "Device or resource busy");
            m_line->hook(0);
        },
        {"/dev/ttyS0 を開けませんでした"});
    row("dial, a result code", State::OffHook,
        [this] {
            m_opener.device()->setAutoReply("\r\nNO DIALTONE\r\n");
            m_line->dial(LineControl::DialMode::Tone, "1");
        },
        {dialPause, "ダイヤル中、モデムの応答待ち… 1秒",
         "ダイヤルしました（モデムの応答: NO DIALTONE）"});
    row("dial, modem unplugged in the pause", State::OffHook,
        [this, inPause] {
            inPause([this] { m_opener.device()->vanish(QStringLiteral("No such device")); });
            m_line->dial(LineControl::DialMode::Tone, "1");
        },
        {dialPause, "モデムとの通信が切れました"});
    row("dial, status gone in the pause", State::OffHook,
        [this, inPause] {
            inPause([this] { m_status.reset(); });
            m_line->dial(LineControl::DialMode::Tone, "1");
        },
        {dialPause});
    row("number and PIN, silent modem; a click refused in the pause renames nothing",
        State::Dialled,
        [this, inPause] {
            m_opener.device()->setAutoReply({});
            inPause([this] { m_senders->sendKey(1); });
            m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234"));
        },
        {"登録番号を送信中、モデムの応答待ち… 1秒", "登録番号を送信しました（応答がありません）",
         "暗証番号の送信まで待機 1秒…", "暗証番号を送信中、モデムの応答待ち… 1秒",
         "暗証番号を送信しました（応答がありません）"});
    row("hang-up", State::Dialled, [this] { m_line->hookOff(); },
        {"回線を切断中、モデムの応答待ち… 1秒", "回線を切りました（OK）"});
}

void TestCallStatus::stepTexts()
{
    QFETCH(State, from);
    QFETCH(Action, step);
    QFETCH(QStringList, expected);
    if (from == State::OffHook)
        m_line->hook(0);
    else if (from == State::Dialled)
        bringCallUp();
    m_activity.clear();
    step();
    QTRY_COMPARE(m_activity, expected); // a vanished device is told from the event loop
}

void TestCallStatus::countdownTicksEverySecond()
{
    build({2500, PauseMs, PauseMs}); // shows 3, 2 after 0.5 s, 1 after 1.5 s
    bringCallUp();
    m_opener.device()->setAutoReply({});
    QElapsedTimer clock;
    QList<qint64> shownAt;
    QObject scope; // the connection ends with the test
    connect(m_status.get(), &CallStatus::activityShown, &scope,
            [&] { shownAt << clock.elapsed(); });
    clock.start();
    m_senders->sendService(QStringLiteral("002 抽選申込み"));
    const QString text = QStringLiteral("サービス番号を送信中、モデムの応答待ち… %1秒");
    QCOMPARE(m_activity.mid(0, 3), (QStringList{text.arg(3), text.arg(2), text.arg(1)}));
    QVERIFY2(shownAt.at(1) >= 500 && shownAt.at(1) < 1400, qPrintable(QString::number(shownAt[1])));
    QVERIFY2(shownAt.at(2) >= 1500 && shownAt.at(2) < 2400,
             qPrintable(QString::number(shownAt[2])));
}

QTEST_MAIN(TestCallStatus)
#include "tst_callstatus.moc"
