#pragma once

#include "LineControl.h"
#include "VoiceCommands.h"
#include "VoiceFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The voice-mode side of the line control's operations (ITU-T V.253): into voice mode with a
// format the computer can play, the dial with the receive started at once, each tone string
// played with AT+VTS between the end of the receive and its new start, and back out of voice
// mode at the hang-up. Its commands are written and awaited as the line's own are: announced,
// guarded against interruption, a box when no answer comes; ERROR to one of them ends voice
// mode for the call, with a box, and hangs up.
class VoiceCall {
public:
    using VoiceRefusal = VoiceCommands::Refusal;
    using TimeoutBox = LineControl::TimeoutBox;
    // The longest a second string waits for a prompt to end; the detector reports a longer
    // prompt as one that goes on too long.
    static constexpr int LongestPromptMs = 60000;
    enum class SetUp { Done, Refused, Stopped };

    explicit VoiceCall(LineControl& line);

    // The format the running call's audio comes in; nothing for a plain call.
    const std::optional<VoiceFormat>& format() const { return m_format; }

    // In Hook; *why tells what the modem refused.
    SetUp setUp(VoiceRefusal* why);
    bool dial(const QByteArray& dialLine);
    bool playTones(const QString& tones);
    // Between the two strings of a pair: a service that asks for the second one separately
    // starts its prompt within the pause, and the second waits for that prompt's end.
    bool pauseBetweenParts(int ms);
    bool endReceive(int timeoutMs, TimeoutBox box);
    bool leaveVoiceMode(int timeoutMs, TimeoutBox box);
    // The call is over (or the modem gone): the receive stops, the next call starts afresh.
    void forget();

private:
    using Reports = LineControl::Reports;

    // What a command came to.
    struct Answer {
        bool goesOn = false;   // the operation may carry on (also after a timeout and its box)
        bool answered = false; // OK, VCON or ERROR came in time
        bool refused = false;  // ERROR
        QStringList lines;     // what a question was answered
    };

    SetUp chooseFormat(VoiceRefusal* why, int* telephoneLine);
    bool startReceive();
    // Writes line and waits for its final result; a timeout shows its box.
    Answer command(const QByteArray& line, int timeoutMs, TimeoutBox box,
                   Reports reports = Reports::Nothing);
    // command() where ERROR ends voice mode for the call: false then.
    bool step(const QByteArray& line, int timeoutMs, Reports reports = Reports::Nothing);
    void refuse(const QByteArray& line);

    LineControl& m_line;
    std::optional<VoiceFormat> m_format; // while a call is in voice mode
    int m_toneMs = 0;                    // how long the modem plays each tone
};
