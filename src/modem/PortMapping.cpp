#include "PortMapping.h"

#include <QtGlobal>

namespace {

bool isPortIndex(int comIndex)
{
    return comIndex >= 0 && comIndex < PortMapping::PortCount;
}

QString caption(int comIndex)
{
    return QStringLiteral("COM%1").arg(comIndex + 1);
}

QByteArray environmentName(int comIndex)
{
    return "TARVIK_COM" + QByteArray::number(comIndex + 1);
}

QString systemDevice(int comIndex)
{
    return QStringLiteral("/dev/ttyS%1").arg(comIndex);
}

} // namespace

namespace PortMapping {

QStringList captions()
{
    QStringList list;
    for (int index = 0; index < PortCount; ++index)
        list << caption(index);
    return list;
}

QString deviceFor(int comIndex)
{
    if (!isPortIndex(comIndex))
        return {};
    const QString configured = qEnvironmentVariable(environmentName(comIndex).constData());
    return configured.isEmpty() ? systemDevice(comIndex) : configured;
}

QString toolTipFor(int comIndex)
{
    if (!isPortIndex(comIndex))
        return {};
    return QStringLiteral("%1 は %2 につながります（環境変数 %3 で変更できます）")
        .arg(caption(comIndex), deviceFor(comIndex),
             QString::fromLatin1(environmentName(comIndex)));
}

} // namespace PortMapping
