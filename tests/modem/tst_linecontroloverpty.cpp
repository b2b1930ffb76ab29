#include "LineControl.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QTest>

namespace {

bool acceptAll(const QString&)
{
    return true;
}

// A line control on COM1, which stands for the simulator's pseudo-terminal. Real waits for a
// real process, with short pauses so that the call runs quickly.
struct Call {
    explicit Call(const QStringList& flags = {})
    {
        started = simulator.start(flags);
        qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
        line.setTiming({2000, 100, 100, 1000});
        QObject::connect(&line, &LineControl::replyTimedOut,
                         [this](const QString& answer) { boxes << answer; });
    }
    ~Call() { qunsetenv("TARVIK_COM1"); }

    ModemSimulator simulator;
    bool started = false;
    QStringList boxes; // the modem answer named by every timeout box asked for
    SerialPortOpener opener;
    LineControl line{opener};
};

} // namespace

class TestLineControlOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeCallWritesTheExactByteStream();
    void modemAnswersDecideTheTimeout_data();
    void modemAnswersDecideTheTimeout();
};

void TestLineControlOverPty::wholeCallWritesTheExactByteStream()
{
    Call call;
    QVERIFY(call.started);

    call.line.hook(0);
    call.line.dial(LineControl::DialMode::Tone, QStringLiteral("045-123-4567"));
    QVERIFY(call.line.sendTones(QStringLiteral("002")));
    QVERIFY(call.line.sendTonePair(QStringLiteral("12345678"), QStringLiteral("4321"), acceptAll));
    call.line.hookOff();

    QCOMPARE(call.line.state(), LineControl::State::Idle);
    QCOMPARE(call.boxes, QStringList());
    QVERIFY(call.simulator.waitForTranscriptLine(QStringLiteral("hung up"), 2000));
    QCOMPARE(call.simulator.received(), QByteArray("ATH1\r"
                                                   "ATDT045-123-4567;\r"
                                                   "ATDT002;\r\n"
                                                   "ATDT12345678;\r\n"
                                                   "ATDT4321;\r\n"
                                                   "ATH0\r"));
}

void TestLineControlOverPty::modemAnswersDecideTheTimeout_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("OK in two pieces") << QStringList{QStringLiteral("--split-ok")} << QStringList();
    QTest::newRow("NO DIALTONE") << QStringList{QStringLiteral("--answer"),
                                                QStringLiteral("NO DIALTONE")}
                                 << QStringList{QStringLiteral("NO DIALTONE")};
}

void TestLineControlOverPty::modemAnswersDecideTheTimeout()
{
    QFETCH(QStringList, flags);
    Call call(flags);
    QVERIFY(call.started);
    call.line.setTiming({400, 100, 100, 200});
    call.line.hook(0);
    call.boxes.clear();

    call.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QTEST(call.boxes, "boxes");
    QCOMPARE(call.line.state(), LineControl::State::Dialled); // a timeout does not stop it
}

QTEST_GUILESS_MAIN(TestLineControlOverPty)
#include "tst_linecontroloverpty.moc"
