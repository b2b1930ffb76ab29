#include "VoiceCapabilities.h"

#include <array>

namespace {

constexpr std::array<SampleEncoding, 4> PreferredEncodings{
    SampleEncoding::SignedPcm, SampleEncoding::UnsignedPcm, SampleEncoding::MuLaw,
    SampleEncoding::ALaw};
constexpr std::array<int, 3> PreferredRates{8000, 7200, 11025};

// Without the "+VSM: " or "+VLS: " some modems put before each line.
QString withoutAnswerPrefix(const QString& line)
{
    const QString trimmed = line.trimmed();
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    if (trimmed.startsWith(QLatin1Char('+')) && colon > 0)
        return trimmed.mid(colon + 1);
    return trimmed;
}

// The fields of one answer line. "," and ";" separate them, except inside quotes and inside
// the parentheses of a rate list, which keeps its own commas.
QStringList splitFields(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    int depth = 0;
    for (const QChar c : withoutAnswerPrefix(line)) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && depth == 0 && (c == QLatin1Char(',') || c == QLatin1Char(';'))) {
            fields << field.trimmed();
            field.clear();
        } else {
            depth += !quoted && c == QLatin1Char('(') ? 1 : 0;
            depth -= !quoted && c == QLatin1Char(')') && depth > 0 ? 1 : 0;
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

std::optional<int> numberIn(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

// "8000", "(7200,8000,11025)" or "(7200-11025)"; items that are no number are left out.
QList<VoiceCapabilities::RateRange> ratesIn(QString field)
{
    field.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    QList<VoiceCapabilities::RateRange> rates;
    for (const QString& item : field.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        const std::optional<int> lowest = numberIn(ends.first());
        const std::optional<int> highest = numberIn(ends.last());
        if (ends.size() <= 2 && lowest && highest)
            rates.append({*lowest, *highest});
    }
    return rates;
}

// A method line has at least number, name, bits, timing and rates.
std::optional<VoiceCapabilities::Method> methodIn(const QString& line)
{
    const QStringList fields = splitFields(line);
    if (fields.size() < 5)
        return std::nullopt;
    const std::optional<int> number = numberIn(fields[0]);
    const std::optional<int> bits = numberIn(fields[2]);
    const QList<VoiceCapabilities::RateRange> rates = ratesIn(fields[4]);
    if (!number || !bits || fields[1].isEmpty() || rates.isEmpty())
        return std::nullopt;
    return VoiceCapabilities::Method{*number, fields[1], *bits, rates};
}

// The name in capitals without blanks, dots, hyphens and underscores: "G.711 Mu-Law" and
// "G711MULAW" are the same method.
QString nameKey(const QString& name)
{
    QString key = name.toUpper();
    key.replace(QChar(0x039C), QLatin1String("MU")); // the micro sign in capitals
    key.replace(QChar(0x00B5), QLatin1String("MU"));
    key.remove(QLatin1Char(' ')).remove(QLatin1Char('.'));
    return key.remove(QLatin1Char('-')).remove(QLatin1Char('_'));
}

std::optional<SampleEncoding> lawNamed(const QString& key)
{
    if (key == QLatin1String("G711U") || key.endsWith(QLatin1String("ULAW")))
        return SampleEncoding::MuLaw;
    if (key == QLatin1String("G711A") || key == QLatin1String("ALAW") ||
        key == QLatin1String("G711ALAW"))
        return SampleEncoding::ALaw;
    return std::nullopt;
}

// "UNSIGNED PCM" holds "SIGNED PCM", so unsigned is asked first; a name that only says
// "LINEAR" is unsigned on the modems that use it.
std::optional<SampleEncoding> pcmNamed(const QString& key)
{
    if (key.contains(QLatin1String("ADPCM")))
        return std::nullopt;
    if (key.contains(QLatin1String("UNSIGNEDPCM")))
        return SampleEncoding::UnsignedPcm;
    if (key.contains(QLatin1String("SIGNEDPCM")))
        return SampleEncoding::SignedPcm;
    if (key.contains(QLatin1String("LINEAR")))
        return SampleEncoding::UnsignedPcm;
    return std::nullopt;
}

} // namespace

bool VoiceCapabilities::Method::supportsRate(int rate) const
{
    for (const RateRange& range : rates) {
        if (range.lowest <= rate && rate <= range.highest)
            return true;
    }
    return false;
}

QList<VoiceCapabilities::Method> VoiceCapabilities::parseMethods(const QStringList& answerLines)
{
    QList<Method> methods;
    for (const QString& line : answerLines) {
        if (const std::optional<Method> method = methodIn(line))
            methods.append(*method);
    }
    return methods;
}

std::optional<SampleEncoding> VoiceCapabilities::encodingOf(const Method& method)
{
    if (method.bitsPerSample != 8)
        return std::nullopt;
    const QString key = nameKey(method.name);
    const std::optional<SampleEncoding> law = lawNamed(key);
    return law ? law : pcmNamed(key);
}

std::optional<VoiceFormat> VoiceCapabilities::choose(const QList<Method>& methods)
{
    for (const SampleEncoding encoding : PreferredEncodings) {
        for (const int rate : PreferredRates) {
            for (const Method& method : methods) {
                if (encodingOf(method) == encoding && method.supportsRate(rate))
                    return VoiceFormat{method.number, encoding, rate, method.name};
            }
        }
    }
    return std::nullopt;
}

std::optional<int> VoiceCapabilities::telephoneLineSetting(const QStringList& answerLines)
{
    for (const QString& line : answerLines) {
        const QStringList fields = splitFields(line);
        const std::optional<int> label = numberIn(fields.first());
        if (fields.size() >= 2 && label && fields[1] == QLatin1String("T"))
            return label;
    }
    return std::nullopt;
}
