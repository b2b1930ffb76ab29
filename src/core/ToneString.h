#pragma once

#include <QStringView>

// Character checks for every text that goes onto the telephone line. Exact code-unit
// comparison: full-width digits, blanks and dial modifiers (",", "W", "P") are refused.
namespace ToneString {

// "0123456789*#-": phone numbers and free tone strings.
bool isToneString(QStringView text);

// "0123456789": the numeric reservation fields.
bool isDigits(QStringView text);

} // namespace ToneString
