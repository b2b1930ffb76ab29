#pragma once

#include "VoiceFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The words of a voice call (ITU-T V.253), each a command line ending in CR, and what the
// modem's answers to the two questions tell.
class VoiceCommands {
public:
    // A tone the modem plays for as long as AT+VTD says; without it many modems keep 1 s.
    static constexpr int ShortToneMs = 100;
    static constexpr int DefaultToneMs = 1000;

    static QByteArray enterVoiceMode();  // AT+FCLASS=8
    static QByteArray leaveVoiceMode();  // AT+FCLASS=0
    static QByteArray askMethods();      // AT+VSM=?
    static QByteArray askLineSettings(); // AT+VLS=?
    static QByteArray chooseFormat(const VoiceFormat& format);
    static QByteArray shortTones(); // AT+VTD=10
    static QByteArray connectLine(int setting);
    static QByteArray receive();    // AT+VRX
    static QByteArray endReceive(); // DLE ! (no line end: it is no command)
    // AT+VTS=<d>,<d>,...; nothing when there is no tone to play ("-" only formats dial strings).
    static std::optional<QByteArray> tones(const QString& tones);
    // How long the modem may take to play them, each tone of toneMs with a pause as long.
    static int playingMs(const QString& tones, int toneMs);

    // Why a modem cannot make a call in voice mode.
    enum class Refusal {
        NoVoiceMode,     // ERROR to AT+FCLASS=8
        NoUsableFormat,  // no 8-bit PCM, mu-law or A-law among its methods
        NoTelephoneLine, // no line setting that connects the telephone line alone
    };

    // What the modem offers, from its answers to AT+VSM=? and AT+VLS=?.
    struct Offer {
        std::optional<VoiceFormat> format;
        std::optional<int> telephoneLine;
        QStringList methodNames; // every method, usable or not, by the modem's own names

        // Why the offer is not enough for a call; nothing when it is.
        std::optional<Refusal> refusal() const;
    };
    static Offer offer(const QStringList& methods, const QStringList& lineSettings);
};
