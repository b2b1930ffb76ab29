#include "PortMapping.h"

#include <QTest>

using Source = PortMapping::Source;
Q_DECLARE_METATYPE(Source)

class TestPortMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void devicePerPort_data();
    void devicePerPort();
    void variablesAreReadPerPort();
};

void TestPortMapping::devicePerPort_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::addColumn<QString>("stored");   // in the settings for that port
    QTest::addColumn<QString>("variable"); // the port's own variable; empty: not set
    QTest::addColumn<QString>("device");   // empty: no device
    QTest::addColumn<Source>("source");

    QTest::newRow("COM4 default") << 3 << ""
                                  << ""
                                  << "/dev/ttyS3" << Source::Default;
    QTest::newRow("COM2 chosen") << 1 << "/dev/ttyACM0"
                                 << ""
                                 << "/dev/ttyACM0" << Source::Settings;
    QTest::newRow("COM3, the variable wins") << 2 << "/dev/ttyACM0"
                                             << "/dev/ttyUSB1"
                                             << "/dev/ttyUSB1" << Source::Environment;
    QTest::newRow("no selection") << -1 << ""
                                  << ""
                                  << "" << Source::Default;
    QTest::newRow("beyond COM4") << 4 << ""
                                 << ""
                                 << "" << Source::Default;
}

void TestPortMapping::devicePerPort()
{
    QFETCH(int, comIndex);
    QFETCH(QString, stored);
    QFETCH(QString, variable);
    Settings::PortDevices devices;
    PortMapping::Overrides overrides;
    if (comIndex >= 0 && comIndex < Settings::PortCount) {
        devices[std::size_t(comIndex)] = stored;
        overrides[std::size_t(comIndex)] = variable;
    }
    const PortMapping::Device device = PortMapping::resolve(comIndex, devices, overrides);
    QTEST(device.path, "device");
    QTEST(device.source, "source");
}

// Each port reads its own variable; the environment is left as it was found.
void TestPortMapping::variablesAreReadPerPort()
{
    const QByteArray before = qgetenv("TARVIK_COM3");
    const bool wasSet = qEnvironmentVariableIsSet("TARVIK_COM3");
    qputenv("TARVIK_COM3", "/dev/ttyUSB1");
    const PortMapping::Overrides overrides = PortMapping::overridesFromEnvironment();
    if (wasSet)
        qputenv("TARVIK_COM3", before);
    else
        qunsetenv("TARVIK_COM3");
    QCOMPARE(overrides[2], QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(overrides[3], qEnvironmentVariable("TARVIK_COM4"));
}

QTEST_GUILESS_MAIN(TestPortMapping)
#include "tst_portmapping.moc"
