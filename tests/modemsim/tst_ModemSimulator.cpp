#include "ModemEmulator.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Options = ModemEmulator::Options;
Q_DECLARE_METATYPE(ModemEmulator::Options)

namespace {

constexpr int ReplyTimeoutMs = 3000;
constexpr int DelayMs = 300;
constexpr int LateBoundMs = 300;
const QByteArray OkReply = "\r\nOK\r\n";

// The bytes one receive() makes the modem send, "<N ms>" where it pauses, and "<garbage>" where
// the random stream starts; the transcript is met by the tests that run the simulator.
QByteArray described(const ModemEmulator::Output& output)
{
    QByteArray out;
    for (const ModemEmulator::Chunk& chunk : output.chunks)
        out += (chunk.pauseBeforeMs ? '<' + QByteArray::number(chunk.pauseBeforeMs) + " ms>" : "") +
               chunk.bytes;
    return out + (output.startGarbage ? "<garbage>" : "");
}

// Opens the device as the program does for each call, sends one command and returns what came
// back up to the end of the result line.
QByteArray exchange(const QString& device, const QByteArray& command)
{
    const std::unique_ptr<QIODevice> port =
        SerialPortOpener().open(device, PortOpener::Speed::Commands).device;
    QByteArray reply;
    if (port && port->write(command) == command.size()) {
        while (!reply.endsWith("\r\n") && port->waitForReadyRead(ReplyTimeoutMs))
            reply += port->readAll();
    }
    return reply;
}

} // namespace

class tst_ModemSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void interpreterFaultOptions_data();
    void interpreterFaultOptions();
    void callsThroughTheLinkAndTheReopenedPort();
};

void tst_ModemSimulator::interpreterFaultOptions_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArrayList>("reads"); // one receive() each
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char* name, const QByteArrayList& reads, const QByteArray& expected,
                        void (*fault)(Options&)) {
        Options options;
        fault(options);
        QTest::newRow(name) << options << reads << expected;
    };
    // Only the fault options no test of the program meets through the simulator; silence,
    // NO DIALTONE, a vanishing line and the answer delay are met there.
    row("lower-case ok", {"AT\r"}, "AT\r\r\nok\r\n", [](Options& o) { o.lowercaseOk = true; });
    row("split OK only", {"ATX\r", "AT\r"}, "ATX\r\r\nERROR\r\nAT\r\r\nO<50 ms>K\r\n",
        [](Options& o) { o.splitOk = true; });
    row("garbage starts once, after the first command", {"hello\r", "AT\r", "AT\r"},
        "hello\rAT\r" + OkReply + "<garbage>AT\r" + OkReply, [](Options& o) { o.garbage = true; });
}

void tst_ModemSimulator::interpreterFaultOptions()
{
    QFETCH(Options, options);
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArray, expected);
    ModemEmulator modem(options);
    QByteArray out;
    for (const QByteArray& bytes : reads)
        out += described(modem.receive(bytes));
    QCOMPARE(out, expected);
}

// The program opens and closes the port for each call, here also through the link a fixed
// device name points at; the modem must survive that and pause before each result, no longer.
void tst_ModemSimulator::callsThroughTheLinkAndTheReopenedPort()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("modem");
    QVERIFY(QFile::link("/dev/null", link)); // left behind by a killed run: replaced
    ModemSimulator modem;
    QVERIFY(modem.start({"--link", link, "--delay", QString::number(DelayMs)}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), modem.devicePath());
    QCOMPARE(exchange(link, "ATH1\r"), "ATH1\r\r\nOK\r\n");
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(exchange(modem.devicePath(), "ATDT0451234567;\r\n"), "ATDT0451234567;\r\r\nOK\r\n");

    QCOMPARE_GE(clock.elapsed(), DelayMs);
    QCOMPARE_LT(clock.elapsed(), DelayMs + LateBoundMs); // twice the delay would reach it
    QCOMPARE(modem.stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(tst_ModemSimulator)
#include "tst_ModemSimulator.moc"
