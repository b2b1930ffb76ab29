#include "VoiceCommands.h"

#include "VoiceCapabilities.h"

namespace {

QByteArray digitsOf(const QString& tones)
{
    QByteArray digits = tones.toLatin1();
    digits.replace('-', QByteArray());
    return digits;
}

} // namespace

QByteArray VoiceCommands::enterVoiceMode()
{
    return QByteArrayLiteral("AT+FCLASS=8\r");
}

QByteArray VoiceCommands::leaveVoiceMode()
{
    return QByteArrayLiteral("AT+FCLASS=0\r");
}

QByteArray VoiceCommands::askMethods()
{
    return QByteArrayLiteral("AT+VSM=?\r");
}

QByteArray VoiceCommands::askLineSettings()
{
    return QByteArrayLiteral("AT+VLS=?\r");
}

QByteArray VoiceCommands::chooseFormat(const VoiceFormat& format)
{
    return "AT+VSM=" + QByteArray::number(format.method) + ',' +
           QByteArray::number(format.sampleRate) + '\r';
}

QByteArray VoiceCommands::shortTones()
{
    return "AT+VTD=" + QByteArray::number(ShortToneMs / 10) + '\r';
}

QByteArray VoiceCommands::connectLine(int setting)
{
    return "AT+VLS=" + QByteArray::number(setting) + '\r';
}

QByteArray VoiceCommands::receive()
{
    return QByteArrayLiteral("AT+VRX\r");
}

QByteArray VoiceCommands::endReceive()
{
    return QByteArrayLiteral("\x10!");
}

std::optional<QByteArray> VoiceCommands::tones(const QString& tones)
{
    const QByteArray digits = digitsOf(tones);
    if (digits.isEmpty())
        return std::nullopt; // a bare AT+VTS= is an error, and some modems leave voice mode
    QByteArray command = "AT+VTS=";
    for (qsizetype i = 0; i < digits.size(); ++i)
        command += (i ? "," : "") + digits.mid(i, 1);
    return command + '\r';
}

int VoiceCommands::playingMs(const QString& tones, int toneMs)
{
    return int(digitsOf(tones).size()) * 2 * toneMs;
}

VoiceCommands::Offer VoiceCommands::offer(const QStringList& methods,
                                          const QStringList& lineSettings)
{
    const QList<VoiceCapabilities::Method> parsed = VoiceCapabilities::parseMethods(methods);
    QStringList names;
    for (const VoiceCapabilities::Method& method : parsed)
        names << method.name;
    return {VoiceCapabilities::choose(parsed),
            VoiceCapabilities::telephoneLineSetting(lineSettings), names};
}

std::optional<VoiceCommands::Refusal> VoiceCommands::Offer::refusal() const
{
    if (!format)
        return Refusal::NoUsableFormat;
    if (!telephoneLine)
        return Refusal::NoTelephoneLine;
    return std::nullopt;
}
