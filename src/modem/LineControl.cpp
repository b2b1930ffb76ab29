#include "LineControl.h"

#include "VoiceCommands.h"
#include "VoiceReceiver.h"

#include <QElapsedTimer>

namespace {

const QByteArray OffHookCommand = QByteArrayLiteral("ATH1\r");
const QByteArray OnHookCommand = QByteArrayLiteral("ATH0\r");

// Tone commands end in CR LF and every other command in CR alone: these are the bytes the
// modems in use have always been sent, and they are kept exactly. A V.250 modem runs the line
// at the CR and drops the LF that follows, so neither form needs "fixing" to match the other.
QByteArray toneCommand(const QString& tones)
{
    return "ATDT" + tones.toLatin1() + ";\r\n";
}

QByteArray dialCommand(LineControl::DialMode mode, const QString& number)
{
    const QByteArray prefix = mode == LineControl::DialMode::Pulse ? "ATDP" : "ATDT";
    return prefix + number.toLatin1() + ";\r";
}

} // namespace

LineControl::LineControl(PortOpener& opener, VoiceReceiver& voice, QObject* parent)
    : LineControl(opener, voice, Timing(), parent)
{
}

LineControl::LineControl(PortOpener& opener, VoiceReceiver& voice, const Timing& timing,
                         QObject* parent)
    : QObject(parent), m_opener(opener), m_voice(voice), m_timing(timing)
{
}

LineControl::~LineControl()
{
    if (m_channel)
        m_channel->stopStream(); // the stream feeds the voice receiver, which outlives no call
    // Destroyed from inside one of its own waits: the channel must outlive that wait.
    if (m_channel && m_channel->isWaiting()) {
        m_channel->setParent(nullptr);
        m_channel->abort();
        m_channel->deleteWhenIdle();
    }
}

LineControl::State LineControl::state() const
{
    return m_state;
}

bool LineControl::isPortOpen() const
{
    return m_channel && m_channel->isOpen();
}

bool LineControl::isBusy() const
{
    return m_busy;
}

void LineControl::hook(const QString& devicePath, Mode mode, const PlainFallback& askPlain)
{
    if (m_state != State::Idle)
        return;
    const bool voice = mode == Mode::Voice;
    if (!openPort(devicePath, voice ? PortOpener::Speed::VoiceStream : PortOpener::Speed::Commands))
        return;
    beginOperation(State::Hooking);
    if (voice) {
        VoiceRefusal why = VoiceRefusal::NoVoiceMode;
        const SetUp setUp = setUpVoice(&why);
        if (setUp == SetUp::Stopped)
            return;
        if (setUp == SetUp::Done)
            return finishOperation(State::OffHook);
        if (!fallBackToPlain(devicePath, why, askPlain))
            return;
    }
    // No discard: the port has just been opened.
    if (writeCommand(OffHookCommand) && awaitOk(m_timing.replyTimeoutMs, TimeoutBox::Show))
        finishOperation(State::OffHook);
}

void LineControl::dial(DialMode mode, const QString& number)
{
    if (m_state != State::OffHook || m_busy)
        return;
    beginOperation(State::Dialling);
    m_channel->discardInput();
    if (m_voiceFormat) {
        if (dialInVoiceMode(dialCommand(mode, number)))
            finishOperation(State::Dialled);
        return;
    }
    // What the modem sends during the pause stays unread and counts for the wait after it.
    if (writeCommand(dialCommand(mode, number)) && pause(m_timing.dialPauseMs) &&
        awaitOk(m_timing.replyTimeoutMs, TimeoutBox::Show))
        finishOperation(State::Dialled);
}

void LineControl::hookOff()
{
    if (m_state != State::HangingUp)
        hangUp(m_timing.replyTimeoutMs, TimeoutBox::Show);
}

void LineControl::hangUpForExit()
{
    hangUp(m_timing.exitReplyTimeoutMs, TimeoutBox::None);
}

bool LineControl::sendTones(const QString& tones)
{
    if (!canSend())
        return false;
    const State callState = m_state;
    beginOperation(callState);
    if (sendToneCommand(tones))
        finishOperation(callState);
    return true;
}

bool LineControl::sendTonePair(const QString& first, const QString& second, const ToneCheck& check)
{
    if (!canSend())
        return false;
    const State callState = m_state;
    beginOperation(callState);
    Q_EMIT pairPartStarted(0);
    if (!sendChecked(first, check))
        return true;
    Q_EMIT pairPartStarted(1);
    if (pause(m_timing.pairPauseMs) && sendChecked(second, check))
        finishOperation(callState);
    return true;
}

