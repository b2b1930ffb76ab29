#include "ProfileReader.h"

#include "Cp932Codec.h"

#include <limits>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimmedBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QStringView upToNul(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QStringView cutToBytes(QStringView text, int maxBytes)
{
    int bytes = 0;
    qsizetype length = 0;
    while (length < text.size()) {
        bytes += Cp932Codec::byteLength(text[length]);
        if (bytes > maxBytes)
            break;
        ++length;
    }
    return text.left(length);
}

// The section name of a header line ("[name]", up to the last "]"), or nothing.
std::optional<QStringView> headerName(QStringView line)
{
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(u']');
    if (close < 1)
        return std::nullopt;
    return trimmedBlanks(line.mid(1, close - 1));
}

int leadingInteger(QStringView text)
{
    constexpr qint64 Max = std::numeric_limits<int>::max();
    constexpr qint64 Min = std::numeric_limits<int>::min();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.mid(1);
    qint64 magnitude = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        magnitude = std::min(magnitude * 10 + (c.unicode() - u'0'), Max + 1);
    }
    return int(negative ? std::max(-magnitude, Min) : std::min(magnitude, Max));
}

} // namespace

ProfileReader::ProfileReader(const QString& text, const QList<Section>& wanted) : m_text(text)
{
    for (const Section& section : wanted) {
        SectionIndex& index = m_sections[section.name.toCaseFolded()];
        m_longestName = std::max(m_longestName, section.name.size());
        for (const QString& key : section.keys) {
            index.wantedKeys.insert(key.toCaseFolded());
            m_longestName = std::max(m_longestName, key.size());
        }
    }
    index();
}

void ProfileReader::index()
{
    const QStringView text(m_text);
    SectionIndex* current = nullptr;
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = trimmedBlanks(text.mid(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (const auto name = headerName(line))
            current = enterSection(*name);
        else if (current)
            record(*current, line);
    }
}

// The index to fill while in this section: only the first section of a wanted name.
ProfileReader::SectionIndex* ProfileReader::enterSection(QStringView name)
{
    const auto folded = foldedIfShort(name);
    if (!folded || m_sectionsSeen.contains(*folded))
        return nullptr;
    const auto wanted = m_sections.find(*folded);
    if (wanted == m_sections.end())
        return nullptr;
    m_sectionsSeen.insert(*folded);
    return &wanted.value();
}

void ProfileReader::record(SectionIndex& section, QStringView line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return;
    const auto folded = foldedIfShort(trimmedBlanks(line.left(equals)));
    if (!folded || !section.wantedKeys.contains(*folded) || section.found.contains(*folded))
        return;
    section.found.insert(*folded, trimmedBlanks(line.mid(equals + 1)));
}

// Names longer than any wanted name cannot match; they are not copied (a garbage line may
// be megabytes long).
std::optional<QString> ProfileReader::foldedIfShort(QStringView name) const
{
    if (name.size() > m_longestName)
        return std::nullopt;
    return name.toString().toCaseFolded();
}

std::optional<QString> ProfileReader::text(QStringView section, QStringView key) const
{
    const auto index = m_sections.constFind(section.toString().toCaseFolded());
    if (index == m_sections.cend())
        return std::nullopt;
    const auto value = index->found.constFind(key.toString().toCaseFolded());
    if (value == index->found.cend())
        return std::nullopt;
    const QStringView whole = trimmedBlanks(upToNul(*value));
    return trimmedBlanks(cutToBytes(whole, ValueBytes)).toString();
}

int ProfileReader::integer(QStringView section, QStringView key, int fallback) const
{
    const auto value = text(section, key);
    return value ? leadingInteger(*value) : fallback;
}
