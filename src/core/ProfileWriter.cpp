#include "ProfileWriter.h"

#include "Cp932Codec.h"

namespace {

bool breaksLines(QStringView value)
{
    return value.contains(u'\n') || value.contains(u'\r') || value.contains(QChar(u'\0'));
}

} // namespace

void ProfileWriter::section(QStringView asciiName)
{
    if (succeeded())
        m_bytes += '[' + asciiName.toLatin1() + "]\r\n";
}

void ProfileWriter::entry(QStringView key, QStringView value, const QString& label)
{
    if (!succeeded())
        return;
    const QString line = key.toString() + QLatin1Char('=') + value.toString();
    if (const auto reason = whyNotStorable(line)) {
        m_error = QStringLiteral("「%1」の%2").arg(label, *reason);
        return;
    }
    m_bytes += Cp932Codec::encode(line).value_or(QByteArray()) + "\r\n";
}

std::optional<QString> ProfileWriter::whyNotStorable(QStringView value)
{
    if (breaksLines(value))
        return QStringLiteral("改行などの制御文字は保存できません。");
    if (const auto character = Cp932Codec::firstUnencodable(value))
        return QStringLiteral("文字「%1」は保存できません（シフトJISにない文字です）。")
            .arg(*character);
    return std::nullopt;
}
