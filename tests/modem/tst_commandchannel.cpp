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
constexpr int LateBoundMs = 500;
constexpr int ShortTimeoutMs = 150;

using Outcome = CommandChannel::Outcome;
using Chunks = QList<QByteArray>;

enum class Ending { Unplugged, WriteRefused, Closed };

// Feeds one chunk every 10 ms, the first 10 ms from now.
void feedLater(FakeModemDevice& device, const Chunks& chunks)
{
    for (int index = 0; index < chunks.size(); ++index) {
        QTimer::singleShot(10 * (index + 1), &device,
                           [&device, chunk = chunks.at(index)] { device.feed(chunk); });
    }
}

// Whether a wait that started elapsedMs ago ran its length, neither less nor much more.
bool ranItsLength(qint64 elapsedMs, int lengthMs)
{
    return elapsedMs >= lengthMs && elapsedMs < lengthMs + LateBoundMs;
}

// A channel on an in-memory modem.
struct Modem {
    FakeModemDevice device;
    CommandChannel channel{&device};
};

} // namespace

class TestCommandChannel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waitOkEndsOnlyOnOk_data();
    void waitOkEndsOnlyOnOk();
    void pauseRunsItsLengthAndLeavesRepliesForTheNextWait();
    void abortEndsTheWaitAndLeavesRepliesToANestedOne();
    void deviceFailureIsReportedOnce_data();
    void deviceFailureIsReportedOnce();
    void traceLogsCommandsOnlyWhenSwitchedOn();
};

void TestCommandChannel::waitOkEndsOnlyOnOk_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("modemAnswer");

    QTest::newRow("echo, then OK split over reads")
        << Chunks{"ATDT1;\r", "\r\nO", "K\r", "\n"} << Outcome::Ok << QString();
    QTest::newRow("ERROR, then OK")
        << Chunks{"\r\nERROR\r\n", "\r\nOK\r\n"} << Outcome::Ok << QStringLiteral("ERROR");
    // Replies that end nothing keep waking the wait up; it must not end early.
    QTest::newRow("BUSY all the time") << Chunks(ShortTimeoutMs / 10, "\r\nBUSY\r\n")
                                       << Outcome::TimedOut << QStringLiteral("BUSY");
}

void TestCommandChannel::waitOkEndsOnlyOnOk()
{
    QFETCH(Chunks, chunks);
    Modem m;
    feedLater(m.device, chunks);
    QElapsedTimer clock;
    clock.start();

    const CommandChannel::Reply reply = m.channel.waitOk(ShortTimeoutMs);

    QTEST(reply.outcome, "outcome");
    QTEST(reply.modemAnswer, "modemAnswer");
    if (reply.outcome == Outcome::TimedOut)
        QVERIFY2(ranItsLength(clock.elapsed(), ShortTimeoutMs),
                 qPrintable(QString::number(clock.elapsed())));
}

void TestCommandChannel::pauseRunsItsLengthAndLeavesRepliesForTheNextWait()
{
    Modem m;
    feedLater(m.device, {"\r\nOK\r\n"});
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(m.channel.waitMilliseconds(100), Outcome::Ok);
    QVERIFY2(ranItsLength(clock.elapsed(), 100), qPrintable(QString::number(clock.elapsed())));
    clock.restart();
    QCOMPARE(m.channel.waitOk(1000).outcome, Outcome::Ok);
    QVERIFY(clock.elapsed() < 100);
}

void TestCommandChannel::abortEndsTheWaitAndLeavesRepliesToANestedOne()
{
    Modem m;
    Outcome nested = Outcome::TimedOut;
    QTimer::singleShot(20, &m.channel, [&] {
        m.channel.abort();
        feedLater(m.device, {"\r\nO", "K\r\n"});
        nested = m.channel.waitOk(2000).outcome;
    });
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(m.channel.waitOk(5000).outcome, Outcome::Aborted);

    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(nested, Outcome::Ok);
    QVERIFY(!m.channel.isWaiting());
}

void TestCommandChannel::deviceFailureIsReportedOnce_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("reports");
    QTest::newRow("unplugged during a wait") << Ending::Unplugged << 1;
    QTest::newRow("write refused") << Ending::WriteRefused << 1;
    QTest::newRow("closed on purpose") << Ending::Closed << 0;
}

void TestCommandChannel::deviceFailureIsReportedOnce()
{
    QFETCH(Ending, ending);
    QFETCH(int, reports);
    Modem m;
    QSignalSpy failed(&m.channel, &CommandChannel::deviceFailed);
    const QString reason = QStringLiteral("Input/output error");

    if (ending == Ending::Unplugged) {
        QTimer::singleShot(20, &m.device, [&] { m.device.vanish(reason); });
        QCOMPARE(m.channel.waitOk(5000).outcome, Outcome::DeviceFailed);
    } else if (ending == Ending::WriteRefused) {
        m.device.failWrites(reason);
    } else {
        m.channel.close();
    }

    QVERIFY(!m.channel.writeCommandLine("ATH0\r"));
    QCOMPARE(m.channel.waitMilliseconds(100), Outcome::DeviceFailed);
    QVERIFY(!m.device.isOpen());
    QVERIFY(m.device.writes().isEmpty());
    QTest::qWait(20);
    QCOMPARE(failed, QList<QList<QVariant>>(reports, {reason}));
}

void TestCommandChannel::traceLogsCommandsOnlyWhenSwitchedOn()
{
    Modem m;
    QVERIFY(!lcModem().isDebugEnabled()); // tone strings hold PINs: silent by default

    QLoggingCategory::setFilterRules(QStringLiteral("tarvik.modem.debug=true"));
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(QStringLiteral("^\\[\\d+\\.\\d{3}\\] ATH1$")));
    m.channel.writeCommandLine("ATH1\r");
    QLoggingCategory::setFilterRules(QString());
}

QTEST_GUILESS_MAIN(TestCommandChannel)
#include "tst_commandchannel.moc"
