#include "SerialPortOpener.h"

#include <QTest>

using Kind = PortOpener::Failure::Kind;
Q_DECLARE_METATYPE(Kind)

// A port held by another program and one locked against the user are met through this opener
// by the end-to-end tests and the modem check's tests.
class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failureSaysWhy_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("no port chosen") << QString() << Kind::NoPortChosen;
        QTest::newRow("no such device") << "/nonexistent/ttyTarvik" << Kind::NotFound;
    }

    void failureSaysWhy()
    {
        QFETCH(QString, device);
        const PortOpener::Result result =
            SerialPortOpener().open(device, PortOpener::Speed::Commands);
        QVERIFY(!result.device);
        QTEST(result.failure.kind, "kind");
        QCOMPARE(result.failure.device, device);
    }
};

QTEST_GUILESS_MAIN(TestSerialPortOpener)
#include "tst_serialportopener.moc"
