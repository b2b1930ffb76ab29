#include "SerialPortOpener.h"

#include <QTest>

// A port held by another program or locked against the user is met by the end-to-end tests.
class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failedOpenNamesTheDeviceAndTheRemedy_data();
    void failedOpenNamesTheDeviceAndTheRemedy();
};

void TestSerialPortOpener::failedOpenNamesTheDeviceAndTheRemedy_data()
{
    QTest::addColumn<int>("comIndex");
    QTest::addColumn<QString>("device"); // behind COM1
    QTest::addColumn<QString>("remedy");
    QTest::newRow("no port chosen") << -1 << QString() << "ポートが選択されていません";
    QTest::newRow("no such device") << 0 << "/nonexistent/ttyTarvik"
                                    << "見つかりません";
}

void TestSerialPortOpener::failedOpenNamesTheDeviceAndTheRemedy()
{
    QFETCH(int, comIndex);
    QFETCH(QString, device);
    QFETCH(QString, remedy);
    qputenv("TARVIK_COM1", device.toLocal8Bit());

    const PortOpener::Result result = SerialPortOpener().open(comIndex, {});
    qunsetenv("TARVIK_COM1");

    QVERIFY(!result.device);
    QCOMPARE(result.deviceName, device);
    QVERIFY2(result.error.contains(remedy) && result.error.contains(device),
             qPrintable(result.error));
}

QTEST_GUILESS_MAIN(TestSerialPortOpener)
#include "tst_serialportopener.moc"
