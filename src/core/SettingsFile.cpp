#include "SettingsFile.h"

#include "AtomicFile.h"
#include "Cp932Codec.h"
#include "ProfileReader.h"
#include "ProfileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString Com = QStringLiteral("COM");
const QString Ch = QStringLiteral("CH");
const QString Phone = QStringLiteral("PHONE");
const QString Dial = QStringLiteral("DIAL");
const QString Number = QStringLiteral("Number");
const QString Code = QStringLiteral("CODE");
const QString Conditions = QStringLiteral("利用条件");
const QString Purpose = QStringLiteral("利用目的");
const QString Date = QStringLiteral("日付");
const QString TimeSlot = QStringLiteral("時間帯");
const QString Member = QStringLiteral("MEMBER");
const QString Facility = QStringLiteral("FACIRITY");

// A settings file is a few kilobytes; reading stops here so that a huge file in its place
// cannot exhaust memory.
constexpr qint64 MaxFileBytes = qint64(128) << 20;

QStringList listKeys()
{
    QStringList keys;
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n)
        keys << SettingsFile::listKey(n);
    return keys;
}

// "Device1".."Device4"; older readers of the file pass over these keys.
QString deviceKey(int portIndex)
{
    return QStringLiteral("Device%1").arg(portIndex + 1);
}

QStringList comKeys()
{
    QStringList keys{Ch};
    for (int port = 0; port < Settings::PortCount; ++port)
        keys << deviceKey(port);
    return keys;
}

QList<ProfileReader::Section> wantedNames()
{
    return {{Com, comKeys()},
            {Phone, {Dial, Number}},
            {Code, {Conditions, Purpose, Date, TimeSlot}},
            {Member, listKeys()},
            {Facility, listKeys()}};
}

// An index outside its list would select nothing anyway; -1 says so explicitly.
int indexWithin(int index, int last)
{
    return index >= -1 && index <= last ? index : -1;
}

QStringList readList(const ProfileReader& reader, const QString& section)
{
    QStringList entries;
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n) {
        const auto entry = reader.text(section, SettingsFile::listKey(n));
        if (!entry || entry->startsWith(QLatin1String("Stop")))
            break;
        entries << *entry;
    }
    return entries;
}

void writeList(ProfileWriter& writer, const QString& section, const QStringList& entries,
               const QString& label)
{
    if (entries.isEmpty())
        return;
    writer.section(section);
    for (int n = 1; n <= entries.size(); ++n)
        writer.entry(SettingsFile::listKey(n), entries[n - 1],
                     QStringLiteral("%1の%2件目").arg(label).arg(n));
}

QByteArray readAtMost(const QString& path, qint64 maxBytes)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(std::min(file.size(), maxBytes));
}

} // namespace

QString SettingsFile::pathInCurrentDirectory()
{
    return QDir::current().filePath(QStringLiteral("Tarvik.ini"));
}

QString SettingsFile::listKey(int n)
{
    return QStringLiteral("00") + QString::number(n);
}

Settings SettingsFile::load(const QString& path)
{
    return parse(readAtMost(path, MaxFileBytes));
}

Settings SettingsFile::parse(QByteArrayView contents)
{
    const QString text = Cp932Codec::decode(contents);
    const ProfileReader reader(text, wantedNames());
    Settings settings;
    settings.portIndex = indexWithin(reader.integer(Com, Ch, 0), Settings::PortCount - 1);
    for (int port = 0; port < Settings::PortCount; ++port)
        settings.portDevices[port] = reader.text(Com, deviceKey(port)).value_or(QString());
    settings.dialModeIndex = indexWithin(reader.integer(Phone, Dial, 0), 1);
    settings.number = reader.text(Phone, Number).value_or(QString());
    settings.conditionsCode = reader.text(Code, Conditions).value_or(QString());
    settings.purposeCode = reader.text(Code, Purpose).value_or(QString());
    settings.date = reader.text(Code, Date).value_or(QString());
    settings.timeSlot = reader.text(Code, TimeSlot).value_or(QString());
    settings.members = readList(reader, Member);
    settings.facilities = readList(reader, Facility);
    return settings;
}

bool SettingsFile::serialize(const Settings& settings, QByteArray* contents, QString* error)
{
    ProfileWriter writer;
    writer.section(Com);
    writer.entry(Ch, QString::number(settings.portIndex), Ch);
    // Only a port moved off its default gets a key, so a file without them stays as it was.
    for (int port = 0; port < Settings::PortCount; ++port) {
        if (!settings.portDevices[port].isEmpty())
            writer.entry(deviceKey(port), settings.portDevices[port],
                         QStringLiteral("COM%1 の接続先").arg(port + 1));
    }
    writer.section(Phone);
    writer.entry(Dial, QString::number(settings.dialModeIndex), Dial);
    writer.entry(Number, settings.number, QStringLiteral("電話番号"));
    writer.section(Code);
    writer.entry(Conditions, settings.conditionsCode, Conditions);
    writer.entry(Purpose, settings.purposeCode, Purpose);
    writer.entry(Date, settings.date, Date);
    writer.entry(TimeSlot, settings.timeSlot, TimeSlot);
    writeList(writer, Member, settings.members, QStringLiteral("メンバー"));
    writeList(writer, Facility, settings.facilities, QStringLiteral("施設"));
    if (!writer.succeeded()) {
        if (error)
            *error = writer.error();
        return false;
    }
    *contents = writer.bytes();
    return true;
}

bool SettingsFile::save(const QString& path, const Settings& settings, QString* error)
{
    QByteArray contents;
    return serialize(settings, &contents, error) && AtomicFile::write(path, contents, error);
}
