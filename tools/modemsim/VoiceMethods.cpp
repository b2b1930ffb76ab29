#include "VoiceMethods.h"

namespace {

using Coding = SampleEncoder::Coding;
using Method = VoiceMethods::Method;
constexpr int PreferredRate = 8000;

const QList<std::pair<QString, VoiceMethods::Catalogue>> CatalogueNames = {
    {QStringLiteral("default"), VoiceMethods::Catalogue::Default},
    {QStringLiteral("ulaw"), VoiceMethods::Catalogue::MuLaw},
    {QStringLiteral("alaw"), VoiceMethods::Catalogue::ALaw},
    {QStringLiteral("signed"), VoiceMethods::Catalogue::SignedPcm},
    {QStringLiteral("adpcm"), VoiceMethods::Catalogue::AdpcmOnly},
    {QStringLiteral("semicolon"), VoiceMethods::Catalogue::Semicolon},
};

const Method ImaAdpcm = {129, "IMA ADPCM", 4, {7200, 8000}, Coding::ImaAdpcm};

// Conexant lists unsigned PCM twice (1 and 130); µ-law and A-law carry U.S. Robotics' labels.
QList<Method> defaultMethods()
{
    return {{1, "UNSIGNED PCM", 8, {7200, 8000, 11025}, Coding::UnsignedPcm},
            ImaAdpcm,
            {130, "UNSIGNED PCM", 8, {7200, 8000, 11025}, Coding::UnsignedPcm},
            {131, "ULAW", 8, {8000}, Coding::MuLaw},
            {132, "ALAW", 8, {8000}, Coding::ALaw}};
}

QList<Method> catalogueMethods(VoiceMethods::Catalogue catalogue)
{
    switch (catalogue) {
    case VoiceMethods::Catalogue::Default:
        break;
    case VoiceMethods::Catalogue::MuLaw:
        return {ImaAdpcm, {131, "ULAW", 8, {8000}, Coding::MuLaw}};
    case VoiceMethods::Catalogue::ALaw:
        return {ImaAdpcm, {132, "ALAW", 8, {8000}, Coding::ALaw}};
    case VoiceMethods::Catalogue::SignedPcm:
        return {{128, "SIGNED PCM", 8, {7200, 8000, 11025}, Coding::SignedPcm}, ImaAdpcm};
    case VoiceMethods::Catalogue::AdpcmOnly:
        return {ImaAdpcm,
                {140, "2 Bit ADPCM", 2, {7200, 8000, 11025}, std::nullopt},
                {141, "4 Bit ADPCM", 4, {7200, 8000, 11025}, std::nullopt}};
    case VoiceMethods::Catalogue::Semicolon: // ZyXEL's CELP and ADPCM, its own codings
        return {{1, "CELP", 1, {9600}, std::nullopt},
                {2, "ADPCM", 2, {9600}, std::nullopt},
                {3, "ADPCM", 3, {9600}, std::nullopt}};
    }
    return defaultMethods();
}

QByteArray rateList(const QList<int>& rates)
{
    QByteArrayList texts;
    for (const int rate : rates)
        texts << QByteArray::number(rate);
    return '(' + texts.join(',') + ')';
}

int preferredRate(const Method& method)
{
    return method.rates.contains(PreferredRate) ? PreferredRate : method.rates.first();
}

std::optional<int> decimal(const QByteArray& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<VoiceMethods::Catalogue> VoiceMethods::named(const QString& name)
{
    for (const auto& [text, catalogue] : CatalogueNames) {
        if (text == name)
            return catalogue;
    }
    return std::nullopt;
}

QStringList VoiceMethods::names()
{
    QStringList texts;
    for (const auto& entry : CatalogueNames)
        texts << entry.first;
    return texts;
}

VoiceMethods::VoiceMethods(Catalogue catalogue)
    : m_style(catalogue == Catalogue::Default || catalogue == Catalogue::AdpcmOnly ? Style::Bare
              : catalogue == Catalogue::Semicolon ? Style::Semicolon
                                                  : Style::Parenthesised),
      m_methods(catalogueMethods(catalogue)),
      m_defaultLabel(catalogue == Catalogue::Semicolon ? 2 : m_methods.first().label)
{
}

QByteArrayList VoiceMethods::list() const
{
    QByteArrayList lines;
    for (const Method& method : m_methods)
        lines << line(method);
    return lines;
}

QByteArray VoiceMethods::report(const Selection& chosen) const
{
    const QByteArray label = QByteArray::number(chosen.label);
    const QByteArray rate = QByteArray::number(chosen.rate);
    // ZyXEL reports <cml>;<scs>;<vsr>, the others <cml>,<vsr>,<scs>,<sel>.
    return m_style == Style::Semicolon ? label + ";0;" + rate : label + ',' + rate + ",0,0";
}

std::optional<VoiceMethods::Selection> VoiceMethods::select(const QByteArray& arguments) const
{
    const QByteArrayList fields = arguments.split(',');
    const std::optional<int> label = decimal(fields[0]);
    const Method* method = label ? find(*label) : nullptr;
    if (!method || fields.size() > 4)
        return std::nullopt;
    const std::optional<int> rate = fields.size() > 1 ? decimal(fields[1]) : preferredRate(*method);
    if (!rate || !method->rates.contains(*rate))
        return std::nullopt;
    // Silence compression and expansion are offered only as 0, "not supported".
    for (qsizetype i = 2; i < fields.size(); ++i) {
        if (decimal(fields[i]) != 0)
            return std::nullopt;
    }
    return Selection{*label, *rate};
}

VoiceMethods::Selection VoiceMethods::defaultSelection() const
{
    const Method& chosen = method(m_defaultLabel);
    return {chosen.label, preferredRate(chosen)};
}

const VoiceMethods::Method& VoiceMethods::method(int label) const
{
    const Method* found = find(label);
    return found ? *found : m_methods.first();
}

const VoiceMethods::Method* VoiceMethods::find(int label) const
{
    for (const Method& method : m_methods) {
        if (method.label == label)
            return &method;
    }
    return nullptr;
}

QByteArray VoiceMethods::line(const Method& method) const
{
    const QByteArray label = QByteArray::number(method.label);
    const QByteArray bits = QByteArray::number(method.bitsPerSample);
    switch (m_style) {
    case Style::Bare:
        return label + ",\"" + method.name + "\"," + bits + ",0," + rateList(method.rates) + ",0,0";
    case Style::Parenthesised:
        return label + ",\"" + method.name + "\"," + bits + ",0," + rateList(method.rates) +
               ",(0),(0)";
    case Style::Semicolon:
        break;
    }
    return label + ';' + method.name + ';' + bits + ";0;" + rateList(method.rates);
}
