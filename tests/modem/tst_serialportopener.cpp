#include "CommandChannel.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Failure = SerialPortOpener::Failure;

// Points COM1 at a device for one test and restores the environment afterwards.
class Com1Override {
public:
    explicit Com1Override(const QString& device) : m_old(qgetenv("TARVIK_COM1"))
    {
        qputenv("TARVIK_COM1", device.toLocal8Bit());
    }
    ~Com1Override()
    {
        if (m_old.isEmpty())
            qunsetenv("TARVIK_COM1");
        else
            qputenv("TARVIK_COM1", m_old);
    }
    Com1Override(const Com1Override&) = delete;
    Com1Override& operator=(const Com1Override&) = delete;

private:
    QByteArray m_old;
};

} // namespace

class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reasonsNameTheDeviceAndTheRemedy_data();
    void reasonsNameTheDeviceAndTheRemedy();
    void noSelectionFailsWithoutOpening_data();
    void noSelectionFailsWithoutOpening();
    void missingDeviceFailsNamingIt();
    void opensAPseudoTerminalAndTalks();
    void aPortInUseIsBusy();
    void vanishingModemClosesThePort();
};

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
    SerialPortOpener opener;

    const PortOpener::Result result = opener.open(comIndex);

    QVERIFY(!result.device);
    QVERIFY(result.deviceName.isEmpty());
    QCOMPARE(result.error, SerialPortOpener::reason(Failure::NoSelection, {}, {}));
}

void TestSerialPortOpener::missingDeviceFailsNamingIt()
{
    const QString missing = QStringLiteral("/nonexistent/ttyTarvik");
    const Com1Override com1(missing);
    SerialPortOpener opener;

    const PortOpener::Result result = opener.open(0);

    QVERIFY(!result.device);
    QCOMPARE(result.deviceName, missing);
    QCOMPARE(result.error, SerialPortOpener::reason(Failure::NotFound, missing, {}));
}

void TestSerialPortOpener::opensAPseudoTerminalAndTalks()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    const Com1Override com1(simulator.devicePath());
    SerialPortOpener opener;

    // A pseudo-terminal has no modem-control lines; that must not fail the open.
    const PortOpener::Result result = opener.open(0);

    QVERIFY2(result.device, qPrintable(result.error));
    QCOMPARE(result.deviceName, simulator.devicePath());
    CommandChannel channel(result.device.get());
    QVERIFY(channel.writeCommandLine("AT\r"));
    QCOMPARE(channel.waitOk(2000).outcome, CommandChannel::Outcome::Ok);
}

void TestSerialPortOpener::aPortInUseIsBusy()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    const Com1Override com1(simulator.devicePath());
    SerialPortOpener opener;
    const PortOpener::Result first = opener.open(0);
    QVERIFY2(first.device, qPrintable(first.error));

    const PortOpener::Result second = opener.open(0);

    QVERIFY(!second.device);
    QCOMPARE(second.error, SerialPortOpener::reason(Failure::Busy, simulator.devicePath(), {}));
}

void TestSerialPortOpener::vanishingModemClosesThePort()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start({QStringLiteral("--hangup-after"), QStringLiteral("1")}));
    const Com1Override com1(simulator.devicePath());
    SerialPortOpener opener;
    const PortOpener::Result result = opener.open(0);
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
