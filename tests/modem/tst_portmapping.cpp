#include "PortMapping.h"

#include <QTest>

class TestPortMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void devicePerPort_data();
    void devicePerPort();
};

void TestPortMapping::devicePerPort_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::addColumn<QByteArray>("value"); // of the port's own variable; null: not set
    QTest::addColumn<QString>("device");   // empty: no device, no tool tip

    QTest::newRow("COM4 default") << 3 << QByteArray() << "/dev/ttyS3";
    QTest::newRow("COM3 from its variable") << 2 << QByteArray("/dev/ttyUSB1") << "/dev/ttyUSB1";
    QTest::newRow("empty variable") << 0 << QByteArray("") << "/dev/ttyS0";
    QTest::newRow("no selection") << -1 << QByteArray() << QString();
    QTest::newRow("beyond COM4") << 4 << QByteArray("/dev/ttyS9") << QString();
}

void TestPortMapping::devicePerPort()
{
    QFETCH(int, comIndex);
    QFETCH(QByteArray, value);
    QFETCH(QString, device);
    const QString variable = QStringLiteral("TARVIK_COM%1").arg(comIndex + 1);
    if (!value.isNull())
        qputenv(qPrintable(variable), value);

    const QString deviceFound = PortMapping::deviceFor(comIndex);
    // The tool tip names the device and the variable that changes it.
    const QString tip = PortMapping::toolTipFor(comIndex);
    qunsetenv(qPrintable(variable));

    QCOMPARE(deviceFound, device);
    QVERIFY2(device.isEmpty() ? tip.isEmpty() : tip.contains(device) && tip.contains(variable),
             qPrintable(tip));
}

QTEST_GUILESS_MAIN(TestPortMapping)
#include "tst_portmapping.moc"
