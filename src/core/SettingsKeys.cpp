#include "SettingsKeys.h"

namespace {

using Kind = SettingsKeys::Kind;
using Scalar = SettingsKeys::Scalar;

const QString Com = QStringLiteral("COM");
const QString Phone = QStringLiteral("PHONE");
const QString Code = QStringLiteral("CODE");

// "Device1".."Device4"; older readers of the file pass over these keys.
Scalar portDevice(int port)
{
    return {Com, QStringLiteral("Device%1").arg(port + 1), Kind::TextIfSet,
            SettingsKeys::PortDevice{port}, QStringLiteral("COM%1 の接続先").arg(port + 1)};
}

QList<Scalar> allScalars()
{
    QList<Scalar> scalars{{Com, QStringLiteral("CH"), Kind::Index, &Settings::portIndex,
                           QStringLiteral("CH"), Settings::PortCount - 1}};
    for (int port = 0; port < Settings::PortCount; ++port)
        scalars << portDevice(port);
    // Older readers of the file pass over this key.
    scalars << Scalar{Com, QStringLiteral("Voice"), Kind::FlagIfSet, &Settings::voice,
                      QStringLiteral("音声モード")};
    scalars << Scalar{Phone,
                      QStringLiteral("DIAL"),
                      Kind::Index,
                      &Settings::dialModeIndex,
                      QStringLiteral("DIAL"),
                      1}
            << Scalar{Phone, QStringLiteral("Number"), Kind::Text, &Settings::number,
                      QStringLiteral("電話番号")};
    for (const auto& [key, member] :
         {std::pair(QStringLiteral("利用条件"), &Settings::conditionsCode),
          std::pair(QStringLiteral("利用目的"), &Settings::purposeCode),
          std::pair(QStringLiteral("日付"), &Settings::date),
          std::pair(QStringLiteral("時間帯"), &Settings::timeSlot)})
        scalars << Scalar{Code, key, Kind::Text, member, key};
    return scalars;
}

// The member of a text value (every scalar that is no index is one), const as settings is.
template <typename AnySettings> auto& textMember(AnySettings& settings, const Scalar& scalar)
{
    if (const auto* device = std::get_if<SettingsKeys::PortDevice>(&scalar.member))
        return settings.portDevices[std::size_t(device->port)];
    return settings.*std::get<QString Settings::*>(scalar.member);
}

} // namespace

const QList<SettingsKeys::Scalar>& SettingsKeys::scalars()
{
    static const QList<Scalar> table = allScalars();
    return table;
}

QString SettingsKeys::text(const Settings& settings, const Scalar& scalar)
{
    switch (scalar.kind) {
    case Kind::Index:
        return QString::number(settings.*std::get<int Settings::*>(scalar.member));
    case Kind::FlagIfSet:
        return settings.*std::get<bool Settings::*>(scalar.member) ? QStringLiteral("1")
                                                                   : QString();
    case Kind::Text:
    case Kind::TextIfSet:
        break;
    }
    return textMember(settings, scalar);
}

void SettingsKeys::setText(Settings& settings, const Scalar& scalar, const QString& text)
{
    textMember(settings, scalar) = text;
}

void SettingsKeys::setNumber(Settings& settings, const Scalar& scalar, int number)
{
    if (scalar.kind == Kind::FlagIfSet) {
        settings.*std::get<bool Settings::*>(scalar.member) = number == 1;
        return;
    }
    // An index outside its list would select nothing anyway; -1 says so explicitly.
    const bool inList = number >= -1 && number <= scalar.lastIndex;
    settings.*std::get<int Settings::*>(scalar.member) = inList ? number : -1;
}
