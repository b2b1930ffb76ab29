#include "CallStatus.h"
#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
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

// How a wait is cut short, from inside it.
enum class Interruption { None, HangUp, Unplug, DestroyStatus };

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

} // namespace

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Interruption)

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
    void refusedClickKeepsTheRunningStep();
    void waitEndsWithTheAnswerAndTheUsersCursor_data();
    void waitEndsWithTheAnswerAndTheUsersCursor();
    void countdown_data();
    void countdown();
    void memberPairShowsNoDigits_data();
    void memberPairShowsNoDigits();

private:
    void bringCallUp();
    void interrupt(Interruption interruption);
    QString label(const QString& name) const;
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
    QList<int> m_cursorsAtAnswers; // where the window shows its boxes
    QElapsedTimer m_clock;
};

void TestCallStatus::init()
{
    m_boxes.reset();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_line = std::make_unique<LineControl>(m_opener);
    m_line->setTiming({ReplyTimeoutMs, PauseMs, PauseMs});
    m_bar = std::make_unique<QStatusBar>();
    m_senders = std::make_unique<FieldSenders>(*m_line, m_boxes, nullptr);
    m_status = std::make_unique<CallStatus>(*m_line, *m_bar);
    m_senders->setStepNamer([this](const QStringList& parts) { m_status->nameStep(parts); });
    m_activity.clear();
    m_lineStates.clear();
    m_activityTimes.clear();
    m_cursorsAtAnswers.clear();
    m_clock.start();
    connect(m_status.get(), &CallStatus::activityShown, this, [this](const QString& text) {
        m_activity << text;
        m_activityTimes << m_clock.elapsed();
    });
    connect(m_status.get(), &CallStatus::lineStateShown, this,
            [this](const QString& text) { m_lineStates << text; });
    const auto noteCursor = [this] { m_cursorsAtAnswers << overrideShape(); };
    connect(m_line.get(), &LineControl::commandAnswered, this, noteCursor);
    connect(m_line.get(), &LineControl::replyTimedOut, this, noteCursor, Qt::DirectConnection);
    connect(m_line.get(), &LineControl::deviceFailed, this, noteCursor, Qt::DirectConnection);
}

void TestCallStatus::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_senders.reset();
    m_status.reset();
    m_bar.reset();
    m_line.reset();
    QCOMPARE(overrideShape(), NoOverride);
    QCOMPARE(m_cursorsAtAnswers, QList<int>(m_cursorsAtAnswers.size(), NoOverride));
}

void TestCallStatus::bringCallUp()
{
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Tone, QString());
    QCOMPARE(m_line->state(), State::Dialled);
    m_activity.clear();
    m_lineStates.clear();
}

void TestCallStatus::interrupt(Interruption interruption)
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

QString TestCallStatus::label(const QString& name) const
{
    return m_bar->findChild<QLabel*>(name)->text();
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
    QCOMPARE(label("LineState"), QStringLiteral("待機中"));
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Pulse, QStringLiteral("0451234567"));
    m_line->hookOff();
    const QStringList expected = {"接続中…", "回線接続中", "ダイヤル中…",
                                  "通話中",  "切断中…",    "待機中"};
    QCOMPARE(m_lineStates, expected);
    QCOMPARE(label("LineState"), QStringLiteral("待機中"));
    QCOMPARE(label("CallActivity"), QStringLiteral("回線を切りました（OK）"));
}

void TestCallStatus::stepTexts_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Action>("step");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, State from, const Action& step,
                        const QStringList& expected) {
        QTest::newRow(name) << from << step << expected;
    };
    const auto sent = [](const QString& step) {
        return QStringList{step + "を送信中、モデムの応答待ち… 1秒", step + "を送信しました（OK）"};
    };
    row("hook", State::Idle, [this] { m_line->hook(0); },
        {"回線に接続中、モデムの応答待ち… 1秒", "回線に接続しました（OK）"});
    row("hook, port held elsewhere", State::Idle,
        [this] {
            m_opener.failOpens("/dev/ttyS0", "Device or resource busy");
            m_line->hook(0);
        },
        {"/dev/ttyS0 を開けませんでした"});
    row("dial", State::OffHook, [this] { m_line->dial(LineControl::DialMode::Tone, "1"); },
        {"ダイヤル後の待機 1秒…", "ダイヤル中、モデムの応答待ち… 1秒", "ダイヤルしました（OK）"});
    row(
        "service", State::Dialled, [this] { m_senders->sendService("002 抽選申込み"); },
        sent("サービス番号"));
    row(
        "number and PIN", State::Dialled,
        [this] { m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234")); },
        sent("登録番号") + QStringList{"暗証番号の送信まで待機 1秒…"} + sent("暗証番号"));
    row(
        "次予約", State::Dialled, [this] { m_senders->sendAnswer(true); }, sent("「はい」の答え"));
    row(
        "key #", State::Dialled, [this] { m_senders->sendKey(11); }, sent("キー「#」"));
    row(
        "←を送信", State::Dialled, [this] { m_senders->sendFreeString("1#"); },
        sent("入力したトーン"));
    row(
        "tones of no named step", State::Dialled, [this] { m_line->sendTones("5"); },
        sent("トーン"));
    row("hang-up", State::Dialled, [this] { m_line->hookOff(); },
        {"回線を切断中、モデムの応答待ち… 1秒", "回線を切りました（OK）"});
}