bool LineControl::canSend() const
{
    return !m_busy && (m_state == State::OffHook || m_state == State::Dialled);
}

bool LineControl::openPort(const QString& devicePath, PortOpener::Speed speed)
{
    PortOpener::Result opened = m_opener.open(devicePath, speed);
    if (!opened.device) {
        Q_EMIT portOpenFailed(opened.failure);
        return false;
    }
    adoptDevice(std::move(opened.device), devicePath);
    return true;
}

void LineControl::adoptDevice(std::unique_ptr<QIODevice> opened, const QString& devicePath)
{
    QIODevice* device = opened.release();
    auto* channel = new CommandChannel(device, this);
    device->setParent(channel);
    connect(channel, &CommandChannel::deviceFailed, this, [this, channel](const QString& reason) {
        if (channel == m_channel)
            onChannelFailed(reason);
    });
    m_channel = channel;
    m_devicePath = devicePath;
}

void LineControl::retireChannel()
{
    m_channel->close();
    m_channel->deleteWhenIdle();
    m_channel = nullptr;
}

void LineControl::beginOperation(State state)
{
    setState(state);
    setBusy(true);
}

void LineControl::finishOperation(State state)
{
    setState(state);
    setBusy(false);
}

void LineControl::interruptRunningOperation()
{
    ++m_interruptions;
    if (m_channel)
        m_channel->abort();
    if (m_waitRunning)
        endWait();
}

void LineControl::hangUp(int timeoutMs, TimeoutBox box)
{
    if (m_state == State::Idle)
        return;
    interruptRunningOperation();
    beginOperation(State::HangingUp);
    if (m_voiceFormat && !endReceive(timeoutMs, box))
        return;
    m_channel->discardInput();
    if (!writeCommand(OnHookCommand) || !awaitOk(timeoutMs, box))
        return;
    if (m_voiceFormat && !leaveVoiceMode(timeoutMs, box))
        return;
    forgetVoiceCall();
    retireChannel();
    finishOperation(State::Idle);
}

bool LineControl::writeCommand(const QByteArray& line)
{
    return m_channel->writeCommandLine(line);
}

bool LineControl::sendToneCommand(const QString& tones)
{
    if (m_voiceFormat)
        return playVoiceTones(tones);
    m_channel->discardInput();
    return writeCommand(toneCommand(tones)) && awaitOk(m_timing.replyTimeoutMs, TimeoutBox::Show);
}

bool LineControl::sendChecked(const QString& tones, const ToneCheck& check)
{
    const Continuation continuation(this);
    const bool accepted = check(tones); // may show a box, and events run meanwhile
    if (!continuation.holds())
        return false;
    return !accepted || sendToneCommand(tones);
}

bool LineControl::awaitOk(int timeoutMs, TimeoutBox box)
{
    CommandChannel::Reply reply{CommandChannel::Outcome::Aborted, {}};
    if (!announcedWait(Wait::Reply, timeoutMs, [&] { reply = m_channel->waitOk(timeoutMs); }))
        return false;
    if (reply.outcome != CommandChannel::Outcome::Ok &&
        reply.outcome != CommandChannel::Outcome::TimedOut)
        return false; // the device failed; onChannelFailed follows
    return reportAnswer(reply.outcome == CommandChannel::Outcome::Ok, reply.modemAnswer, box);
}

bool LineControl::reportAnswer(bool ok, const QString& modemAnswer, TimeoutBox box)
{
    const Continuation continuation(this);
    Q_EMIT commandAnswered(ok, modemAnswer);
    if (!ok && box == TimeoutBox::Show)
        Q_EMIT replyTimedOut(modemAnswer); // the box is modal: events run meanwhile
    return continuation.holds();
}

bool LineControl::pause(int ms)
{
    auto outcome = CommandChannel::Outcome::Aborted;
    return announcedWait(Wait::Pause, ms, [&] { outcome = m_channel->waitMilliseconds(ms); }) &&
           outcome == CommandChannel::Outcome::Ok;
}

bool LineControl::announcedWait(Wait kind, int durationMs, const std::function<void()>& run)
{
    const Continuation continuation(this);
    beginWait(kind, durationMs);
    if (!continuation.holds()) // whoever heard of the wait hung up, or the device went
        return false;
    run();
    if (!continuation.holds())
        return false;
    endWait();
    return true;
}

