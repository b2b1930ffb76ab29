#include "SerialPortOpener.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {

using Kind = PortOpener::Failure::Kind;

bool meansDeviceLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
}

Kind classify(const QSerialPort& port, const QString& devicePath)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return Kind::NotFound;
    case QSerialPort::PermissionError: {
        // The same error stands for "not allowed" and for "locked by another program".
        const QFileInfo device(devicePath);
        return device.isReadable() && device.isWritable() ? Kind::Busy : Kind::NoPermission;
    }
    case QSerialPort::OpenError:
        return Kind::Busy;
    default:
        return Kind::Other;
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

} // namespace

PortOpener::Result SerialPortOpener::open(const QString& devicePath, Speed speed)
{
    if (devicePath.isEmpty())
        return {nullptr, {Kind::NoPortChosen, {}, {}}};
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(devicePath);
    port->setBaudRate(speed == Speed::VoiceStream ? QSerialPort::Baud115200
                                                  : QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite))
        return {nullptr, {classify(*port, devicePath), devicePath, port->errorString()}};
    closeWhenDeviceLost(port.get());
    return {std::move(port), {}};
}