void TestCallStatus::stepTexts()
{
    QFETCH(State, from);
    QFETCH(Action, step);
    if (from == State::OffHook)
        m_line->hook(0);
    else if (from == State::Dialled)
        bringCallUp();
    m_activity.clear();
    step();
    QTEST(activityTexts(), "expected");
}

void TestCallStatus::refusedClickKeepsTheRunningStep()
{
    bringCallUp();
    m_opener.device()->clearWritten();
    // Clicked during the pause between number and PIN: refused, and names nothing.
    QTimer::singleShot(PauseMs / 2, this,
                       [this] { m_senders->sendService(QStringLiteral("002 抽選申込み")); });
    m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234"));
    QCOMPARE(activityTexts().last(), QStringLiteral("暗証番号を送信しました（OK）"));
    QCOMPARE(m_opener.device()->writes().size(), 2);
}

// A dial, whose pause after dialling is interrupted or whose reply wait ends as the modem
// answers: the busy cursor is shown during the wait and gone before any box could show.
void TestCallStatus::waitEndsWithTheAnswerAndTheUsersCursor_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<State>("endState");
    QTest::addColumn<QString>("lastText"); // empty: the status is gone
    const QByteArray ok = FakeModemDevice::okReply();
    QTest::newRow("answered") << ok << Interruption::None << State::Dialled
                              << "ダイヤルしました（OK）";
    QTest::newRow("timed out") << QByteArray() << Interruption::None << State::Dialled
                               << "ダイヤルしました（応答がありません）";
    QTest::newRow("result code") << QByteArray("\r\nNO DIALTONE\r\n") << Interruption::None
                                 << State::Dialled
                                 << "ダイヤルしました（モデムの応答: NO DIALTONE）";
    QTest::newRow("hang-up during the pause")
        << ok << Interruption::HangUp << State::Idle << "回線を切りました（OK）";
    QTest::newRow("modem unplugged during the pause")
        << ok << Interruption::Unplug << State::Idle << "モデムとの通信が切れました";
    QTest::newRow("status gone during the pause")
        << ok << Interruption::DestroyStatus << State::Dialled << QString();
}

void TestCallStatus::waitEndsWithTheAnswerAndTheUsersCursor()
{
    QFETCH(QByteArray, reply);
    QFETCH(Interruption, interruption);
    QFETCH(State, endState);
    QFETCH(QString, lastText);
    m_line->hook(0);
    m_opener.device()->setAutoReply(reply);
    int duringWait = NoOverride;
    QTimer::singleShot(PauseMs / 2, this, [&] {
        duringWait = overrideShape();
        interrupt(interruption);
    });
    m_line->dial(LineControl::DialMode::Tone, QStringLiteral("1"));
    QTRY_COMPARE(m_line->state(), endState); // a vanished device is told from the event loop
    QCOMPARE(duringWait, int(Qt::BusyCursor));
    QCOMPARE(overrideShape(), NoOverride);
    if (!lastText.isEmpty())
        QCOMPARE(activityTexts().last(), lastText);
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
    m_line->setTiming({replyWait ? WaitMs : ReplyTimeoutMs, replyWait ? PauseMs : WaitMs});
    if (replyWait) {
        bringCallUp();
        m_opener.device()->setAutoReply({});
    } else {
        m_line->hook(0);
    }
    m_activity.clear();
    m_activityTimes.clear();
    m_clock.start();
    if (replyWait)
        m_senders->sendService(QStringLiteral("002 抽選申込み"));
    else
        m_line->dial(LineControl::DialMode::Pulse, QStringLiteral("0451234567"));
    QCOMPARE(m_activity.mid(0, 3), (QStringList{text.arg(3), text.arg(2), text.arg(1)}));
    QVERIFY2(m_activityTimes.at(1) >= 500 && m_activityTimes.at(1) < 1400,
             qPrintable(QString::number(m_activityTimes.at(1))));
    QVERIFY2(m_activityTimes.at(2) >= 1500 && m_activityTimes.at(2) < 2400,
             qPrintable(QString::number(m_activityTimes.at(2))));
}

void TestCallStatus::memberPairShowsNoDigits_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("answer");
    QTest::newRow("answered") << FakeModemDevice::okReply() << "（OK）";
    QTest::newRow("silent modem") << QByteArray() << "（応答がありません）";
}

void TestCallStatus::memberPairShowsNoDigits()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, answer);
    bringCallUp();
    m_opener.device()->clearWritten();
    m_opener.device()->setAutoReply(reply);
    m_senders->sendMember(QStringLiteral("山田太郎 12345678 9012"));
    QCOMPARE(m_opener.device()->written(), QByteArray("ATDT12345678;\r\nATDT9012;\r\n"));
    const QStringList shown = m_activity + m_lineStates;
    QVERIFY(shown.contains(QStringLiteral("登録番号を送信しました") + answer));
    QVERIFY(shown.contains(QStringLiteral("暗証番号を送信しました") + answer));
    // Only the countdown may show a number.
    const QRegularExpression countdown(QStringLiteral("\\d+秒"));
    for (QString text : shown) {
        text.remove(countdown);
        for (const QChar c : text)
            QVERIFY2(!c.isDigit(), qPrintable(text));
    }
}

QTEST_MAIN(TestCallStatus)
#include "tst_callstatus.moc"