void LineControl::beginWait(Wait kind, int durationMs)
{
    m_waitRunning = true;
    Q_EMIT waitStarted(kind, durationMs);
}

void LineControl::endWait()
{
    m_waitRunning = false;
    Q_EMIT waitEnded();
}

void LineControl::onChannelFailed(const QString& detail)
{
    interruptRunningOperation();
    forgetVoiceCall();
    retireChannel();
    setBusy(false);
    setState(State::Idle);
    Q_EMIT deviceFailed(m_devicePath, detail);
}

void LineControl::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void LineControl::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

// ---- voice mode ---------------------------------------------------------------------------

// Into voice mode, a format chosen from what the modem offers, the line taken through it.
LineControl::SetUp LineControl::setUpVoice(VoiceRefusal* why)
{
    const int timeoutMs = m_timing.replyTimeoutMs;
    const VoiceAnswer entered =
        voiceCommand(VoiceCommands::enterVoiceMode(), timeoutMs, TimeoutBox::Show);
    if (entered.goesOn && !entered.answered) // its box has told; Dial and HookOFF as ever
        finishOperation(State::OffHook);
    if (!entered.goesOn || !entered.answered)
        return SetUp::Stopped;
    if (entered.refused) {
        *why = VoiceRefusal::NoVoiceMode;
        return SetUp::Refused;
    }
    int telephoneLine = 0;
    const SetUp chosen = chooseVoiceFormat(why, &telephoneLine);
    if (chosen != SetUp::Done)
        return chosen;
    // A modem that keeps its own tone length is no failure: the tones' wait allows for it.
    const VoiceAnswer shortTones =
        voiceCommand(VoiceCommands::shortTones(), timeoutMs, TimeoutBox::Show);
    if (!shortTones.goesOn)
        return SetUp::Stopped;
    m_toneMs = shortTones.answered && !shortTones.refused ? VoiceCommands::ShortToneMs
                                                          : VoiceCommands::DefaultToneMs;
    return voiceStep(VoiceCommands::connectLine(telephoneLine), timeoutMs) ? SetUp::Done
                                                                           : SetUp::Stopped;
}

LineControl::SetUp LineControl::chooseVoiceFormat(VoiceRefusal* why, int* telephoneLine)
{
    const int timeoutMs = m_timing.replyTimeoutMs;
    const VoiceAnswer methods =
        voiceCommand(VoiceCommands::askMethods(), timeoutMs, TimeoutBox::Show);
    if (!methods.goesOn)
        return SetUp::Stopped;
    const VoiceAnswer lines =
        voiceCommand(VoiceCommands::askLineSettings(), timeoutMs, TimeoutBox::Show);
    if (!lines.goesOn)
        return SetUp::Stopped;
    const VoiceCommands::Offer offer = VoiceCommands::offer(methods.lines, lines.lines);
    if (const std::optional<VoiceRefusal> refusal = offer.refusal()) {
        *why = *refusal;
        return leaveVoiceMode(timeoutMs, TimeoutBox::Show) ? SetUp::Refused : SetUp::Stopped;
    }
    m_voiceFormat = offer.format;
    *telephoneLine = *offer.telephoneLine;
    return voiceStep(VoiceCommands::chooseFormat(*offer.format), timeoutMs) ? SetUp::Done
                                                                            : SetUp::Stopped;
}

bool LineControl::fallBackToPlain(const QString& devicePath, VoiceRefusal why,
                                  const PlainFallback& askPlain)
{
    const Continuation continuation(this);
    const bool plain = askPlain && askPlain(why); // a question: events run meanwhile
    if (!continuation.holds())
        return false;
    // A plain call runs at the speed plain calls always have.
    retireChannel();
    if (plain && openPort(devicePath, PortOpener::Speed::Commands))
        return true;
    finishOperation(State::Idle);
    return false;
}

bool LineControl::dialInVoiceMode(const QByteArray& dialLine)
{
    QElapsedTimer sinceDial;
    sinceDial.start();
    const VoiceAnswer dialled =
        voiceCommand(dialLine, m_timing.dialPauseMs + m_timing.replyTimeoutMs, TimeoutBox::Show,
                     Reports::Answer);
    if (!dialled.goesOn)
        return false;
    if (dialled.refused) {
        refuseVoiceCall(dialLine);
        return false;
    }
    if (dialled.answered && !startReceive())
        return false;
    // The rest of the dial pause is spent listening: a greeting that starts meanwhile is heard.
    return pause(std::max(0, m_timing.dialPauseMs - int(sinceDial.elapsed())));
}

