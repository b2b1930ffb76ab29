#include "ToneString.h"

#include <QLatin1StringView>

namespace {

bool allIn(QStringView text, QLatin1StringView alphabet)
{
    for (const QChar c : text) {
        if (!alphabet.contains(c))
            return false;
    }
    return true;
}

} // namespace

namespace ToneString {

bool isToneString(QStringView text)
{
    return allIn(text, QLatin1StringView("0123456789*#-"));
}

bool isDigits(QStringView text)
{
    return allIn(text, QLatin1StringView("0123456789"));
}

} // namespace ToneString
