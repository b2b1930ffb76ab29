#include "ModemSimulator.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SerialPortOpener.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The typical call of a reservation, clicked through the real window against the modem
// simulator on a pseudo-terminal, as COM1.
class TestReserveFormCall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typicalCall();

private:
    qint64 clickTimed(ReserveForm& window, const QString& objectName);
};

namespace {
constexpr int DialPauseMs = 400;
constexpr int PairPauseMs = 300;
} // namespace

qint64 TestReserveFormCall::clickTimed(ReserveForm& window, const QString& objectName)
{
    auto* button = window.findChild<QPushButton*>(objectName);
    if (!button || !button->isEnabled())
        qFatal("%s cannot be clicked", qPrintable(objectName));
    QElapsedTimer clock;
    clock.start();
    button->click();
    return clock.elapsed();
}

void TestReserveFormCall::typicalCall()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());

    QTemporaryDir folder;
    const QString demo =
        qEnvironmentVariable("TARVIK_SOURCE_DIR") + QStringLiteral("/data/demo/Tarvik.ini");
    QVERIFY(QFile::copy(demo, folder.filePath(QStringLiteral("Tarvik.ini"))));
    const QString startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));

    ScriptedMessageBoxes boxes;
    SerialPortOpener opener;
    ReserveForm window(boxes, opener);
    QDir::setCurrent(startDir);
    LineControl::Timing timing;
    timing.dialPauseMs = DialPauseMs;
    timing.pairPauseMs = PairPauseMs;
    window.lineControl().setTiming(timing);

    clickTimed(window, QStringLiteral("Command1"));
    const qint64 dialMs = clickTimed(window, QStringLiteral("Command2"));
    QVERIFY2(dialMs >= DialPauseMs, qPrintable(QString::number(dialMs)));
    clickTimed(window, QStringLiteral("Command3"));
    clickTimed(window, QStringLiteral("Command4_0"));
    QVERIFY(clickTimed(window, QStringLiteral("Command6")) >= PairPauseMs);
    QVERIFY(clickTimed(window, QStringLiteral("Command7")) >= PairPauseMs);
    for (const char* step : {"Command9_0", "Command4_1", "Command12", "Command13", "Command9_1",
                             "Command4_2", "Command4_3", "Command11_10", "Command5_3", "Command10"})
        clickTimed(window, QLatin1String(step));

    const QByteArray expected = "ATH1\r"
                                "ATDT0451234567;\r"
                                "ATDT002;\r\n"
                                "ATDT1;\r\n"
                                "ATDT12345678;\r\n"
                                "ATDT1234;\r\n"
                                "ATDT0101;\r\n"
                                "ATDT01;\r\n"
                                "ATDT1;\r\n"  // conditions
                                "ATDT1;\r\n"  // Yes
                                "ATDT15;\r\n" // date
                                "ATDT02;\r\n" // time slot
                                "ATDT21;\r\n" // purpose
                                "ATDT1;\r\n"  // Yes
                                "ATDT1;\r\n"  // 次予約
                                "ATDT*;\r\n"
                                "ATDT0;\r\n" // 他ｻｰﾋﾞｽ
                                "ATH0\r";
    QTRY_COMPARE(simulator.received(), expected);
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!window.lineControl().isPortOpen());
    QVERIFY(window.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
}

QTEST_MAIN(TestReserveFormCall)
#include "tst_reserveform_call.moc"
