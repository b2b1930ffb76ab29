#include "LineControl.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QTest>

// Answers only a real port gives: the simulator's pseudo-terminal stands behind COM1.
class TestLineControlOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qunsetenv("TARVIK_COM1"); }
    void modemAnswersDecideTheTimeout_data();
    void modemAnswersDecideTheTimeout();
};

void TestLineControlOverPty::modemAnswersDecideTheTimeout_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("boxes"); // the modem answer named by each timeout box

    QTest::newRow("OK in two pieces") << QStringList{QStringLiteral("--split-ok")} << QStringList();
    QTest::newRow("NO DIALTONE") << QStringList{QStringLiteral("--answer"),
                                                QStringLiteral("NO DIALTONE")}
                                 << QStringList{QStringLiteral("NO DIALTONE")};
}

void TestLineControlOverPty::modemAnswersDecideTheTimeout()
{
    QFETCH(QStringList, flags);
    ModemSimulator simulator;
    QVERIFY(simulator.start(flags));
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    SerialPortOpener opener;
    LineControl line(opener, {400, 100, 100, 200});
    QStringList boxes;
    connect(&line, &LineControl::replyTimedOut, this,
            [&](const QString& answer) { boxes << answer; });
    line.hook(0);

    line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QTEST(boxes, "boxes");
    QCOMPARE(line.state(), LineControl::State::Dialled); // a timeout does not stop it
}

QTEST_GUILESS_MAIN(TestLineControlOverPty)
#include "tst_linecontroloverpty.moc"
