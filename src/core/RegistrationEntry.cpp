#include "RegistrationEntry.h"

#include "ProfileWriter.h"
#include "SettingsFile.h"
#include "ToneString.h"

#include <algorithm>

namespace {

std::optional<QString> digitFieldFailure(const QString& text, int length)
{
    if (text.size() != length)
        return QStringLiteral("長さが違います");
    if (!ToneString::isDigits(text))
        return QStringLiteral("数字を入力してください");
    return std::nullopt;
}

std::optional<QString> freeTextFailure(const QString& text, int maxLength)
{
    if (text.size() > maxLength)
        return QStringLiteral("長すぎます");
    return ProfileWriter::whyNotStorable(text);
}

// The first failing field in index order.
std::optional<RegistrationEntry::Failure> checkFields(const RegistrationEntry::Fields& fields,
                                                      const RegistrationEntry::Limits& limits)
{
    for (int i = 0; i < 3; ++i) {
        const int limit = limits[std::size_t(i)];
        const QString& text = fields[std::size_t(i)];
        const auto message =
            limit > 0 ? digitFieldFailure(text, limit) : freeTextFailure(text, -limit);
        if (message)
            return RegistrationEntry::Failure{i, *message};
    }
    return std::nullopt;
}

// The settings file drops a value's leading blanks (vertical tab and form feed too) and
// ends a list at a value starting with "Stop", so such a line would end the list at the
// next load.
bool endsListWhenLoaded(const QString& line)
{
    const auto firstNonBlank = std::find_if(line.cbegin(), line.cend(), [](QChar c) {
        return c != u' ' && c != u'\t' && c != u'\v' && c != u'\f';
    });
    return QStringView(firstNonBlank, line.cend()).startsWith(QLatin1String("Stop"));
}

// Clamped to the line, so a short line gives short or empty fields instead of failing.
QString part(const QString& line, qsizetype start, qsizetype length)
{
    const qsizetype begin = std::clamp<qsizetype>(start, 0, line.size());
    const qsizetype end = std::clamp<qsizetype>(start + length, begin, line.size());
    return line.mid(begin, end - begin);
}

} // namespace

QString RegistrationEntry::compose(const Fields& fields)
{
    return fields[0] + QLatin1Char(' ') + fields[1] + QLatin1Char(' ') + fields[2];
}

std::optional<RegistrationEntry::Failure> RegistrationEntry::checkAddition(const Fields& fields,
                                                                           const Limits& limits,
                                                                           int entriesAlreadyInList)
{
    if (entriesAlreadyInList >= SettingsFile::MaxListEntries) {
        return Failure{
            0, QStringLiteral("登録できるのは%1件までです。").arg(SettingsFile::MaxListEntries)};
    }
    if (const auto failure = checkFields(fields, limits))
        return failure;
    // Only a member line can start with a name; a facility line starts with its digits.
    if (endsListWhenLoaded(compose(fields)))
        return Failure{0, QStringLiteral("「Stop」で始まる名前は登録できません。")};
    return std::nullopt;
}

RegistrationEntry::Fields RegistrationEntry::split(const QString& line, const Limits& limits)
{
    const qsizetype length = line.size();
    const int l0 = limits[0];
    const int l1 = limits[1];
    const int l2 = limits[2];
    if (l0 < 0) {
        // The codes sit at fixed distances from the end; a line of 13 characters or fewer
        // (an empty name loses its blank in the file) keeps what is left of them.
        const qsizetype numberStart = length - l2 - 1 - l1;
        return {part(line, 0, numberStart - 1), part(line, numberStart, l1),
                part(line, length - l2, l2)};
    }
    return {part(line, 0, l0), part(line, l0 + 1, l1), part(line, l0 + l1 + 2, length)};
}

RegistrationEntry::ToneParts RegistrationEntry::toneParts(Kind kind, const QString& line)
{
    constexpr int CodesLength = 13; // registration number, blank, PIN
    constexpr int LeadLength = 7;   // facility code, blank, breakdown code
    if (kind == Kind::Member) {
        const QString codes = line.right(CodesLength);
        return {codes.left(MemberLimits[1]), codes.right(MemberLimits[2])};
    }
    const QString lead = line.left(LeadLength);
    return {lead.left(FacilityLimits[0]), lead.right(FacilityLimits[1])};
}
