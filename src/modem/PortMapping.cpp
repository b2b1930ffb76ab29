#include "PortMapping.h"

#include "Settings.h"

#include <QtGlobal>

namespace {

bool isPortIndex(int comIndex)
{
    return comIndex >= 0 && comIndex < Settings::PortCount;
}

QString caption(int comIndex)
{
    return QStringLiteral("COM%1").arg(comIndex + 1);
}

QByteArray environmentName(int comIndex)
{
    return "TARVIK_COM" + QByteArray::number(comIndex + 1);
}

QString sourceText(PortMapping::Source source, const QString& variable)
{
    switch (source) {
    case PortMapping::Source::Environment:
        return QStringLiteral("環境変数 %1 の指定。「ポート設定」の選択より優先します")
            .arg(variable);
    case PortMapping::Source::Settings:
        return QStringLiteral("「ポート設定」で選択。環境変数 %1 があればそちらが優先します")
            .arg(variable);
    case PortMapping::Source::Default:
        break;
    }
    return QStringLiteral("既定。「ポート設定」か環境変数 %1 で変更できます").arg(variable);
}

} // namespace

namespace PortMapping {

QStringList captions()
{
    QStringList list;
    for (int index = 0; index < Settings::PortCount; ++index)
        list << caption(index);
    return list;
}

QString defaultDevice(int comIndex)
{
    return QStringLiteral("/dev/ttyS%1").arg(comIndex);
}

Device resolve(int comIndex, const QString& storedDevice)
{
    if (!isPortIndex(comIndex))
        return {};
    const QString configured = qEnvironmentVariable(environmentName(comIndex).constData());
    if (!configured.isEmpty())
        return {configured, Source::Environment};
    if (!storedDevice.isEmpty())
        return {storedDevice, Source::Settings};
    return {defaultDevice(comIndex), Source::Default};
}

QString deviceFor(int comIndex, const QString& storedDevice)
{
    return resolve(comIndex, storedDevice).path;
}

QString toolTipFor(int comIndex, const QString& storedDevice)
{
    if (!isPortIndex(comIndex))
        return {};
    const Device device = resolve(comIndex, storedDevice);
    return QStringLiteral("%1 は %2 につながります（%3）")
        .arg(caption(comIndex), device.path,
             sourceText(device.source, QString::fromLatin1(environmentName(comIndex))));
}

QString storedChoice(int comIndex, const QString& device)
{
    return device == defaultDevice(comIndex) ? QString() : device;
}

} // namespace PortMapping
