#include "LineControl.h"

#include "VoiceCall.h"
#include "VoiceReceiver.h"

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
    : QObject(parent), m_opener(opener), m_voice(voice), m_timing(timing),
      m_voiceCall(std::make_unique<VoiceCall>(*this))
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

const std::optional<VoiceFormat>& LineControl::voiceFormat() const
{
    return m_voiceCall->format();
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
        const VoiceCall::SetUp setUp = m_voiceCall->setUp(&why);
        if (setUp == VoiceCall::SetUp::Stopped)
            return;
        if (setUp == VoiceCall::SetUp::Done)
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
    if (voiceFormat()) {
        if (m_voiceCall->dial(dialCommand(mode, number)))
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
    const bool paused = voiceFormat() ? m_voiceCall->pauseBetweenParts(m_timing.pairPauseMs)
                                      : pause(m_timing.pairPauseMs);
    if (paused && sendChecked(second, check))
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
    if (voiceFormat() && !m_voiceCall->endReceive(timeoutMs, box))
        return;
    m_channel->discardInput();
    if (!writeCommand(OnHookCommand) || !awaitOk(timeoutMs, box))
        return;
    if (voiceFormat() && !m_voiceCall->leaveVoiceMode(timeoutMs, box))
        return;
    m_voiceCall->forget();
    retireChannel();
    finishOperation(State::Idle);
}

bool LineControl::writeCommand(const QByteArray& line)
{
    return m_channel->writeCommandLine(line);
}

bool LineControl::sendToneCommand(const QString& tones)
{
    if (voiceFormat())
        return m_voiceCall->playTones(tones);
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
    m_voiceCall->forget();
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
