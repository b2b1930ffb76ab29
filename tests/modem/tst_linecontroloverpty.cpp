#include "LineControl.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using State = LineControl::State;

// Real waits for a real process, with short pauses so that the call runs quickly.
const LineControl::Timing callTiming{2000, 100, 100, 1000};

bool acceptAll(const QString&)
{
    return true;
}

} // namespace

// The line control with the real serial port over the simulator's pseudo-terminal.
class TestLineControlOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void wholeCallWritesTheExactByteStream();
    void modemAnswersDecideTheTimeout_data();
    void modemAnswersDecideTheTimeout();
    void modemVanishingMidCallEndsTheCall();

private:
    bool startSimulator(const QStringList& flags = {});

    std::unique_ptr<ModemSimulator> m_simulator;
    SerialPortOpener m_opener;
};

void TestLineControlOverPty::init()
{
    m_simulator = std::make_unique<ModemSimulator>();
}

void TestLineControlOverPty::cleanup()
{
    m_simulator.reset();
    qunsetenv("TARVIK_COM1");
}

bool TestLineControlOverPty::startSimulator(const QStringList& flags)
{
    if (!m_simulator->start(flags))
        return false;
    qputenv("TARVIK_COM1", m_simulator->devicePath().toLocal8Bit());
    return true;
}

void TestLineControlOverPty::wholeCallWritesTheExactByteStream()
{
    QVERIFY(startSimulator());
    LineControl line(m_opener);
    line.setTiming(callTiming);
    QSignalSpy timeouts(&line, &LineControl::replyTimedOut);

    line.hook(0);
    QCOMPARE(line.state(), State::OffHook);
    line.dial(LineControl::DialMode::Tone, QStringLiteral("045-123-4567"));
    QCOMPARE(line.state(), State::Dialled);
    QVERIFY(line.sendTones(QStringLiteral("002")));
    QVERIFY(line.sendTonePair(QStringLiteral("12345678"), QStringLiteral("4321"), acceptAll));
    line.hookOff();

    QCOMPARE(line.state(), State::Idle);
    QCOMPARE(timeouts.size(), 0);
    QVERIFY(m_simulator->waitForTranscriptLine(QStringLiteral("hung up"), 2000));
    QCOMPARE(m_simulator->received(), QByteArray("ATH1\r"
                                                 "ATDT045-123-4567;\r"
                                                 "ATDT002;\r\n"
                                                 "ATDT12345678;\r\n"
                                                 "ATDT4321;\r\n"
                                                 "ATH0\r"));
}

void TestLineControlOverPty::modemAnswersDecideTheTimeout_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<bool>("timesOut");
    QTest::addColumn<QString>("modemAnswer");

    QTest::newRow("OK in two pieces")
        << QStringList{QStringLiteral("--split-ok")} << false << QString();
    QTest::newRow("lower-case ok")
        << QStringList{QStringLiteral("--lowercase-ok")} << true << QString();
    QTest::newRow("NO DIALTONE") << QStringList{QStringLiteral("--answer"),
                                                QStringLiteral("NO DIALTONE")}
                                 << true << QStringLiteral("NO DIALTONE");
    QTest::newRow("silent") << QStringList{QStringLiteral("--silent")} << true << QString();
}

void TestLineControlOverPty::modemAnswersDecideTheTimeout()
{
    QFETCH(QStringList, flags);
    QFETCH(bool, timesOut);
    QFETCH(QString, modemAnswer);
    QVERIFY(startSimulator(flags));
    LineControl line(m_opener);
    line.setTiming({400, 100, 100, 200});
    line.hook(0);
    QSignalSpy timeouts(&line, &LineControl::replyTimedOut);

    line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QCOMPARE(line.state(), State::Dialled); // a timeout never stops the transition
    QCOMPARE(timeouts.size(), timesOut ? 1 : 0);
    if (timesOut)
        QCOMPARE(timeouts.at(0).at(0).toString(), modemAnswer);
    line.hangUpForExit();
    QVERIFY(!line.isPortOpen());
}

void TestLineControlOverPty::modemVanishingMidCallEndsTheCall()
{
    QVERIFY(startSimulator({QStringLiteral("--hangup-after"), QStringLiteral("3")}));
    LineControl line(m_opener);
    line.setTiming(callTiming);
    QSignalSpy timeouts(&line, &LineControl::replyTimedOut);
    QSignalSpy failures(&line, &LineControl::deviceFailed);
    line.hook(0);
    line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    line.sendTonePair(QStringLiteral("12345678"), QStringLiteral("4321"), acceptAll);

    QTRY_COMPARE(failures.size(), 1);
    QVERIFY2(failures.at(0).at(0).toString().contains(m_simulator->devicePath()),
             qPrintable(failures.at(0).at(0).toString()));
    QCOMPARE(line.state(), State::Idle);
    QVERIFY(!line.isPortOpen());
    QCOMPARE(timeouts.size(), 0);
    QTest::qWait(100);
    QCOMPARE(failures.size(), 1);
}

QTEST_GUILESS_MAIN(TestLineControlOverPty)
#include "tst_linecontroloverpty.moc"
