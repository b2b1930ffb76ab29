#include "SystemSerialDevices.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

QString usbId(const QSerialPortInfo& port)
{
    if (!port.hasVendorIdentifier() || !port.hasProductIdentifier())
        return {};
    return hex4(port.vendorIdentifier()) + QLatin1Char(':') + hex4(port.productIdentifier());
}

} // namespace

QList<SerialDevices::Device> SystemSerialDevices::list() const
{
    QList<Device> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        devices.append(
            {port.systemLocation(), port.description(), port.manufacturer(), usbId(port)});
    std::sort(devices.begin(), devices.end(),
              [](const Device& a, const Device& b) { return a.path < b.path; });
    return devices;
}
