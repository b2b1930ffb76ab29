#include "CommandChannel.h"
#include "FakeModemDevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Parallel test runs may delay a wait's end; they must never make it end early.
constexpr int LateBoundMs = 300;
constexpr int ShortMs = 150;

using Outcome = CommandChannel::Outcome;
using Chunks = QList<QByteArray>;

// Feeds one chunk every 10 ms, the first 10 ms from now.
void feedLater(FakeModemDevice& device, const Chunks& chunks)
{
    for (int index = 0; index < chunks.size(); ++index)
        QTimer::singleShot(10 * (index + 1), &device,
                           [&device, chunk = chunks.at(index)] { device.feed(chunk); });
}

} // namespace

class TestCommandChannel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waitEndsOnOkOrAfterItsLength_data();
    void waitEndsOnOkOrAfterItsLength();
    void closingOnPurposeIsNotReported();
    void traceIsOffByDefault();
};

void TestCommandChannel::waitEndsOnOkOrAfterItsLength_data()
{
    QTest::addColumn<bool>("pause"); // else a wait for "OK"
    QTest::addColumn<bool>("slowClock");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("modemAnswer");
    QTest::addColumn<int>("realMs"); // how long the wait takes

    QTest::newRow("echo, then OK split over reads")
        << false << false << Chunks{"ATDT1;\r", "\r\nO", "K\r", "\n"} << Outcome::Ok << QString()
        << 0;
    // Replies that end nothing keep waking the wait up; it must not end early.
    QTest::newRow("BUSY all the time") << false << false << Chunks(ShortMs / 10, "\r\nBUSY\r\n")
                                       << Outcome::TimedOut << "BUSY" << ShortMs;
    // At half speed the clock makes every timer fire early by its count; a wait goes on until
    // the clock says its length has passed.
    QTest::newRow("pause, slow clock")
        << true << true << Chunks() << Outcome::Ok << QString() << 2 * ShortMs;
    QTest::newRow("reply wait, slow clock")
        << false << true << Chunks() << Outcome::TimedOut << QString() << 2 * ShortMs;
}

void TestCommandChannel::waitEndsOnOkOrAfterItsLength()
{
    QFETCH(bool, pause);
    QFETCH(Chunks, chunks);
    QFETCH(int, realMs);
    FakeModemDevice device;
    QElapsedTimer realTime;
    realTime.start();
    const CommandChannel::Clock halfSpeed = [&realTime] { return realTime.nsecsElapsed() / 2; };
    QFETCH(bool, slowClock);
    const auto channel = slowClock ? std::make_unique<CommandChannel>(&device, halfSpeed)
                                   : std::make_unique<CommandChannel>(&device);
    feedLater(device, chunks);

    const CommandChannel::Reply reply =
        pause ? CommandChannel::Reply{channel->waitMilliseconds(ShortMs), {}}
              : channel->waitOk(ShortMs);

    QCOMPARE_GE(realTime.elapsed(), realMs);
    QCOMPARE_LT(realTime.elapsed(), realMs + LateBoundMs);
    QTEST(reply.outcome, "outcome");
    QTEST(reply.modemAnswer, "modemAnswer");
}

// An unplugged device or a refused write is reported once, as the line control's tests show;
// closing the device on purpose is no failure.
void TestCommandChannel::closingOnPurposeIsNotReported()
{
    FakeModemDevice device;
    CommandChannel channel(&device);
    QSignalSpy failed(&channel, &CommandChannel::deviceFailed);

    channel.close();

    QVERIFY(!device.isOpen());
    QVERIFY(!channel.writeCommandLine("ATH0\r"));
    QCOMPARE(channel.waitMilliseconds(100), Outcome::DeviceFailed);
    QTest::qWait(20);
    QVERIFY(failed.isEmpty());
}

void TestCommandChannel::traceIsOffByDefault()
{
    QVERIFY(!lcModem().isDebugEnabled()); // tone strings hold PINs
}

QTEST_GUILESS_MAIN(TestCommandChannel)
#include "tst_commandchannel.moc"
