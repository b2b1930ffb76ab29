#include "PortMapping.h"

#include <QTest>

class TestPortMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void devicePerPort_data();
    void devicePerPort();
};

void TestPortMapping::cleanup()
{
    for (int n = 1; n <= PortMapping::portCount + 1; ++n) // one beyond the list as well
        qunsetenv(QByteArray("TARVIK_COM" + QByteArray::number(n)).constData());
}

void TestPortMapping::devicePerPort_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("device"); // empty: no device, no tool tip

    QTest::newRow("COM4 default") << 3 << QByteArray() << QByteArray()
                                  << QStringLiteral("/dev/ttyS3");
    QTest::newRow("COM3 from its variable")
        << 2 << QByteArray("TARVIK_COM3") << QByteArray("/dev/ttyUSB1")
        << QStringLiteral("/dev/ttyUSB1");
    QTest::newRow("empty variable")
        << 0 << QByteArray("TARVIK_COM1") << QByteArray() << QStringLiteral("/dev/ttyS0");
    QTest::newRow("no selection") << -1 << QByteArray() << QByteArray() << QString();
    QTest::newRow("beyond COM4") << 4 << QByteArray("TARVIK_COM5") << QByteArray("/dev/ttyS9")
                                 << QString();
}

void TestPortMapping::devicePerPort()
{
    QFETCH(int, comIndex);
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, device);
    if (!variable.isEmpty())
        qputenv(variable.constData(), value);

    QCOMPARE(PortMapping::deviceFor(comIndex), device);
    // The tool tip names the device and the variable that changes it.
    const QString tip = PortMapping::toolTipFor(comIndex);
    const QString ownVariable = QStringLiteral("TARVIK_COM%1").arg(comIndex + 1);
    QVERIFY2(device.isEmpty() ? tip.isEmpty() : tip.contains(device) && tip.contains(ownVariable),
             qPrintable(tip));
}

QTEST_GUILESS_MAIN(TestPortMapping)
#include "tst_portmapping.moc"
