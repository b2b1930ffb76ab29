#include "CommandChannel.h"
#include "FakeModemDevice.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Parallel test runs may delay a wait's end; they must never make it end early.
constexpr int lateBoundMs = 500;
constexpr int shortTimeoutMs = 150;

using Outcome = CommandChannel::Outcome;
using Chunks = QList<QByteArray>;

// Feeds one chunk every 10 ms, the first 10 ms from now.
void feedLater(FakeModemDevice& device, const Chunks& chunks)
{
    for (int index = 0; index < chunks.size(); ++index) {
        QTimer::singleShot(10 * (index + 1), &device,
                           [&device, chunk = chunks.at(index)] { device.feed(chunk); });
    }
}

} // namespace

class TestCommandChannel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendTonesWritesOneExactLine_data();
    void sendTonesWritesOneExactLine();
    void sendTonesDiscardsEarlierReplies();
    void waitOkEndsOnlyOnOk_data();
    void waitOkEndsOnlyOnOk();
    void waitsNeverEndEarly_data();
    void waitsNeverEndEarly();
    void pauseLeavesRepliesForTheNextWait();
    void nonPositivePauseReturnsAtOnce_data();
    void nonPositivePauseReturnsAtOnce();
    void abortEndsTheRunningWait_data();
    void abortEndsTheRunningWait();
    void abortedOuterWaitLeavesRepliesToTheNestedOne();
    void vanishingDeviceEndsTheWaitAndIsReportedOnce();
    void failedWriteClosesTheDeviceAndIsReportedOnce();
    void traceLogsCommandsOnlyWhenSwitchedOn();
};

void TestCommandChannel::sendTonesWritesOneExactLine_data()
{
    QTest::addColumn<QString>("tones");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("empty") << QString() << QByteArray("ATDT;\r\n");
    QTest::newRow("star and hash") << QStringLiteral("0*#") << QByteArray("ATDT0*#;\r\n");
    QTest::newRow("registration number")
        << QStringLiteral("12345678") << QByteArray("ATDT12345678;\r\n");
    QTest::newRow("whole alphabet")
        << QStringLiteral("0123456789*#-") << QByteArray("ATDT0123456789*#-;\r\n");
}

void TestCommandChannel::sendTonesWritesOneExactLine()
{
    QFETCH(QString, tones);
    QFETCH(QByteArray, line);
    FakeModemDevice device;
    device.setAutoReply(FakeModemDevice::okReply());
    CommandChannel channel(&device);

    QCOMPARE(channel.sendTones(tones).outcome, Outcome::Ok);

    QCOMPARE(device.writes(), Chunks{line});
}

void TestCommandChannel::sendTonesDiscardsEarlierReplies()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    channel.setReplyTimeoutMs(shortTimeoutMs);
    device.feed("\r\nOK\r\n"); // late answer to an earlier command

    QCOMPARE(channel.sendTones(QStringLiteral("1")).outcome, Outcome::TimedOut);
}

void TestCommandChannel::waitOkEndsOnlyOnOk_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("modemAnswer");

    QTest::newRow("OK") << Chunks{"\r\nOK\r\n"} << Outcome::Ok << QString();
    QTest::newRow("echo, then OK") << Chunks{"ATDT1;\r", "\r\nOK\r\n"} << Outcome::Ok << QString();
    QTest::newRow("OK split over reads")
        << Chunks{"\r\nO", "K\r", "\n"} << Outcome::Ok << QString();
    QTest::newRow("lower-case ok") << Chunks{"\r\nok\r\n"} << Outcome::TimedOut << QString();
    QTest::newRow("OKAY") << Chunks{"\r\nOKAY\r\n"} << Outcome::TimedOut << QString();
    QTest::newRow("OK without line end") << Chunks{"\r\nOK"} << Outcome::TimedOut << QString();
    QTest::newRow("NO DIALTONE") << Chunks{"\r\nNO DIALTONE\r\n"} << Outcome::TimedOut
                                 << QStringLiteral("NO DIALTONE");
    QTest::newRow("numeric BUSY") << Chunks{"7\r"} << Outcome::TimedOut << QStringLiteral("BUSY");
    QTest::newRow("garbage") << Chunks{QByteArray(70000, '\xa5'), "\x00\x01"} << Outcome::TimedOut
                             << QString();
    QTest::newRow("ERROR, then OK")
        << Chunks{"\r\nERROR\r\n", "\r\nOK\r\n"} << Outcome::Ok << QStringLiteral("ERROR");
}

void TestCommandChannel::waitOkEndsOnlyOnOk()
{
    QFETCH(Chunks, chunks);
    QFETCH(Outcome, outcome);
    QFETCH(QString, modemAnswer);
    FakeModemDevice device;
    CommandChannel channel(&device);
    feedLater(device, chunks);

    const CommandChannel::Reply reply = channel.waitOk(shortTimeoutMs);

    QCOMPARE(reply.outcome, outcome);
    QCOMPARE(reply.modemAnswer, modemAnswer);
}

void TestCommandChannel::waitsNeverEndEarly_data()
{
    QTest::addColumn<bool>("forReply");
    QTest::addColumn<int>("lengthMs");

    for (const int ms : {1, 50, 120, 200}) {
        QTest::addRow("reply %d ms", ms) << true << ms;
        QTest::addRow("pause %d ms", ms) << false << ms;
    }
}

