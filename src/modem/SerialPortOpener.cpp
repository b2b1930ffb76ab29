#include "SerialPortOpener.h"

#include "PortMapping.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {

enum class Failure { NoSelection, NotFound, NoPermission, Busy, Other };

bool meansDeviceLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
}

Failure classify(const QSerialPort& port, const QString& deviceName)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return Failure::NotFound;
    case QSerialPort::PermissionError: {
        // The same error stands for "not allowed" and for "locked by another program".
        const QFileInfo device(deviceName);
        return device.isReadable() && device.isWritable() ? Failure::Busy : Failure::NoPermission;
    }
    case QSerialPort::OpenError:
        return Failure::Busy;
    default:
        return Failure::Other;
    }
}

// An unplugged modem shows up as a serial error; closing the port lets the channel see
// aboutToClose. Closing a vanished device may raise one more error: close only once.
void closeWhenDeviceLost(QSerialPort* port)
{
    QObject::connect(port, &QSerialPort::errorOccurred, port,
                     [port, closing = false](QSerialPort::SerialPortError error) mutable {
                         if (closing || !meansDeviceLost(error) || !port->isOpen())
                             return;
                         closing = true;
                         port->close();
                     });
}

// The Japanese reason shown to the user; detail is the system's own wording.
QString reason(Failure failure, const QString& deviceName, const QString& detail)
{
    switch (failure) {
    case Failure::NoSelection:
        return QStringLiteral("ポートが選択されていません。COM1〜COM4 のどれかを選んでください。");
    case Failure::NotFound:
        return QStringLiteral("%1 が見つかりません。モデムがつながっているか、"
                              "ポートの選択が正しいかを確かめてください。")
            .arg(deviceName);
    case Failure::NoPermission:
        return QStringLiteral("%1 を開く権限がありません。ユーザーを dialout グループに加え"
                              "（sudo adduser $USER dialout）、ログインし直してください。")
            .arg(deviceName);
    case Failure::Busy:
        return QStringLiteral("%1 はほかのプログラムが使用中です。"
                              "そのプログラムを終了してからやり直してください。")
            .arg(deviceName);
    case Failure::Other:
        break;
    }
    return QStringLiteral("%1 を開けませんでした（%2）。").arg(deviceName, detail);
}

} // namespace

PortOpener::Result SerialPortOpener::open(int comIndex, const QString& storedDevice)
{
    const QString deviceName = PortMapping::deviceFor(comIndex, storedDevice);
    if (deviceName.isEmpty())
        return {nullptr, {}, reason(Failure::NoSelection, {}, {})};

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(deviceName);
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite))
        return {nullptr, deviceName,
                reason(classify(*port, deviceName), deviceName, port->errorString())};
    closeWhenDeviceLost(port.get());
    return {std::move(port), deviceName, {}};
}
