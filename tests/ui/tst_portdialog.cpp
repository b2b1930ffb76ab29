#include "PortDialog.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Opens the dialog from the menu; act works in it while it runs modally. Left open, it is
// cancelled, so that a failed check ends the test instead of hanging it.
void inDialog(WindowFixture& f, const std::function<void(PortDialog&)>& act)
{
    bool ran = false;
    QTimer::singleShot(0, &f.window(), [&] {
        if (auto* dialog = qobject_cast<PortDialog*>(QApplication::activeModalWidget())) {
            ran = true;
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    f.window().findChild<QAction*>(QStringLiteral("MenuPortSettings"))->trigger();
    QVERIFY2(ran, "the dialog did not open modally");
}

} // namespace

// The port dialog as the user meets it from the menu: what it lists, what each way of leaving
// it keeps in the settings file, and which device COM1 then opens.
class TestPortDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leavingKeepsOrDropsTheChoices_data()
    {
        QTest::addColumn<QDialogButtonBox::StandardButton>("button"); // NoButton: Escape
        QTest::addColumn<QString>("variable");                        // TARVIK_COM1; empty: not set
        QTest::addColumn<QByteArray>("deviceKeys");                   // expected after "CH=0" CR LF

        const QByteArray chosen = "Device1=/dev/null\r\nDevice3=/dev/ttyACM0\r\n"; // COM2: default
        const QString variable = QStringLiteral("/nonexistent/ttyVariable");
        QTest::newRow("OK: a device that is no terminal")
            << QDialogButtonBox::Ok << QString() << chosen;
        QTest::newRow("OK, the variable wins") << QDialogButtonBox::Ok << variable << chosen;
        QTest::newRow("キャンセル") << QDialogButtonBox::Cancel << variable << QByteArray();
        QTest::newRow("Escape") << QDialogButtonBox::NoButton << variable << QByteArray();
    }

    // From a file without device keys; unless OK, it is written back byte for byte. Started again
    // with the devices unplugged, OK in the dialog keeps what is stored; Hook meets the device the
    // port stands for and names it in the usual box, never crashing.
    void leavingKeepsOrDropsTheChoices()
    {
        QFETCH(QDialogButtonBox::StandardButton, button);
        QFETCH(QString, variable);
        QFETCH(QByteArray, deviceKeys);
        PortMapping::Overrides environment;
        environment[0] = variable;
        const QString demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";
        SerialPortOpener opener;
        WindowFixture f(opener, demo, WindowFixture::shortTiming(), environment);

        inDialog(f, [&](PortDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("DeviceTable"));
            // Plugged in while the dialog is open.
            f.serialDevices().setDevices(
                {{"/dev/ttyACM0", "USB Modem", "U.S. Robotics", "0572:1329"},
                 {"/dev/ttyS1", "ttyS1", {}, {}},
                 {"/dev/null", {}, {}, {}}});
            dialog.findChild<QPushButton*>(QStringLiteral("RefreshButton"))->click();
            QCOMPARE(table->rowCount(), 3);
            QCOMPARE(table->item(0, 2)->text() + ' ' + table->item(0, 3)->text(),
                     "U.S. Robotics 0572:1329");
            for (const auto& [port, device] :
                 {std::pair(1, "/dev/null"), std::pair(2, "/dev/ttyS1"),
                  std::pair(3, "/dev/ttyACM0")}) {
                auto* choice =
                    dialog.findChild<QComboBox*>(QStringLiteral("PortChoice%1").arg(port));
                choice->setCurrentIndex(choice->findData(device));
            }
            if (button == QDialogButtonBox::NoButton)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.findChild<QDialogButtonBox*>()->button(button)->click();
        });
        QCOMPARE(f.window().changedFlag(), !deviceKeys.isEmpty());
        QVERIFY(f.window().saveSettings());
        QCOMPARE(contents(f.settingsPath()),
                 contents(demo).replace("CH=0\r\n", "CH=0\r\n" + deviceKeys));

        f.serialDevices().setDevices({});
        f.restart();
        inDialog(f, [](PortDialog& dialog) { dialog.accept(); });
        QVERIFY(!f.window().changedFlag());
        const QString opened = variable.isEmpty() ? QStringLiteral("/dev/null") : variable;
        const QString tip = f.ui().portList->toolTip();
        QVERIFY2(
            tip.contains(opened + " につながります（" +
                         (variable.isEmpty() ? "「ポート設定」で選択" : "環境変数 TARVIK_COM1")),
            qPrintable(tip));
        f.boxes().answerNext(MessageBoxes::Answer::Ok);
        f.click(CallProcedure::Step::Hook);
        QCOMPARE(f.boxes().titles(), QStringList{"ポートを開けません"});
        QVERIFY2(f.boxes().texts().first().contains(opened), qPrintable(f.boxes().texts().first()));
    }
};

QTEST_MAIN(TestPortDialog)
#include "tst_portdialog.moc"