void TestCommandChannel::waitsNeverEndEarly()
{
    QFETCH(bool, forReply);
    QFETCH(int, lengthMs);
    FakeModemDevice device;
    CommandChannel channel(&device);
    // Replies that end nothing keep waking the wait up.
    QTimer noise;
    connect(&noise, &QTimer::timeout, &device, [&device] { device.feed("\r\nBUSY\r\n"); });
    noise.start(7);

    QElapsedTimer clock;
    clock.start();
    const Outcome outcome =
        forReply ? channel.waitOk(lengthMs).outcome : channel.waitMilliseconds(lengthMs);
    const qint64 elapsedNs = clock.nsecsElapsed();

    QCOMPARE(outcome, forReply ? Outcome::TimedOut : Outcome::Ok);
    QVERIFY2(elapsedNs >= lengthMs * 1000000LL, qPrintable(QString::number(elapsedNs)));
    QVERIFY2(elapsedNs < (lengthMs + lateBoundMs) * 1000000LL,
             qPrintable(QString::number(elapsedNs)));
}

void TestCommandChannel::pauseLeavesRepliesForTheNextWait()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    feedLater(device, {"\r\nOK\r\n"});
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(channel.waitMilliseconds(100), Outcome::Ok);
    QVERIFY(clock.elapsed() >= 100);
    clock.restart();
    QCOMPARE(channel.waitOk(1000).outcome, Outcome::Ok);
    QVERIFY(clock.elapsed() < 100);
}

void TestCommandChannel::nonPositivePauseReturnsAtOnce_data()
{
    QTest::addColumn<int>("seconds");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -3;
}

void TestCommandChannel::nonPositivePauseReturnsAtOnce()
{
    QFETCH(int, seconds);
    FakeModemDevice device;
    CommandChannel channel(&device);
    bool eventRan = false;
    QTimer::singleShot(0, &device, [&eventRan] { eventRan = true; });

    QCOMPARE(channel.waitSeconds(seconds), Outcome::Ok);

    QVERIFY(!eventRan);
}

void TestCommandChannel::abortEndsTheRunningWait_data()
{
    QTest::addColumn<bool>("forReply");
    QTest::newRow("wait for OK") << true;
    QTest::newRow("pause") << false;
}

void TestCommandChannel::abortEndsTheRunningWait()
{
    QFETCH(bool, forReply);
    FakeModemDevice device;
    CommandChannel channel(&device);
    QTimer::singleShot(20, &channel, [&channel] { channel.abort(); });
    QElapsedTimer clock;
    clock.start();

    const Outcome outcome =
        forReply ? channel.waitOk(5000).outcome : channel.waitMilliseconds(5000);

    QCOMPARE(outcome, Outcome::Aborted);
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(!channel.isWaiting());
}

void TestCommandChannel::abortedOuterWaitLeavesRepliesToTheNestedOne()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    Outcome nested = Outcome::TimedOut;
    QTimer::singleShot(20, &channel, [&] {
        channel.abort();
        feedLater(device, {"\r\nO", "K\r\n"});
        nested = channel.waitOk(2000).outcome;
    });

    QCOMPARE(channel.waitOk(5000).outcome, Outcome::Aborted);
    QCOMPARE(nested, Outcome::Ok);
}

void TestCommandChannel::vanishingDeviceEndsTheWaitAndIsReportedOnce()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    QSignalSpy failed(&channel, &CommandChannel::deviceFailed);
    QTimer::singleShot(20, &device, [&device] { device.vanish(QStringLiteral("unplugged")); });

    QCOMPARE(channel.waitOk(5000).outcome, Outcome::DeviceFailed);
    QCOMPARE(channel.waitMilliseconds(100), Outcome::DeviceFailed);
    QVERIFY(!channel.writeCommandLine("ATH0\r"));

    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("unplugged"));
    QTest::qWait(20);
    QCOMPARE(failed.size(), 1);
    QVERIFY(device.writes().isEmpty());
}

void TestCommandChannel::failedWriteClosesTheDeviceAndIsReportedOnce()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    QSignalSpy failed(&channel, &CommandChannel::deviceFailed);
    device.failWrites(QStringLiteral("write error"));

    QCOMPARE(channel.sendTones(QStringLiteral("1")).outcome, Outcome::DeviceFailed);
    QCOMPARE(channel.sendTones(QStringLiteral("2")).outcome, Outcome::DeviceFailed);

    QVERIFY(!device.isOpen());
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("write error"));
}

void TestCommandChannel::traceLogsCommandsOnlyWhenSwitchedOn()
{
    QVERIFY(!lcModem().isDebugEnabled()); // tone strings hold PINs: silent by default

    QLoggingCategory::setFilterRules(QStringLiteral("tarvik.modem.debug=true"));
    FakeModemDevice device;
    CommandChannel channel(&device);
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(QStringLiteral("^\\[\\d+\\.\\d{3}\\] ATH1$")));
    channel.writeCommandLine("ATH1\r");
    QLoggingCategory::setFilterRules(QString());
}

QTEST_GUILESS_MAIN(TestCommandChannel)
#include "tst_commandchannel.moc"
