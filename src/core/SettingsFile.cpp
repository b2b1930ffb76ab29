#include "SettingsFile.h"

#include "Cp932Codec.h"
#include "ProfileReader.h"
#include "ProfileWriter.h"
#include "SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using Key = SettingsKeys::Key;
using Kind = SettingsKeys::Kind;

// A settings file is a few kilobytes; reading stops here so that a huge file in its place
// cannot exhaust memory.
constexpr qint64 MaxFileBytes = qint64(128) << 20;

// The key of list entry n (from 1): "00" + n, i.e. "001".."009", "0010".."0064".
QString listKey(int n)
{
    return QStringLiteral("00") + QString::number(n);
}

QStringList listKeys()
{
    QStringList keys;
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n)
        keys << listKey(n);
    return keys;
}

QList<ProfileReader::Section> wantedNames()
{
    QList<ProfileReader::Section> wanted;
    for (const Key& key : SettingsKeys::all()) {
        if (wanted.isEmpty() || wanted.last().name != key.section)
            wanted.append({key.section, {}});
        wanted.last().keys << (key.kind == Kind::List ? listKeys() : QStringList{key.name});
    }
    return wanted;
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

void read(const ProfileReader& reader, const Key& key, Settings& settings)
{
    switch (key.kind) {
    case Kind::List:
        return SettingsKeys::setList(settings, key, readList(reader, key.section));
    case Kind::Text:
    case Kind::TextIfSet:
        return SettingsKeys::setText(settings, key,
                                     reader.text(key.section, key.name).value_or(QString()));
    default:
        // A number that is not there reads as the default of its kind.
        const int missing = key.kind == Kind::NumberIfSet ? -1 : 0;
        return SettingsKeys::setNumber(settings, key,
                                       reader.integer(key.section, key.name, missing));
    }
}

// Writes the key, opening its section where it is the first key written there.
class SectionWriter {
public:
    explicit SectionWriter(ProfileWriter& writer) : m_writer(writer) {}

    void write(const Key& key, const Settings& settings)
    {
        if (key.kind == Kind::List)
            return writeList(key, SettingsKeys::list(settings, key));
        const QString text = SettingsKeys::text(settings, key);
        const bool ifSet = key.kind == Kind::TextIfSet || key.kind == Kind::FlagIfSet ||
                           key.kind == Kind::NumberIfSet;
        if (ifSet && text.isEmpty())
            return;
        open(key.section);
        m_writer.entry(key.name, text, key.label);
    }

private:
    // An empty list writes no section.
    void writeList(const Key& key, const QStringList& entries)
    {
        if (entries.isEmpty())
            return;
        open(key.section);
        for (int n = 1; n <= entries.size(); ++n)
            m_writer.entry(listKey(n), entries[n - 1],
                           QStringLiteral("%1の%2件目").arg(key.label).arg(n));
    }

    void open(const QString& section)
    {
        if (section != m_section)
            m_writer.section(m_section = section);
    }

    ProfileWriter& m_writer;
    QString m_section;
};

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
    for (const Key& key : SettingsKeys::all())
        read(reader, key, settings);
    return settings;
}

bool SettingsFile::serialize(const Settings& settings, QByteArray* contents, QString* error)
{
    ProfileWriter writer;
    SectionWriter sections(writer);
    for (const Key& key : SettingsKeys::all())
        sections.write(key, settings);
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
