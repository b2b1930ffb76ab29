#include "ToneSequence.h"

#include <string_view>

namespace {

constexpr std::string_view DtmfDigits = "0123456789*#ABCD";
constexpr int UnitMs = 10;
constexpr int LongestUnits = 500;
constexpr int LowestHertz = 200; // or 0: no second frequency
constexpr int HighestHertz = 3200;

bool isDigit(const QByteArray& text)
{
    return text.size() == 1 && DtmfDigits.find(text[0]) != std::string_view::npos;
}

std::optional<int> durationMs(const QByteArray& text)
{
    bool ok = false;
    const int units = text.toInt(&ok);
    return ok && units >= 1 && units <= LongestUnits ? std::optional<int>(units * UnitMs)
                                                     : std::nullopt;
}

bool isFrequency(const QByteArray& text)
{
    bool ok = false;
    const int hertz = text.toInt(&ok);
    return ok && (hertz == 0 || (hertz >= LowestHertz && hertz <= HighestHertz));
}

std::optional<ToneSequence::Tone> element(const QByteArray& text, int digitMs, bool fixedLength)
{
    if (isDigit(text))
        return ToneSequence::Tone{text[0], digitMs};
    if (fixedLength || text.size() < 2)
        return std::nullopt;
    const QByteArrayList fields = text.mid(1, text.size() - 2).split(',');
    const std::optional<int> ms = durationMs(fields.last());
    if (text.front() == '{' && text.back() == '}' && fields.size() == 2 && isDigit(fields[0]) && ms)
        return ToneSequence::Tone{fields[0][0], *ms};
    if (text.front() == '[' && text.back() == ']' && fields.size() == 3 && isFrequency(fields[0]) &&
        isFrequency(fields[1]) && ms)
        return ToneSequence::Tone{0, *ms};
    return std::nullopt;
}

// Commas inside {} and [] belong to their element.
QByteArrayList elements(const QByteArray& argument)
{
    QByteArrayList list(1);
    int depth = 0;
    for (const char c : argument) {
        depth += (c == '{' || c == '[') - (c == '}' || c == ']');
        if (c == ',' && depth == 0)
            list.append(QByteArray());
        else
            list.last().append(c);
    }
    return list;
}

} // namespace

std::optional<ToneSequence> ToneSequence::parse(const QByteArray& argument, int digitMs,
                                                bool fixedLength)
{
    ToneSequence sequence;
    for (const QByteArray& text : elements(argument)) {
        const std::optional<Tone> tone = element(text, digitMs, fixedLength);
        if (!tone)
            return std::nullopt;
        sequence.tones.append(*tone);
    }
    return sequence;
}

QString ToneSequence::digits() const
{
    QString text;
    for (const Tone& tone : tones) {
        if (tone.digit != 0)
            text += QLatin1Char(tone.digit);
    }
    return text;
}

int ToneSequence::totalMs(int gapMs) const
{
    int total = gapMs * int(tones.size() - 1);
    for (const Tone& tone : tones)
        total += tone.ms;
    return total;
}
