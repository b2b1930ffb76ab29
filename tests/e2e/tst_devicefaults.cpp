#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <unistd.h>

namespace {

using Step = CallProcedure::Step;

const QString PortFailure = QStringLiteral("ポートを開けません");
const QString DeviceLost = QStringLiteral("モデムとの通信が切れました");
const QString NoReply = QStringLiteral("モデムから応答がありません");
const QString EditedDate = QStringLiteral("24");

} // namespace

// Modem and port faults met by the real window over the simulator's pseudo-terminal. Whatever
// goes wrong on the line, one clear box is shown, the line ends up idle with the port closed,
// and the settings the user had typed are still there and can be saved.
class TestDeviceFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void faultLeavesNothingLost_data()
    {
        QTest::addColumn<QStringList>("simulatorFlags");
        QTest::addColumn<QString>("port"); // "held" by another program, "locked" for this user
        QTest::addColumn<QStringList>("boxTitles");
        QTest::addColumn<QString>("lastBoxLine");

        const auto row = [](const char* name, const QString& flags, const char* port,
                            const QStringList& titles, const QString& lastBoxLine = {}) {
            QTest::newRow(name) << flags.split(QLatin1Char('|'), Qt::SkipEmptyParts) << port
                                << titles << lastBoxLine;
        };
        row("vanishing device mid-call", "--hangup-after|3", "", {DeviceLost});
        row("busy port", "", "held", {PortFailure}, "使用中");
        row("permission denied", "", "locked", {PortFailure}, "dialout");
        row("silent modem", "--silent", "", QStringList(4, NoReply));
        row("garbage stream", "--garbage|--silent", "", QStringList(4, NoReply));
        // What the modem answered instead of OK is named on the box's third line, in words
        // also where it answers in numbers (ATV0).
        for (const auto& [answer, named] :
             {std::pair("NO DIALTONE", "NO DIALTONE"), std::pair("BUSY", "BUSY"),
              std::pair("NO CARRIER", "NO CARRIER"), std::pair("NO ANSWER", "NO ANSWER"),
              std::pair("ERROR", "ERROR"), std::pair("6", "NO DIALTONE"), std::pair("7", "BUSY"),
              std::pair("3", "NO CARRIER"), std::pair("8", "NO ANSWER"), std::pair("4", "ERROR")})
            QTest::addRow("modem answers %s", answer)
                << QStringList{"--answer", answer} << QString() << QStringList{NoReply, NoReply}
                << QStringLiteral("モデムの応答: %1").arg(named);
    }

    // Hook, Dial and the service on a port that opens; Hook alone on one that does not.
    void faultLeavesNothingLost()
    {
        QFETCH(QStringList, simulatorFlags);
        QFETCH(QString, port);
        QFETCH(QStringList, boxTitles);
        QFETCH(QString, lastBoxLine);
        if (port == "locked" && geteuid() == 0)
            QSKIP("root opens any device; permission denied can only be met as another user");

        ModemSimulator simulator;
        QVERIFY(simulator.start(simulatorFlags));
        if (port == "locked")
            QVERIFY(QFile::setPermissions(simulator.devicePath(), QFileDevice::Permissions()));
        SerialPortOpener opener;
        const PortOpener::Result otherProgram =
            port == "held" ? opener.open(simulator.devicePath(), PortOpener::Speed::Commands)
                           : PortOpener::Result{};

        WindowFixture f(opener, {}, WindowFixture::shortTiming(), simulator.asCom1());
        f.boxes().answerNext(MessageBoxes::Answer::Ok, int(boxTitles.size()));
        f.ui().dateField->setText(EditedDate);
        f.click(Step::Hook);
        if (port.isEmpty()) {
            f.click(Step::Dial);
            f.click(Step::Service);
        }
        if (f.line().isPortOpen())
            f.click(Step::HookOff);

        QTRY_COMPARE(f.line().state(), LineControl::State::Idle);
        QVERIFY(!f.line().isPortOpen());
        QCOMPARE(f.boxes().titles(), boxTitles);
        const QString lastBox = f.boxes().shown().last().text;
        if (lastBoxLine.startsWith(QStringLiteral("モデムの応答")))
            QCOMPARE(lastBox.split(QStringLiteral("\r\n")).value(2), lastBoxLine);
        else
            QVERIFY2(lastBox.contains(lastBoxLine), qPrintable(lastBox));
        if (!port.isEmpty())
            QCOMPARE(simulator.received(), QByteArray());

        QVERIFY(f.window().changedFlag());
        QVERIFY(f.window().saveSettings());
        QCOMPARE(SettingsFile::load(f.settingsPath()).date, EditedDate);
    }
};

QTEST_MAIN(TestDeviceFaults)
#include "tst_devicefaults.moc"
