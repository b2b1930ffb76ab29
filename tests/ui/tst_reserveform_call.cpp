#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

// The typical call of a reservation, clicked through the real window against the modem
// simulator on a pseudo-terminal, as COM1.
class TestReserveFormCall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typicalCall();
};

namespace {
constexpr int DialPauseMs = 400;
constexpr int PairPauseMs = 300;
} // namespace

void TestReserveFormCall::typicalCall()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());

    SerialPortOpener opener;
    WindowFixture f(opener, qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini",
                    {LineControl::Timing().replyTimeoutMs, DialPauseMs, PairPauseMs});
    QElapsedTimer clock;
    const auto clickTimed = [&](const char* objectName) {
        clock.start();
        f.click(QLatin1String(objectName));
        return clock.elapsed();
    };
    clickTimed("Command1");
    const qint64 dialMs = clickTimed("Command2");
    QVERIFY2(dialMs >= DialPauseMs, qPrintable(QString::number(dialMs)));
    clickTimed("Command3");
    clickTimed("Command4_0");
    QVERIFY(clickTimed("Command6") >= PairPauseMs);
    QVERIFY(clickTimed("Command7") >= PairPauseMs);
    for (const char* step : {"Command9_0", "Command4_1", "Command12", "Command13", "Command9_1",
                             "Command4_2", "Command4_3", "Command11_10", "Command5_3", "Command10"})
        f.click(QLatin1String(step));

    const QByteArray expected = "ATH1\r"
                                "ATDT0451234567;\r"
                                "ATDT002;\r\n"
                                "ATDT1;\r\n"
                                "ATDT12345678;\r\n"
                                "ATDT1234;\r\n"
                                "ATDT0101;\r\n"
                                "ATDT01;\r\n"
                                "ATDT1;\r\n"  // conditions
                                "ATDT1;\r\n"  // Yes
                                "ATDT15;\r\n" // date
                                "ATDT02;\r\n" // time slot
                                "ATDT21;\r\n" // purpose
                                "ATDT1;\r\n"  // Yes
                                "ATDT1;\r\n"  // 次予約
                                "ATDT*;\r\n"
                                "ATDT0;\r\n" // 他ｻｰﾋﾞｽ
                                "ATH0\r";
    QTRY_COMPARE(simulator.received(), expected);
    QVERIFY(f.boxes().shown().isEmpty());
    QVERIFY(!f.line().isPortOpen());
    QVERIFY(f.control<QPushButton>(QStringLiteral("Command1"))->isEnabled());
}

QTEST_MAIN(TestReserveFormCall)
#include "tst_reserveform_call.moc"
