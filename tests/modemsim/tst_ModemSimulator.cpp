#include "ModemSimulator.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int replyTimeoutMs = 3000;

// The program's side of the pseudo-terminal, opened the plain POSIX way.
class SlavePort {
public:
    explicit SlavePort(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        termios mode{};
        if (m_fd >= 0 && tcgetattr(m_fd, &mode) == 0) {
            cfmakeraw(&mode);
            tcsetattr(m_fd, TCSANOW, &mode);
        }
    }
    ~SlavePort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SlavePort(const SlavePort&) = delete;
    SlavePort& operator=(const SlavePort&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray& bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until the bytes end with `end`, until `minimum` bytes came, or until the line
    // hangs up or the time is over; returns what came.
    QByteArray readUntil(const QByteArray& end, qsizetype minimum = 0)
    {
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        while (!(end.isEmpty() ? bytes.size() >= minimum : bytes.endsWith(end))) {
            const int left = replyTimeoutMs - int(clock.elapsed());
            pollfd ready{m_fd, POLLIN, 0};
            char buffer[4096];
            ssize_t count = 0;
            if (left <= 0 || poll(&ready, 1, left) <= 0 ||
                (count = ::read(m_fd, buffer, sizeof buffer)) <= 0) {
                m_hungUp = left > 0 && (ready.revents & POLLHUP);
                break;
            }
            bytes.append(buffer, count);
        }
        return bytes;
    }
    bool hungUp() const { return m_hungUp; }

private:
    int m_fd;
    bool m_hungUp = false;
};

QByteArray exchange(const QString& device, const QByteArray& command)
{
    SlavePort port(device);
    return port.isOpen() && port.write(command) ? port.readUntil("\r\n") : QByteArray();
}

} // namespace

class tst_ModemSimulator : public QObject {
    Q_OBJECT
private slots:
    void callThroughReopenedPort();
    void delaysTheAnswer();
    void hangsUpMidCall();
    void streamsGarbage();
    void linkLivesAsLongAsTheSimulator();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

// The program opens and closes the port for each call: the modem must survive that.
void tst_ModemSimulator::callThroughReopenedPort()
{
    ModemSimulator modem;
    QVERIFY(modem.start());
    QVERIFY(modem.devicePath().startsWith("/dev/pts/"));

    QCOMPARE(exchange(modem.devicePath(), "ATH1\r"), "ATH1\r\r\nOK\r\n");
    SlavePort port(modem.devicePath());
    QVERIFY(port.write("ATDT0451234567;\r"));
    QCOMPARE(port.readUntil("\r\n"), "ATDT0451234567;\r\r\nOK\r\n");
    QVERIFY(port.write("ATDT12345678;\r\n"));
    QCOMPARE(port.readUntil("\r\n"), "ATDT12345678;\r\r\nOK\r\n");
    QVERIFY(port.write("ATH0\r"));
    QCOMPARE(port.readUntil("\r\n"), "ATH0\r\r\nOK\r\n");

    QVERIFY(modem.waitForTranscriptLine("hung up", replyTimeoutMs));
    QCOMPARE(modem.transcript(),
             (QStringList{"off hook", "dialled 0451234567 (tone)", "tones 12345678", "hung up"}));
    QCOMPARE(modem.received(), "ATH1\rATDT0451234567;\rATDT12345678;\r\nATH0\r");
    QCOMPARE(modem.stop(), 0);
}

void tst_ModemSimulator::delaysTheAnswer()
{
    ModemSimulator modem;
    QVERIFY(modem.start({"--delay", "300", "--split-ok"}));
    SlavePort port(modem.devicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(port.write("AT\r"));
    QCOMPARE(port.readUntil("\r\n"), "AT\r\r\nOK\r\n");
    QCOMPARE_GE(clock.elapsed(), 300 + 50);
}

void tst_ModemSimulator::hangsUpMidCall()
{
    ModemSimulator modem;
    QVERIFY(modem.start({"--hangup-after", "2"}));
    SlavePort port(modem.devicePath());
    QVERIFY(port.write("ATH1\r"));
    QCOMPARE(port.readUntil("\r\n"), "ATH1\r\r\nOK\r\n");
    QVERIFY(port.write("ATDT1;\r"));
    QCOMPARE(port.readUntil("never"), "ATDT1;\r\r\nOK\r\n");
    QVERIFY(port.hungUp());

    QVERIFY(modem.waitForTranscriptLine("line closed", replyTimeoutMs));
    QTRY_VERIFY(!modem.isRunning());
    QCOMPARE(modem.stop(), 0);
}

void tst_ModemSimulator::streamsGarbage()
{
    ModemSimulator modem;
    QVERIFY(modem.start({"--garbage", "--silent"}));
    SlavePort port(modem.devicePath());
    QVERIFY(port.write("AT\r"));
    const QByteArray garbage = port.readUntil({}, 8192);
    QCOMPARE_GE(garbage.size(), 8192);
    QVERIFY(!garbage.contains("OK") && !garbage.contains("ok"));
}

void tst_ModemSimulator::linkLivesAsLongAsTheSimulator()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("modem");
    QVERIFY(QFile::link("/dev/null", link)); // left behind by a killed run: replaced
    ModemSimulator modem;
    QVERIFY(modem.start({"--link", link}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), modem.devicePath());
    QCOMPARE(exchange(link, "AT\r"), "AT\r\r\nOK\r\n");

    QCOMPARE(modem.stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void tst_ModemSimulator::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown flag") << QStringList{"--bogus"};
    QTest::newRow("stray argument") << QStringList{"COM1"};
    QTest::newRow("negative delay") << QStringList{"--delay", "-1"};
    QTest::newRow("delay not a number") << QStringList{"--delay", "soon"};
    QTest::newRow("hang-up after nothing") << QStringList{"--hangup-after", "0"};
    QTest::newRow("empty answer") << QStringList{"--answer", ""};
}

void tst_ModemSimulator::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QProcess simulator;
    simulator.start(qEnvironmentVariable("TARVIK_MODEMSIM"), arguments);
    QVERIFY(simulator.waitForFinished(replyTimeoutMs));
    QCOMPARE(simulator.exitCode(), 2);
    QVERIFY(simulator.readAllStandardOutput().isEmpty());
    QVERIFY(simulator.readAllStandardError().contains("--hangup-after"));
}

QTEST_GUILESS_MAIN(tst_ModemSimulator)
#include "tst_ModemSimulator.moc"
