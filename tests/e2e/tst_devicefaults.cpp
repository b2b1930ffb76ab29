#include "ModemSimulator.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// Modem and port faults met by the real window over the simulator's pseudo-terminal. Whatever
// goes wrong on the line, one clear box is shown, the line ends up idle with the port closed,
// and the settings the user had typed are still there and can be saved.
class TestDeviceFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void faultLeavesNothingLost_data();
    void faultLeavesNothingLost();

private:
    QTemporaryDir m_folder;
};

namespace {

const QString PortFailure = QStringLiteral("ポートを開けません");
const QString DeviceLost = QStringLiteral("モデムとの通信が切れました");
const QString NoReply = QStringLiteral("モデムから応答がありません");
const QString EditedDate = QStringLiteral("24");

void click(ReserveForm& window, const QString& objectName)
{
    auto* button = window.findChild<QPushButton*>(objectName);
    QVERIFY2(button && button->isEnabled(), qPrintable(objectName));
    button->click();
}

} // namespace

void TestDeviceFaults::init()
{
    QVERIFY(m_folder.isValid());
    QFile::remove(m_folder.filePath(QStringLiteral("Tarvik.ini")));
}

void TestDeviceFaults::faultLeavesNothingLost_data()
{
    QTest::addColumn<QStringList>("simulatorFlags");
    QTest::addColumn<bool>("portHeldElsewhere");
    QTest::addColumn<bool>("portLocked");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("boxTitles");
    QTest::addColumn<QString>("lastBoxLine");

    const QStringList call{QStringLiteral("Command1"), QStringLiteral("Command2"),
                           QStringLiteral("Command3")};
    QTest::newRow("vanishing device mid-call")
        << QStringList{QStringLiteral("--hangup-after"), QStringLiteral("3")} << false << false
        << call << QStringList{DeviceLost} << QString();
    QTest::newRow("busy port") << QStringList{} << true << false
                               << QStringList{QStringLiteral("Command1")}
                               << QStringList{PortFailure} << QStringLiteral("使用中");
    QTest::newRow("permission denied")
        << QStringList{} << false << true << QStringList{QStringLiteral("Command1")}
        << QStringList{PortFailure} << QStringLiteral("dialout");
    QTest::newRow("silent modem") << QStringList{QStringLiteral("--silent")} << false << false
                                  << call << QStringList(4, NoReply) << QString();
    QTest::newRow("garbage stream")
        << QStringList{QStringLiteral("--garbage"), QStringLiteral("--silent")} << false << false
        << call << QStringList(4, NoReply) << QString();
    QTest::newRow("modem answers NO DIALTONE")
        << QStringList{QStringLiteral("--answer"), QStringLiteral("NO DIALTONE")} << false << false
        << call << QStringList{NoReply, NoReply} << QStringLiteral("モデムの応答: NO DIALTONE");
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
        portHeldElsewhere ? opener.open(0) : PortOpener::Result{};

    ScriptedMessageBoxes boxes;
    for (int i = 0; i < boxTitles.size(); ++i)
        boxes.answerNext(MessageBoxes::Answer::Ok);
    const QString startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder.path()));
    ReserveForm window(boxes, opener);
    QDir::setCurrent(startDir);
    LineControl::Timing timing;
    timing.replyTimeoutMs = 300;
    timing.dialPauseMs = 100;
    window.lineControl().setTiming(timing);
    window.findChild<QLineEdit*>(QStringLiteral("Text5"))->setText(EditedDate);

    for (const QString& step : clicks)
        click(window, step);
    if (window.lineControl().isPortOpen())
        click(window, QStringLiteral("Command10"));

    QTRY_COMPARE(window.lineControl().state(), LineControl::State::Idle);
    QVERIFY(!window.lineControl().isPortOpen());
    QVERIFY(window.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
    QStringList titles;
    for (const auto& box : boxes.shown())
        titles << box.title;
    QCOMPARE(titles, boxTitles);
    if (!lastBoxLine.isEmpty())
        QVERIFY2(boxes.shown().last().text.contains(lastBoxLine),
                 qPrintable(boxes.shown().last().text));
    if (portHeldElsewhere || portLocked)
        QCOMPARE(simulator.received(), QByteArray());

    QVERIFY(window.changedFlag());
    const QString path = m_folder.filePath(QStringLiteral("Tarvik.ini"));
    QVERIFY(window.saveSettings(path));
    QCOMPARE(SettingsFile::load(path).date, EditedDate);
}

QTEST_MAIN(TestDeviceFaults)
#include "tst_devicefaults.moc"
