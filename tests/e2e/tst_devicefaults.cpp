#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

// Modem and port faults met by the real window over the simulator's pseudo-terminal. Whatever
// goes wrong on the line, one clear box is shown, the line ends up idle with the port closed,
// and the settings the user had typed are still there and can be saved.
class TestDeviceFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void faultLeavesNothingLost_data();
    void faultLeavesNothingLost();
};

namespace {

const QString PortFailure = QStringLiteral("ポートを開けません");
const QString DeviceLost = QStringLiteral("モデムとの通信が切れました");
const QString NoReply = QStringLiteral("モデムから応答がありません");
const QString EditedDate = QStringLiteral("24");

} // namespace

void TestDeviceFaults::faultLeavesNothingLost_data()
{
    QTest::addColumn<QStringList>("simulatorFlags");
    QTest::addColumn<bool>("portHeldElsewhere");
    QTest::addColumn<bool>("portLocked");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("boxTitles");
    QTest::addColumn<QString>("lastBoxLine");

    const auto row = [](const char* name, const QString& flags, bool held, bool locked,
                        const QStringList& titles, const QString& lastBoxLine = {}) {
        const QStringList hookOnly{"Command1"}, call{"Command1", "Command2", "Command3"};
        QTest::newRow(name) << flags.split(QLatin1Char('|'), Qt::SkipEmptyParts) << held << locked
                            << (held || locked ? hookOnly : call) << titles << lastBoxLine;
    };
    row("vanishing device mid-call", "--hangup-after|3", false, false, {DeviceLost});
    row("busy port", "", true, false, {PortFailure}, "使用中");
    row("permission denied", "", false, true, {PortFailure}, "dialout");
    row("silent modem", "--silent", false, false, QStringList(4, NoReply));
    row("garbage stream", "--garbage|--silent", false, false, QStringList(4, NoReply));
    row("modem answers NO DIALTONE", "--answer|NO DIALTONE", false, false, {NoReply, NoReply},
        "モデムの応答: NO DIALTONE");
}

void TestDeviceFaults::faultLeavesNothingLost()
{
    QFETCH(QStringList, simulatorFlags);
    QFETCH(bool, portHeldElsewhere);
    QFETCH(bool, portLocked);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, boxTitles);
    QFETCH(QString, lastBoxLine);
    if (portLocked && geteuid() == 0)
        QSKIP("root opens any device; permission denied can only be met as another user");

    ModemSimulator simulator;
    QVERIFY(simulator.start(simulatorFlags));
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    if (portLocked)
        QVERIFY(QFile::setPermissions(simulator.devicePath(), QFileDevice::Permissions()));
    SerialPortOpener opener;
    const PortOpener::Result otherProgram =
        portHeldElsewhere ? opener.open(0, {}) : PortOpener::Result{};

    WindowFixture f(opener);
    f.boxes().answerNext(MessageBoxes::Answer::Ok, int(boxTitles.size()));
    ReserveForm& window = f.window();
    f.control<QLineEdit>(QStringLiteral("Text5"))->setText(EditedDate);
    for (const QString& step : clicks)
        f.click(step);
    if (f.line().isPortOpen())
        f.click(QStringLiteral("Command10"));

    QTRY_COMPARE(f.line().state(), LineControl::State::Idle);
    QVERIFY(!f.line().isPortOpen());
    QVERIFY(f.control<QPushButton>(QStringLiteral("Command1"))->isEnabled());
    QCOMPARE(f.boxes().titles(), boxTitles);
    if (!lastBoxLine.isEmpty())
        QVERIFY2(f.boxes().texts().last().contains(lastBoxLine),
                 qPrintable(f.boxes().texts().last()));
    if (portHeldElsewhere || portLocked)
        QCOMPARE(simulator.received(), QByteArray());

    QVERIFY(window.changedFlag());
    QVERIFY(window.saveSettings());
    QCOMPARE(SettingsFile::load(f.settingsPath()).date, EditedDate);
}

QTEST_MAIN(TestDeviceFaults)
#include "tst_devicefaults.moc"