bool LineControl::playVoiceTones(const QString& tones)
{
    const std::optional<QByteArray> command = VoiceCommands::tones(tones);
    if (!command)
        return true; // nothing to play
    const int timeoutMs = m_timing.replyTimeoutMs + VoiceCommands::playingMs(tones, m_toneMs);
    return endReceive(m_timing.replyTimeoutMs, TimeoutBox::Show) &&
           voiceStep(*command, timeoutMs, Reports::Answer) && startReceive();
}

bool LineControl::startReceive()
{
    const QByteArray command = VoiceCommands::receive();
    if (!writeCommand(command))
        return false;
    const int timeoutMs = m_timing.replyTimeoutMs;
    CommandChannel::Connection connection{CommandChannel::Outcome::Aborted, false, {}};
    if (!announcedWait(Wait::Reply, timeoutMs,
                       [&] { connection = m_channel->waitConnect(timeoutMs, command.chopped(1)); }))
        return false;
    if (connection.outcome == CommandChannel::Outcome::TimedOut)
        return reportAnswer(false, {}, TimeoutBox::Show); // the call goes on unheard
    if (connection.outcome != CommandChannel::Outcome::Ok)
        return false; // the device failed; onChannelFailed follows
    if (connection.refused) {
        refuseVoiceCall(command);
        return false;
    }
    m_voice.start(*m_voiceFormat);
    m_channel->startStream(
        [voice = &m_voice](const QByteArray& bytes) { return voice->feed(bytes); },
        connection.streamStart);
    return true;
}

bool LineControl::endReceive(int timeoutMs, TimeoutBox box)
{
    if (!m_channel->isStreaming())
        return true;
    // The modem ends the stream with DLE ETX and then answers: the wait sees only the answer.
    const VoiceAnswer ended = voiceCommand(VoiceCommands::endReceive(), timeoutMs, box);
    if (m_channel)
        m_channel->stopStream(); // also a stream that did not end: what still comes is unread
    m_voice.stop();
    return ended.goesOn;
}

bool LineControl::leaveVoiceMode(int timeoutMs, TimeoutBox box)
{
    return writeCommand(VoiceCommands::leaveVoiceMode()) && awaitOk(timeoutMs, box);
}

LineControl::VoiceAnswer LineControl::voiceCommand(const QByteArray& line, int timeoutMs,
                                                   TimeoutBox box, Reports reports)
{
    VoiceAnswer result;
    if (!writeCommand(line))
        return result;
    const QByteArray echo = line.endsWith('\r') ? line.chopped(1) : line;
    CommandChannel::Answer answer{CommandChannel::Outcome::Aborted, false, {}, {}};
    if (!announcedWait(Wait::Reply, timeoutMs,
                       [&] { answer = m_channel->waitAnswer(timeoutMs, echo); }))
        return result;
    if (answer.outcome != CommandChannel::Outcome::Ok &&
        answer.outcome != CommandChannel::Outcome::TimedOut)
        return result; // the device failed; onChannelFailed follows
    result.answered = answer.outcome == CommandChannel::Outcome::Ok;
    result.refused = answer.refused;
    result.lines = answer.information;
    if (!result.answered)
        result.goesOn = reportAnswer(false, answer.modemAnswer, box);
    else if (reports == Reports::Answer)
        result.goesOn =
            reportAnswer(!answer.refused, answer.refused ? "ERROR" : "", TimeoutBox::None);
    else
        result.goesOn = true;
    return result;
}

bool LineControl::voiceStep(const QByteArray& line, int timeoutMs, Reports reports)
{
    const VoiceAnswer answer = voiceCommand(line, timeoutMs, TimeoutBox::Show, reports);
    if (answer.goesOn && answer.refused)
        refuseVoiceCall(line);
    return answer.goesOn && !answer.refused;
}

// The call cannot go on in voice mode: the window says so, and the line is hung up cleanly.
void LineControl::refuseVoiceCall(const QByteArray& line)
{
    const Continuation continuation(this);
    Q_EMIT voiceCommandRefused(QString::fromLatin1(line.trimmed())); // a box: events run
    if (continuation.holds())
        hangUp(m_timing.replyTimeoutMs, TimeoutBox::Show);
}

void LineControl::forgetVoiceCall()
{
    if (m_channel)
        m_channel->stopStream();
    m_voiceFormat.reset();
    m_voice.endCall();
}
