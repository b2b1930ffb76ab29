#include "PortMapping.h"

#include <QTest>

class TestPortMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void captionsAreTheFourPorts();
    void devicePerPort_data();
    void devicePerPort();
    void toolTipNamesDeviceAndVariable();
};

void TestPortMapping::cleanup()
{
    for (int n = 1; n <= PortMapping::portCount; ++n)
        qunsetenv(QByteArray("TARVIK_COM" + QByteArray::number(n)).constData());
}

void TestPortMapping::captionsAreTheFourPorts()
{
    QCOMPARE(PortMapping::captions(),
             (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                          QStringLiteral("COM4")}));
}

void TestPortMapping::devicePerPort_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("device");

    QTest::newRow("COM1 default") << 0 << QByteArray() << QByteArray()
                                  << QStringLiteral("/dev/ttyS0");
    QTest::newRow("COM4 default") << 3 << QByteArray() << QByteArray()
                                  << QStringLiteral("/dev/ttyS3");
    QTest::newRow("COM1 from its variable")
        << 0 << QByteArray("TARVIK_COM1") << QByteArray("/dev/ttyACM0")
        << QStringLiteral("/dev/ttyACM0");
    QTest::newRow("COM3 from its variable")
        << 2 << QByteArray("TARVIK_COM3") << QByteArray("/dev/ttyUSB1")
        << QStringLiteral("/dev/ttyUSB1");
    QTest::newRow("another port's variable")
        << 1 << QByteArray("TARVIK_COM1") << QByteArray("/dev/ttyACM0")
        << QStringLiteral("/dev/ttyS1");
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

    if (!variable.isEmpty())
        qunsetenv(variable.constData());
}

void TestPortMapping::toolTipNamesDeviceAndVariable()
{
    qputenv("TARVIK_COM2", "/dev/ttyACM0");

    const QString tip = PortMapping::toolTipFor(1);

    QVERIFY2(tip.contains(QStringLiteral("COM2")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("/dev/ttyACM0")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("TARVIK_COM2")), qPrintable(tip));
    QVERIFY(PortMapping::toolTipFor(-1).isEmpty());
}

QTEST_GUILESS_MAIN(TestPortMapping)
#include "tst_portmapping.moc"
