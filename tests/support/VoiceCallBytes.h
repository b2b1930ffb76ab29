#pragma once

// What a call in voice mode sends the modem, for the tests that compare it byte for byte.

#include <QByteArray>

namespace VoiceCallBytes {

// Hook with the simulator's default methods (unsigned PCM is method 1) and its line label 1.
inline const QByteArray SetUp =
    "AT+FCLASS=8\rAT+VSM=?\rAT+VLS=?\rAT+VSM=1,8000\rAT+VTD=10\rAT+VLS=1\r";

// The tones of a step: the receive ended, the tones, the receive again.
inline QByteArray tones(const QByteArray& digits)
{
    QByteArray list;
    for (const char digit : digits)
        list += (list.isEmpty() ? "" : ",") + QByteArray(1, digit);
    return "\x10!AT+VTS=" + list + "\rAT+VRX\r";
}

} // namespace VoiceCallBytes
