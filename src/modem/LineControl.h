#pragma once

#include "CommandChannel.h"
#include "PortOpener.h"
#include "VoiceCommands.h"
#include "VoiceFormat.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class VoiceCall;
class VoiceReceiver;

// The state of the telephone line, in one place. Hook opens the port and takes the line
// off-hook, Dial dials the service with the call held, HookOFF hangs up and closes the
// port; tone strings are played into the call between Dial and HookOFF. The window maps
// state() to the enabled buttons and shows the boxes the signals ask for.
//
// A call in voice mode (ITU-T V.253) does the same through the modem's voice commands: the
// line's audio streams to the computer from the dial to the hang-up (the voice receiver plays it
// and hears the service's prompts), and each tone string ends the receive, is played with
// AT+VTS and starts the receive again.
class LineControl : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,      // port closed, on-hook
        Hooking,   // port open, waiting for the OK of "ATH1"
        OffHook,   // port open, line off-hook
        Dialling,  // dial command written, pausing and waiting for OK
        Dialled,   // call up, modem in command state
        HangingUp, // "ATH0" written, waiting for OK
    };
    Q_ENUM(State)

    enum class DialMode { Pulse, Tone };

    enum class Mode {
        Plain, // tone strings as dial strings, at 9600 baud, as calls have always been made
        Voice, // the call streamed to the computer, tones played by AT+VTS
    };

    using VoiceRefusal = VoiceCommands::Refusal;

    // What a running wait is waiting for, for a status display.
    enum class Wait {
        Reply,  // the modem's "OK" CR LF
        Pause,  // a fixed pause (after the dial command, between the strings of a tone pair)
        Prompt, // the end of the service's prompt (voice mode, between the strings of a pair)
    };
    Q_ENUM(Wait)

    struct Timing {
        int replyTimeoutMs = 5000;     // wait for "OK" CR LF
        int dialPauseMs = 5000;        // fixed pause after the dial command
        int pairPauseMs = 3000;        // between the two strings of a tone pair
        int exitReplyTimeoutMs = 1000; // hang-up on exit: at most this, without a box
    };

    // Asked just before each string of a tone pair goes out: false skips that string. It may
    // run events (a modal box); the pair goes on afterwards unless it was interrupted.
    using ToneCheck = std::function<bool(const QString& tones)>;
    // Asked when voice mode was asked for and the modem refuses it; true makes a plain call
    // instead. It may run events (a modal box).
    using PlainFallback = std::function<bool(VoiceRefusal why)>;

    // voice plays and watches the audio of calls in voice mode.
    LineControl(PortOpener& opener, VoiceReceiver& voice, QObject* parent = nullptr); // real times
    LineControl(PortOpener& opener, VoiceReceiver& voice, const Timing& timing,
                QObject* parent = nullptr);
    ~LineControl() override;

    State state() const;
    bool isPortOpen() const;
    // True while an operation talks to the modem (its waits and pauses included).
    bool isBusy() const;

    // devicePath as for PortOpener::open().
    void hook(const QString& devicePath, Mode mode = Mode::Plain,
              const PlainFallback& askPlain = {});
    // The format the running call's audio comes in; nothing for a plain call.
    const std::optional<VoiceFormat>& voiceFormat() const;
    VoiceReceiver& voice() { return m_voice; }
    void dial(DialMode mode, const QString& number); // number already checked by the caller
    // Also while another operation waits: that wait ends at once without a box, the
    // interrupted operation does not carry on, and the hang-up runs.
    void hookOff();

    // Refused (false, nothing written) when the port is closed or another operation runs.
    bool sendTones(const QString& tones);
    // Two tone strings with a pause between them, each passed through check first. The pause
    // runs whether the first string went out, was skipped or timed out.
    bool sendTonePair(const QString& first, const QString& second, const ToneCheck& check);

    // For leaving the program: ends any running operation, sends "ATH0" CR, waits for OK at
    // most exitReplyTimeoutMs without a box, closes the port. Does nothing when closed.
    void hangUpForExit();

