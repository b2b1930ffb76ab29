#include "SettingsFile.h"

#include "Cp932Codec.h"
#include "ProfileReader.h"
#include "ProfileWriter.h"
#include "SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using Scalar = SettingsKeys::Scalar;
using Kind = SettingsKeys::Kind;

struct List {
    QString section;
    QStringList Settings::*entries;
    QString label; // names an entry that cannot be stored
};

// After the single values, in this order.
const QList<List>& lists()
{
    static const QList<List> all{
        {QStringLiteral("MEMBER"), &Settings::members, QStringLiteral("メンバー")},
        {QStringLiteral("FACIRITY"), &Settings::facilities, QStringLiteral("施設")}};
    return all;
}

// A settings file is a few kilobytes; reading stops here so that a huge file in its place
// cannot exhaust memory.
constexpr qint64 MaxFileBytes = qint64(128) << 20;

// The key of list entry n (from 1): "00" + n, i.e. "001".."009", "0010".."0064".
QString listKey(int n)
{
    return QStringLiteral("00") + QString::number(n);
}

QList<ProfileReader::Section> wantedNames()
{
    QList<ProfileReader::Section> wanted;
    for (const Scalar& scalar : SettingsKeys::scalars()) {
        if (wanted.isEmpty() || wanted.last().name != scalar.section)
            wanted.append({scalar.section, {}});
        wanted.last().keys << scalar.key;
    }
    QStringList listKeys;
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n)
        listKeys << listKey(n);
    for (const List& list : lists())
        wanted.append({list.section, listKeys});
    return wanted;
}

void readScalar(const ProfileReader& reader, const Scalar& scalar, Settings& settings)
{
    if (scalar.kind == Kind::Index || scalar.kind == Kind::FlagIfSet)
        SettingsKeys::setNumber(settings, scalar, reader.integer(scalar.section, scalar.key, 0));
    else
        SettingsKeys::setText(settings, scalar,
                              reader.text(scalar.section, scalar.key).value_or(QString()));
}

QStringList readList(const ProfileReader& reader, const QString& section)
{
    QStringList entries;
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n) {
        const auto entry = reader.text(section, listKey(n));
        if (!entry || entry->startsWith(QLatin1String("Stop")))
            break;
        entries << *entry;
    }
    return entries;
}

void writeScalars(ProfileWriter& writer, const Settings& settings)
{
    QString section;
    for (const Scalar& scalar : SettingsKeys::scalars()) {
        const QString text = SettingsKeys::text(settings, scalar);
        const bool ifSet = scalar.kind == Kind::TextIfSet || scalar.kind == Kind::FlagIfSet;
        if (ifSet && text.isEmpty())
            continue;
        if (scalar.section != section)
            writer.section(section = scalar.section);
        writer.entry(scalar.key, text, scalar.label);
    }
}

void writeList(ProfileWriter& writer, const List& list, const QStringList& entries)
{
    if (entries.isEmpty())
        return;
    writer.section(list.section);
    for (int n = 1; n <= entries.size(); ++n)
        writer.entry(listKey(n), entries[n - 1],
                     QStringLiteral("%1の%2件目").arg(list.label).arg(n));
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

Settings SettingsFile::load(const QString& path)
{
    return parse(readAtMost(path, MaxFileBytes));
}

Settings SettingsFile::parse(QByteArrayView contents)
{
    const ProfileReader reader(Cp932Codec::decode(contents), wantedNames());
    Settings settings;
    for (const Scalar& scalar : SettingsKeys::scalars())
        readScalar(reader, scalar, settings);
    for (const List& list : lists())
        settings.*list.entries = readList(reader, list.section);
    return settings;
}

bool SettingsFile::serialize(const Settings& settings, QByteArray* contents, QString* error)
{
    ProfileWriter writer;
    writeScalars(writer, settings);
    for (const List& list : lists())
        writeList(writer, list, settings.*list.entries);
    if (!writer.succeeded()) {
        if (error)
            *error = writer.error();
        return false;
    }
    *contents = writer.bytes();
    return true;
}

bool SettingsFile::save(const QString& path, const Settings& settings, QString* error,
                        const AtomicFile::StepCheck& beforeStep)
{
    QByteArray contents;
    return serialize(settings, &contents, error) &&
           AtomicFile::write(path, contents, error, beforeStep);
}
