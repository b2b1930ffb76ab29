#include "SettingsKeys.h"

namespace {

using Kind = SettingsKeys::Kind;
using Key = SettingsKeys::Key;
using Step = CallProcedure::Step;

const QString Com = QStringLiteral("COM");
const QString Phone = QStringLiteral("PHONE");
const QString Code = QStringLiteral("CODE");
const QString Auto = QStringLiteral("AUTO");

// "Device1".."Device4"; older readers of the file pass over these keys.
Key portDevice(int port)
{
    return {Com, QStringLiteral("Device%1").arg(port + 1), Kind::TextIfSet,
            SettingsKeys::PortDevice{port}, QStringLiteral("COM%1 の接続先").arg(port + 1)};
}

QList<Key> portKeys()
{
    QList<Key> keys{{Com, QStringLiteral("CH"), Kind::Index, &Settings::portIndex,
                     QStringLiteral("CH"), Settings::PortCount - 1}};
    for (int port = 0; port < Settings::PortCount; ++port)
        keys << portDevice(port);
    // Older readers of the file pass over this key.
    keys << Key{Com, QStringLiteral("Voice"), Kind::FlagIfSet, &Settings::voice,
                QStringLiteral("音声モード")};
    return keys;
}

QList<Key> callKeys()
{
    QList<Key> keys{
        {Phone, QStringLiteral("DIAL"), Kind::Index, &Settings::dialModeIndex, QStringLiteral("DIAL"),
         1},
        {Phone, QStringLiteral("Number"), Kind::Text, &Settings::number, QStringLiteral("電話番号")}};
    for (const auto& [name, member] :
         {std::pair(QStringLiteral("利用条件"), &Settings::conditionsCode),
          std::pair(QStringLiteral("利用目的"), &Settings::purposeCode),
          std::pair(QStringLiteral("日付"), &Settings::date),
          std::pair(QStringLiteral("時間帯"), &Settings::timeSlot)})
        keys << Key{Code, name, Kind::Text, member, name};
    return keys;
}

// One key a step of the typical call that a user presses after waiting; Hook starts the call.
// A section older readers of the file pass over.
QList<Key> paceKeys()
{
    QList<Key> keys;
    for (const Step step : CallProcedure::typicalPath().mid(1)) {
        const QString name = QString::fromLatin1(CallProcedure::name(step));
        keys << Key{Auto, name, Kind::NumberIfSet, SettingsKeys::RecordedPace{step}, name};
    }
    return keys;
}

QList<Key> allKeys()
{
    return portKeys() + callKeys() +
           QList<Key>{
               {QStringLiteral("MEMBER"), {}, Kind::List, &Settings::members,
                QStringLiteral("メンバー")},
               {QStringLiteral("FACIRITY"), {}, Kind::List, &Settings::facilities,
                QStringLiteral("施設")}} +
           paceKeys();
}

// The member of a text value, const as settings is.
template <typename AnySettings> auto& textMember(AnySettings& settings, const Key& key)
{
    if (const auto* device = std::get_if<SettingsKeys::PortDevice>(&key.member))
        return settings.portDevices[std::size_t(device->port)];
    return settings.*std::get<QString Settings::*>(key.member);
}

template <typename AnySettings> auto& paceMember(AnySettings& settings, const Key& key)
{
    return settings.recordedPaces[std::size_t(std::get<SettingsKeys::RecordedPace>(key.member).step)];
}

} // namespace

const QList<SettingsKeys::Key>& SettingsKeys::all()
{
    static const QList<Key> table = allKeys();
    return table;
}

QString SettingsKeys::text(const Settings& settings, const Key& key)
{
    switch (key.kind) {
    case Kind::Index:
        return QString::number(settings.*std::get<int Settings::*>(key.member));
    case Kind::FlagIfSet:
        return settings.*std::get<bool Settings::*>(key.member) ? QStringLiteral("1") : QString();
    case Kind::NumberIfSet: {
        const std::optional<int>& pace = paceMember(settings, key);
        return pace ? QString::number(*pace) : QString();
    }
    case Kind::Text:
    case Kind::TextIfSet:
        return textMember(settings, key);
    case Kind::List:
        break;
    }
    return {};
}

void SettingsKeys::setText(Settings& settings, const Key& key, const QString& text)
{
    textMember(settings, key) = text;
}

void SettingsKeys::setNumber(Settings& settings, const Key& key, int number)
{
    switch (key.kind) {
    case Kind::FlagIfSet:
        settings.*std::get<bool Settings::*>(key.member) = number == 1;
        return;
    case Kind::NumberIfSet:
        paceMember(settings, key) = number >= 0 ? std::optional<int>(number) : std::nullopt;
        return;
    default:
        break;
    }
    // An index outside its list would select nothing anyway; -1 says so explicitly.
    const bool inList = number >= -1 && number <= key.lastIndex;
    settings.*std::get<int Settings::*>(key.member) = inList ? number : -1;
}

const QStringList& SettingsKeys::list(const Settings& settings, const Key& key)
{
    return settings.*std::get<QStringList Settings::*>(key.member);
}

void SettingsKeys::setList(Settings& settings, const Key& key, const QStringList& entries)
{
    settings.*std::get<QStringList Settings::*>(key.member) = entries;
}