Q_SIGNALS:
    void stateChanged(LineControl::State state);
    void busyChanged(bool busy);

    // Connected directly by the window, which shows its box; the operation carries on
    // when the slot returns. modemAnswer is a recognised result code ("NO DIALTONE") or empty.
    void replyTimedOut(const QString& modemAnswer);
    void portOpenFailed(const PortOpener::Failure& failure);
    // The device went away or refused a write; detail is the system's wording, maybe empty.
    // The port has been closed and the state is Idle.
    void deviceFailed(const QString& deviceName, const QString& detail);

    // Every waitStarted is followed by one waitEnded, also when the wait is interrupted.
    void waitStarted(LineControl::Wait kind, int durationMs);
    void waitEnded();
    // After each wait for "OK": ok is false on timeout; modemAnswer as for replyTimedOut.
    void commandAnswered(bool ok, const QString& modemAnswer);
    // Which string of a tone pair comes next: 0 before the first is checked, 1 as the pause
    // before the second begins.
    void pairPartStarted(int part);
    // The modem refused a command of a call in voice mode (ERROR); the line hangs up when the
    // slot returns, out of voice mode again.
    void voiceCommandRefused(const QString& command);

private:
    enum class TimeoutBox { Show, None };
    // Whether a command's answer counts as the operation's (for a display and the focus).
    enum class Reports { Answer, Nothing };

    // The voice-mode side of the operations, which writes and waits as they do.
    friend class VoiceCall;

    // Taken before anything that runs nested events; tells afterwards whether the
    // operation may carry on, or was interrupted (hang-up, device failure, destruction).
    class Continuation {
    public:
        explicit Continuation(const LineControl* line)
            : m_line(line), m_interruptions(line->m_interruptions)
        {
        }
        bool holds() const { return m_line && m_line->m_interruptions == m_interruptions; }

    private:
        QPointer<const LineControl> m_line;
        quint64 m_interruptions;
    };

    bool canSend() const;
    bool openPort(const QString& devicePath, PortOpener::Speed speed);
    void adoptDevice(std::unique_ptr<QIODevice> device, const QString& devicePath);
    void retireChannel();
    void beginOperation(State state);
    void finishOperation(State state);
    void interruptRunningOperation();
    void hangUp(int timeoutMs, TimeoutBox box);

    // Each of these returns whether the operation that called it may carry on: false when
    // it was interrupted (hang-up, device failure) or this object is gone meanwhile.
    bool writeCommand(const QByteArray& line);
    bool sendToneCommand(const QString& tones);

    bool fallBackToPlain(const QString& devicePath, VoiceRefusal why,
                         const PlainFallback& askPlain);
    bool sendChecked(const QString& tones, const ToneCheck& check);
    bool awaitOk(int timeoutMs, TimeoutBox box);
    // After a wait that ran out: tells whoever follows and shows the box; false when the
    // operation was interrupted meanwhile.
    bool reportAnswer(bool ok, const QString& modemAnswer, TimeoutBox box);
    bool pause(int ms);
    // Announces the wait, runs it and announces its end; false when the operation was
    // interrupted meanwhile (then no end is announced: the interruption did that).
    bool announcedWait(Wait kind, int durationMs, const std::function<void()>& run);

    void beginWait(Wait kind, int durationMs);
    void endWait();
    void onChannelFailed(const QString& detail);
    void setState(State state);
    void setBusy(bool busy);

    PortOpener& m_opener;
    VoiceReceiver& m_voice;
    Timing m_timing;
    State m_state = State::Idle;
    bool m_busy = false;
    bool m_waitRunning = false;
    // Counts interruptions; an operation that sees it change after a wait stops there.
    quint64 m_interruptions = 0;
    QPointer<CommandChannel> m_channel; // owns the device; null while the port is closed
    QString m_devicePath;
    std::unique_ptr<VoiceCall> m_voiceCall;
};
