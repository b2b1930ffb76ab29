#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QTest>

namespace {

void verifyMentions(const QString& reason, const QStringList& mentions)
{
    for (const QString& mention : mentions)
        QVERIFY2(reason.contains(mention), qPrintable(reason));
}

void verifyFailure(const PortOpener::Result& result, const QString& device,
                   const QStringList& mentions)
{
    QVERIFY(!result.device);
    QCOMPARE(result.deviceName, device);
    verifyMentions(result.error, mentions + QStringList{device});
}

} // namespace

class TestSerialPortOpener : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void failedOpensNameTheDeviceAndTheRemedy();

private:
    SerialPortOpener m_opener;
};

void TestSerialPortOpener::cleanup()
{
    qunsetenv("TARVIK_COM1");
}

void TestSerialPortOpener::failedOpensNameTheDeviceAndTheRemedy()
{
    verifyFailure(m_opener.open(-1, {}), {}, {QStringLiteral("ポートが選択されていません")});

    const QString missing = QStringLiteral("/nonexistent/ttyTarvik");
    qputenv("TARVIK_COM1", missing.toLocal8Bit());
    verifyFailure(m_opener.open(0, {}), missing, {QStringLiteral("見つかりません")});

    ModemSimulator simulator;
    QVERIFY(simulator.start());
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    // A pseudo-terminal has no modem-control lines; that must not fail the open.
    const PortOpener::Result first = m_opener.open(0, {});
    QVERIFY2(first.device, qPrintable(first.error));
    verifyFailure(m_opener.open(0, {}), simulator.devicePath(), {QStringLiteral("使用中")});
}

QTEST_GUILESS_MAIN(TestSerialPortOpener)
#include "tst_serialportopener.moc"
