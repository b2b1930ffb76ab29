#include "PortMapping.h"

#include <QtGlobal>

namespace {

bool isPortIndex(int comIndex)
{
    return comIndex >= 0 && comIndex < Settings::PortCount;
}

} // namespace

namespace PortMapping {

Overrides overridesFromEnvironment()
{
    Overrides overrides;
    for (int port = 0; port < Settings::PortCount; ++port)
        overrides[std::size_t(port)] = qEnvironmentVariable(qPrintable(environmentName(port)));
    return overrides;
}

QString environmentName(int comIndex)
{
    return QStringLiteral("TARVIK_COM%1").arg(comIndex + 1);
}

QStringList captions()
{
    QStringList list;
    for (int index = 0; index < Settings::PortCount; ++index)
        list << caption(index);
    return list;
}

QString caption(int comIndex)
{
    return isPortIndex(comIndex) ? QStringLiteral("COM%1").arg(comIndex + 1) : QString();
}

QString defaultDevice(int comIndex)
{
    return QStringLiteral("/dev/ttyS%1").arg(comIndex);
}

Device resolve(int comIndex, const Settings::PortDevices& stored, const Overrides& overrides)
{
    if (!isPortIndex(comIndex))
        return {};
    const auto port = std::size_t(comIndex);
    if (!overrides[port].isEmpty())
        return {overrides[port], Source::Environment};
    if (!stored[port].isEmpty())
        return {stored[port], Source::Settings};
    return {defaultDevice(comIndex), Source::Default};
}

QString storedChoice(int comIndex, const QString& device)
{
    return device == defaultDevice(comIndex) ? QString() : device;
}

} // namespace PortMapping
