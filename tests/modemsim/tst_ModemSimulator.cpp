#include "ModemSimulator.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int ReplyTimeoutMs = 3000;

// Opens the device the plain POSIX way, as the program does for each call, sends one
// command and returns what came back up to the end of the result line.
QByteArray exchange(const QString& device, const QByteArray& command)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QByteArray reply;
    pollfd ready{fd, POLLIN, 0};
    char buffer[256];
    ssize_t count = 0;
    if (fd >= 0 && ::write(fd, command.constData(), size_t(command.size())) == command.size()) {
        while (!reply.endsWith("\r\n") && poll(&ready, 1, ReplyTimeoutMs) > 0 &&
               (count = ::read(fd, buffer, sizeof buffer)) > 0)
            reply.append(buffer, count);
    }
    if (fd >= 0)
        ::close(fd);
    return reply;
}

} // namespace

class tst_ModemSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void callsThroughTheLinkAndTheReopenedPort();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

// The program opens and closes the port for each call, here also through the link a
// fixed device name points at; the modem must survive that and pause before each result.
void tst_ModemSimulator::callsThroughTheLinkAndTheReopenedPort()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("modem");
    QVERIFY(QFile::link("/dev/null", link)); // left behind by a killed run: replaced
    ModemSimulator modem;
    QVERIFY(modem.start({"--link", link, "--delay", "100"}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), modem.devicePath());
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(exchange(link, "ATH1\r"), "ATH1\r\r\nOK\r\n");
    QCOMPARE(exchange(modem.devicePath(), "ATDT0451234567;\r\n"), "ATDT0451234567;\r\r\nOK\r\n");
    QCOMPARE(exchange(modem.devicePath(), "ATH0\r"), "ATH0\r\r\nOK\r\n");
    QCOMPARE_GE(clock.elapsed(), 3 * 100);

    QVERIFY(modem.waitForTranscriptLine("hung up", ReplyTimeoutMs));
    QCOMPARE(modem.transcript(), (QStringList{"off hook", "dialled 0451234567 (tone)", "hung up"}));
    QCOMPARE(modem.received(), "ATH1\rATDT0451234567;\r\nATH0\r");
    QCOMPARE(modem.stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void tst_ModemSimulator::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown flag") << QStringList{"--bogus"};
    QTest::newRow("stray argument") << QStringList{"COM1"};
    QTest::newRow("delay not a number") << QStringList{"--delay", "soon"};
    QTest::newRow("hang-up after nothing") << QStringList{"--hangup-after", "0"};
    QTest::newRow("empty answer") << QStringList{"--answer", ""};
}

void tst_ModemSimulator::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QProcess simulator;
    simulator.start(qEnvironmentVariable("TARVIK_MODEMSIM"), arguments);
    QVERIFY(simulator.waitForFinished(ReplyTimeoutMs));
    QCOMPARE(simulator.exitCode(), 2);
    QVERIFY(simulator.readAllStandardOutput().isEmpty());
    QVERIFY(simulator.readAllStandardError().contains("--hangup-after"));
}

QTEST_GUILESS_MAIN(tst_ModemSimulator)
#include "tst_ModemSimulator.moc"
