#pragma once

#include "LineLabels.h"
#include "ReceiveStream.h"
#include "ReservationService.h"
#include "ServiceScript.h"
#include "VoiceMethods.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// The command interpreter of a V.250 voice modem, without any I/O: bytes from the program go
// in, the bytes the modem would answer (with the pauses between them) and readable transcript
// lines come out. The fault options make it misbehave the ways real modems do. In voice mode
// (+FCLASS=8) it speaks V.253 as Rockwell/Conexant modems do. A dialled call reaches the
// booking service of the options' script, on the time of the clock given; poll() brings what
// is due by then: the receive stream's audio and the service's events.
class ModemEmulator {
public:
    using Clock = std::function<qint64()>; // monotonic milliseconds

    struct Options {
        bool silent = false;        // answers nothing at all, not even the echo
        bool lowercaseOk = false;   // "ok" instead of "OK"
        bool splitOk = false;       // the OK arrives in two pieces with a pause between
        QByteArray dialAnswer;      // result code for dial and tone commands; empty: "OK"
        int answerDelayMs = 0;      // pause before every result code
        int hangupAfter = 0;        // the line vanishes after this many commands; 0: never
        bool garbage = false;       // random bytes stream after the first command
        bool noVoice = false;       // a data modem: no class 8, no voice commands
        bool refuseQueries = false; // ERROR to ATI and AT+FCLASS=?, like a plain data modem
        QByteArrayList refusals;    // command lines (after "AT") starting so answer ERROR
        VoiceMethods::Catalogue voiceMethods = VoiceMethods::Catalogue::Default;
        int lineLabel = 1;            // the +VLS label of the line alone ("T")
        bool vcon = false;            // VCON instead of OK after a voice dial, +VLS, a receive
        bool fixedToneLength = false; // tones last 1 s and +VTD is unknown
        int ringbackCycles = 0;       // before the service answers
        bool reportRingback = false;  // DLE r in the receive stream
        ServiceScript script = ServiceScript::reservation();
    };

    struct Chunk {
        int pauseBeforeMs = 0;
        QByteArray bytes;
    };

    struct Output {
        QList<Chunk> chunks;
        QStringList transcript;
        bool startGarbage = false;
        bool closeLine = false; // after the chunks have been sent
    };

    static constexpr int SplitPauseMs = 50;
    static constexpr int ToneGapMs = 50;
    static constexpr int DefaultToneUnits = 100; // +VTD, in 10 ms

    explicit ModemEmulator(const Options& options, Clock clock = {});

    Output receive(const QByteArray& bytes);
    Output poll();
    // How long until poll() has something to bring; -1: nothing until the next bytes.
    qint64 msUntilPoll() const;
    // The line goes away: the summary of a call still up.
    QStringList endCall();

private:
    enum class Hook { On, Off, Call };
    enum class Access { Action, Read, Test, Set };
    struct Extended {
        QByteArray name;
        Access access;
        QByteArray argument;
    };
    using Setter = std::function<QByteArray(const QByteArray& argument)>;

    static std::optional<Extended> parseExtended(const QByteArray& text);
    qint64 now() const;
    int toneMs() const;
    void receiveByte(char byte, Output& out);
    void receiveStreamByte(char byte, Output& out);
    void runLine(const QByteArray& line, Output& out);
    QByteArray resultOf(const QByteArray& command, Output& out);
    bool refused(const QByteArray& commands) const;
    QByteArray runCommands(const QByteArray& commands, Output& out);
    QByteArray runDial(const QByteArray& dialString, Output& out);
    QByteArray placeCall(const QString& number, bool pulse, bool held, Output& out);
    QByteArray runIdentification(const QByteArray& query, Output& out);
    QByteArray runExtended(const QByteArray& commands, Output& out);
    QByteArray runExtendedCommand(const Extended& command, Output& out);
    QByteArray runClass(const Extended& command, Output& out);
    QByteArray runVoiceCommand(const Extended& command, Output& out);
    QByteArray runParameter(const Extended& command, const QByteArrayList& range,
                            const QByteArray& value, const Setter& set);
    QByteArray runMethod(const Extended& command, Output& out);
    QByteArray setMethod(const QByteArray& argument, Output& out);
    QByteArray runLineSelection(const Extended& command, Output& out);
    QByteArray selectLine(const QByteArray& argument, Output& out);
    QByteArray runToneLength(const Extended& command, Output& out);
    QByteArray setToneLength(const QByteArray& argument, Output& out);
    QByteArray runTones(const Extended& command, Output& out);
    QByteArray runReceive(Output& out);
    void hearTones(const QString& digits, qint64 beginMs, qint64 endMs, Output& out);
    void endReceive(Output& out);
    void setHook(Hook hook, Output& out);
    void resetVoice();
    void answer(const QByteArray& resultCode, Output& out);
    QByteArray okText() const;
    QByteArray toneResult() const;
    QByteArray voiceOk() const;

    Options m_options;
    Clock m_clock;
    QElapsedTimer m_started;
    QByteArray m_line;
    QByteArrayList m_information; // lines the running command answers before its result
    qint64 m_resultPauseMs = 0;   // the running command's result comes this much later
    bool m_echo = true;
    bool m_closed = false;
    Hook m_hook = Hook::On;
    int m_commandCount = 0;
    QByteArray m_class = "0";
    VoiceMethods m_methods;
    VoiceMethods::Selection m_method;
    LineLabels m_labels;
    int m_lineLabel = 0;
    int m_toneUnits = DefaultToneUnits;
    qint64 m_tonesEndAt = 0;
    ReservationService m_service;
    std::optional<ReceiveStream> m_receiver;
};
