#include "PortDialog.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

// The port dialog as the user meets it from the menu: what it lists, what each way of leaving
// it keeps in the settings file, and which device each COM port then opens.
class TestPortDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("TARVIK_COM1"); }
    void leavingKeepsOrDropsTheChoices_data();
    void leavingKeepsOrDropsTheChoices();
    void portOpensTheDeviceItStandsFor_data();
    void portOpensTheDeviceItStandsFor();
};

namespace {

const SerialDevices::Device UsbModem{"/dev/ttyACM0", "USB Modem", "U.S. Robotics", "0572:1329"};
const SerialDevices::Device Onboard{"/dev/ttyS0", "ttyS0", {}, {}};
const QString ChosenInDialog = QStringLiteral("「ポート設定」で選択");

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QComboBox* chooser(PortDialog& dialog, int port)
{
    return dialog.findChild<QComboBox*>(QStringLiteral("PortChoice%1").arg(port));
}

// NoButton: Escape.
void leave(PortDialog& dialog, QDialogButtonBox::StandardButton button)
{
    if (button == QDialogButtonBox::NoButton)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.findChild<QDialogButtonBox*>()->button(button)->click();
}

// Opens the dialog from the menu; act works in it while it runs modally and closes it. A failed
// check in act leaves it open: it is cancelled then, so the test ends instead of hanging.
void inDialog(WindowFixture& f, const std::function<void(PortDialog&)>& act)
{
    bool ran = false;
    QTimer::singleShot(0, &f.window(), [&] {
        const QPointer<PortDialog> dialog =
            qobject_cast<PortDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        act(*dialog);
        ran = true;
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
    f.window().findChild<QAction*>(QStringLiteral("MenuPortSettings"))->trigger();
    QVERIFY2(ran, "the dialog did not open modally");
}

} // namespace

void TestPortDialog::leavingKeepsOrDropsTheChoices_data()
{
    QTest::addColumn<QDialogButtonBox::StandardButton>("button");
    QTest::addColumn<QByteArray>("deviceKeys"); // expected after "CH=0" CR LF

    QTest::newRow("OK, defaults not written")
        << QDialogButtonBox::Ok << QByteArray("Device2=/dev/ttyS0\r\nDevice3=/dev/ttyACM0\r\n");
    QTest::newRow("キャンセル") << QDialogButtonBox::Cancel << QByteArray();
    QTest::newRow("Escape") << QDialogButtonBox::NoButton << QByteArray();
}

// From a file without device keys; unless OK, it is written back byte for byte.
void TestPortDialog::leavingKeepsOrDropsTheChoices()
{
    QFETCH(QDialogButtonBox::StandardButton, button);
    QFETCH(QByteArray, deviceKeys);
    const QString demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";
    SerialPortOpener opener;
    WindowFixture f(opener, demo);

    inDialog(f, [&](PortDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("DeviceTable"));
        QCOMPARE(table->rowCount(), 0);
        f.serialDevices().setDevices({UsbModem, Onboard}); // plugged in while the dialog is open
        dialog.findChild<QPushButton*>(QStringLiteral("RefreshButton"))->click();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 2)->text() + ' ' + table->item(0, 3)->text(),
                 UsbModem.manufacturer + ' ' + UsbModem.usbId);
        for (const auto& [port, device] :
             {std::pair(1, "/dev/ttyS0"), std::pair(2, "/dev/ttyS0"), std::pair(3, "/dev/ttyACM0")})
            chooser(dialog, port)->setCurrentIndex(chooser(dialog, port)->findData(device));
        leave(dialog, button);
    });
    QCOMPARE(f.window().changedFlag(), !deviceKeys.isEmpty());
    QVERIFY(f.window().saveSettings());
    QCOMPARE(contents(f.settingsPath()),
             contents(demo).replace("CH=0\r\n", "CH=0\r\n" + deviceKeys));

    // Read back with the modem unplugged: the choice is kept and still offered.
    f.serialDevices().setDevices({});
    f.restart();
    inDialog(f, [&](PortDialog& dialog) {
        QCOMPARE(chooser(dialog, 3)->currentData().toString(),
                 deviceKeys.isEmpty() ? QString() : UsbModem.path);
        leave(dialog, QDialogButtonBox::Cancel);
    });
}

void TestPortDialog::portOpensTheDeviceItStandsFor_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("variable"); // TARVIK_COM1; null: not set
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("source"); // as the tool tip says it

    const QString stored = QStringLiteral("/nonexistent/ttyStored");
    QTest::newRow("stored device missing") << stored << QByteArray() << stored << ChosenInDialog;
    QTest::newRow("the variable wins")
        << stored << QByteArray("/nonexistent/ttyVariable") << "/nonexistent/ttyVariable"
        << "環境変数 TARVIK_COM1 の指定";
    QTest::newRow("no terminal") << "/dev/null" << QByteArray() << "/dev/null" << ChosenInDialog;
}

// A device is taken as text and met only when Hook opens it: the usual box, never a crash.
void TestPortDialog::portOpensTheDeviceItStandsFor()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, variable);
    QFETCH(QString, opened);
    QFETCH(QString, source);
    if (!variable.isNull())
        qputenv("TARVIK_COM1", variable);
    SerialPortOpener opener;
    WindowFixture f(opener);
    QFile settings(f.settingsPath());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[COM]\r\nCH=0\r\nDevice1=" + stored.toLatin1() + "\r\n");
    settings.close();
    f.restart();
    f.boxes().answerNext(MessageBoxes::Answer::Ok);

    const QString tip = f.control<QComboBox>("Combo1")->toolTip();
    QVERIFY2(tip.contains(opened) && tip.contains(source), qPrintable(tip));
    f.click("Command1");
    QCOMPARE(f.boxes().titles(), QStringList{"ポートを開けません"});
    QVERIFY2(f.boxes().texts().first().contains(opened), qPrintable(f.boxes().texts().first()));
}

QTEST_MAIN(TestPortDialog)
#include "tst_portdialog.moc"
