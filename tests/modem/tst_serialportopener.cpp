#include "CommandChannel.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QSignalSpy>
#include <QTest>

using Failure = SerialPortOpener::Failure;

class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void reasonsNameTheDeviceAndTheRemedy_data();
    void reasonsNameTheDeviceAndTheRemedy();
    void noSelectionFailsWithoutOpening_data();
    void noSelectionFailsWithoutOpening();
    void missingDeviceFailsNamingIt();
    void opensAPseudoTerminalAndTalks();
    void aPortInUseIsBusy();
    void vanishingModemClosesThePort();

private:
    // Starts the simulator with flags, points COM1 at it and opens COM1.
    PortOpener::Result openSimulatorPort(const QStringList& flags = {});

    ModemSimulator m_simulator;
    SerialPortOpener m_opener;
};

void TestSerialPortOpener::cleanup()
{
    m_simulator.stop();
    qunsetenv("TARVIK_COM1");
}

PortOpener::Result TestSerialPortOpener::openSimulatorPort(const QStringList& flags)
{
    if (!m_simulator.start(flags))
        return {nullptr, {}, QStringLiteral("the simulator did not start")};
    qputenv("TARVIK_COM1", m_simulator.devicePath().toLocal8Bit());
    return m_opener.open(0);
}

void TestSerialPortOpener::reasonsNameTheDeviceAndTheRemedy_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QStringList>("mentions");

    const QString device = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("no selection") << Failure::NoSelection
                                  << QStringList{QStringLiteral("ポートが選択されていません")};
    QTest::newRow("not found") << Failure::NotFound
                               << QStringList{device, QStringLiteral("見つかりません")};
    QTest::newRow("no permission")
        << Failure::NoPermission << QStringList{device, QStringLiteral("dialout")};
    QTest::newRow("busy") << Failure::Busy << QStringList{device, QStringLiteral("使用中")};
    QTest::newRow("other") << Failure::Other << QStringList{device, QStringLiteral("odd failure")};
}

void TestSerialPortOpener::reasonsNameTheDeviceAndTheRemedy()
{
    QFETCH(Failure, failure);
    QFETCH(QStringList, mentions);

    const QString reason = SerialPortOpener::reason(failure, QStringLiteral("/dev/ttyUSB0"),
                                                    QStringLiteral("odd failure"));

    for (const QString& mention : mentions)
        QVERIFY2(reason.contains(mention), qPrintable(reason));
}

void TestSerialPortOpener::noSelectionFailsWithoutOpening_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::newRow("no selection") << -1;
    QTest::newRow("beyond COM4") << 4;
}

void TestSerialPortOpener::noSelectionFailsWithoutOpening()
{
    QFETCH(int, comIndex);
    const PortOpener::Result result = m_opener.open(comIndex);

    QVERIFY(!result.device);
    QVERIFY(result.deviceName.isEmpty());
    QCOMPARE(result.error, SerialPortOpener::reason(Failure::NoSelection, {}, {}));
}

void TestSerialPortOpener::missingDeviceFailsNamingIt()
{
    const QString missing = QStringLiteral("/nonexistent/ttyTarvik");
    qputenv("TARVIK_COM1", missing.toLocal8Bit());

    const PortOpener::Result result = m_opener.open(0);

    QVERIFY(!result.device);
    QCOMPARE(result.deviceName, missing);
    QCOMPARE(result.error, SerialPortOpener::reason(Failure::NotFound, missing, {}));
}

void TestSerialPortOpener::opensAPseudoTerminalAndTalks()
{
    // A pseudo-terminal has no modem-control lines; that must not fail the open.
    const PortOpener::Result result = openSimulatorPort();

    QVERIFY2(result.device, qPrintable(result.error));
    QCOMPARE(result.deviceName, m_simulator.devicePath());
    CommandChannel channel(result.device.get());
    QVERIFY(channel.writeCommandLine("AT\r"));
    QCOMPARE(channel.waitOk(2000).outcome, CommandChannel::Outcome::Ok);
}

void TestSerialPortOpener::aPortInUseIsBusy()
{
    const PortOpener::Result first = openSimulatorPort();
    QVERIFY2(first.device, qPrintable(first.error));

    const PortOpener::Result second = m_opener.open(0);

    QVERIFY(!second.device);
    QCOMPARE(second.error, SerialPortOpener::reason(Failure::Busy, m_simulator.devicePath(), {}));
}

void TestSerialPortOpener::vanishingModemClosesThePort()
{
    const PortOpener::Result result =
        openSimulatorPort({QStringLiteral("--hangup-after"), QStringLiteral("1")});
    QVERIFY2(result.device, qPrintable(result.error));
    CommandChannel channel(result.device.get());
    QSignalSpy failed(&channel, &CommandChannel::deviceFailed);

    QVERIFY(channel.writeCommandLine("AT\r"));
    channel.waitOk(2000);

    QTRY_COMPARE(failed.size(), 1);
    QVERIFY(!result.device->isOpen());
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
}

QTEST_GUILESS_MAIN(TestSerialPortOpener)
#include "tst_serialportopener.moc"
