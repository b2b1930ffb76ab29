#include "SerialPortOpener.h"

#include <QTest>

// A missing device, a port held by another program and one locked against the user are met
// through this opener by the end-to-end tests and the modem check's tests.
class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noPortChosenNamesTheRemedy();
};

void TestSerialPortOpener::noPortChosenNamesTheRemedy()
{
    const PortOpener::Result result = SerialPortOpener().open(-1, {});

    QVERIFY(!result.device);
    QCOMPARE(result.deviceName, QString());
    QCOMPARE(result.error, "ポートが選択されていません。COM1〜COM4 のどれかを選んでください。");
}

QTEST_GUILESS_MAIN(TestSerialPortOpener)
#include "tst_serialportopener.moc"
