#include "VoiceCall.h"

#include "VoiceReceiver.h"

#include <QElapsedTimer>

#include <algorithm>

VoiceCall::VoiceCall(LineControl& line) : m_line(line) {}

// Into voice mode, a format chosen from what the modem offers, the line taken through it.
VoiceCall::SetUp VoiceCall::setUp(VoiceRefusal* why)
{
    const int timeoutMs = m_line.m_timing.replyTimeoutMs;
    const Answer entered = command(VoiceCommands::enterVoiceMode(), timeoutMs, TimeoutBox::Show);
    if (entered.goesOn && !entered.answered) // its box has told; Dial and HookOFF as ever
        m_line.finishOperation(LineControl::State::OffHook);
    if (!entered.goesOn || !entered.answered)
        return SetUp::Stopped;
    if (entered.refused) {
        *why = VoiceRefusal::NoVoiceMode;
        return SetUp::Refused;
    }
    int telephoneLine = 0;
    const SetUp chosen = chooseFormat(why, &telephoneLine);
    if (chosen != SetUp::Done)
        return chosen;
    // A modem that keeps its own tone length is no failure: the tones' wait allows for it.
    const Answer shortTones = command(VoiceCommands::shortTones(), timeoutMs, TimeoutBox::Show);
    if (!shortTones.goesOn)
        return SetUp::Stopped;
    m_toneMs = shortTones.answered && !shortTones.refused ? VoiceCommands::ShortToneMs
                                                          : VoiceCommands::DefaultToneMs;
    // Taking the line is what Hook did: its answer is the operation's.
    return step(VoiceCommands::connectLine(telephoneLine), timeoutMs, Reports::Answer)
               ? SetUp::Done
               : SetUp::Stopped;
}

VoiceCall::SetUp VoiceCall::chooseFormat(VoiceRefusal* why, int* telephoneLine)
{
    const int timeoutMs = m_line.m_timing.replyTimeoutMs;
    const Answer methods = command(VoiceCommands::askMethods(), timeoutMs, TimeoutBox::Show);
    if (!methods.goesOn)
        return SetUp::Stopped;
    const Answer lines = command(VoiceCommands::askLineSettings(), timeoutMs, TimeoutBox::Show);
    if (!lines.goesOn)
        return SetUp::Stopped;
    const VoiceCommands::Offer offer = VoiceCommands::offer(methods.lines, lines.lines);
    if (const std::optional<VoiceRefusal> refusal = offer.refusal()) {
        *why = *refusal;
        return leaveVoiceMode(timeoutMs, TimeoutBox::Show) ? SetUp::Refused : SetUp::Stopped;
    }
    m_format = offer.format;
    *telephoneLine = *offer.telephoneLine;
    return step(VoiceCommands::chooseFormat(*offer.format), timeoutMs) ? SetUp::Done
                                                                       : SetUp::Stopped;
}

bool VoiceCall::dial(const QByteArray& dialLine)
{
    QElapsedTimer sinceDial;
    sinceDial.start();
    const Answer dialled =
        command(dialLine, m_line.m_timing.dialPauseMs + m_line.m_timing.replyTimeoutMs,
                TimeoutBox::Show, Reports::Answer);
    if (!dialled.goesOn)
        return false;
    if (dialled.refused) {
        refuse(dialLine);
        return false;
    }
    if (dialled.answered && !startReceive())
        return false;
    // The rest of the dial pause is spent listening: a greeting that starts meanwhile is heard.
    return m_line.pause(std::max(0, m_line.m_timing.dialPauseMs - int(sinceDial.elapsed())));
}

bool VoiceCall::playTones(const QString& tones)
{
    const std::optional<QByteArray> tonesLine = VoiceCommands::tones(tones);
    if (!tonesLine)
        return true; // nothing to play
    const int timeoutMs =
        m_line.m_timing.replyTimeoutMs + VoiceCommands::playingMs(tones, m_toneMs);
    return endReceive(m_line.m_timing.replyTimeoutMs, TimeoutBox::Show) &&
           step(*tonesLine, timeoutMs, Reports::Answer) && startReceive();
}

bool VoiceCall::pauseBetweenParts(int ms)
{
    VoiceReceiver& voice = m_line.m_voice;
    if (!m_line.pause(ms))
        return false;
    if (!voice.isSpeaking())
        return true;
    auto outcome = CommandChannel::Outcome::Aborted;
    return m_line.announcedWait(LineControl::Wait::Prompt, LongestPromptMs, [&] {
        outcome =
            m_line.m_channel->waitForSignal(LongestPromptMs, &voice, &VoiceReceiver::promptEnded);
    }) && outcome == CommandChannel::Outcome::Ok;
}

bool VoiceCall::startReceive()
{
    const QByteArray receive = VoiceCommands::receive();
    if (!m_line.writeCommand(receive))
        return false;
    const int timeoutMs = m_line.m_timing.replyTimeoutMs;
    CommandChannel::Connection connection{CommandChannel::Outcome::Aborted, false, {}};
    if (!m_line.announcedWait(LineControl::Wait::Reply, timeoutMs, [&] {
            connection = m_line.m_channel->waitConnect(timeoutMs, receive.chopped(1));
        }))
        return false;
    if (connection.outcome == CommandChannel::Outcome::TimedOut)
        return m_line.reportAnswer(false, {}, TimeoutBox::Show); // the call goes on unheard
    if (connection.outcome != CommandChannel::Outcome::Ok)
        return false; // the device failed; onChannelFailed follows
    if (connection.refused) {
        refuse(receive);
        return false;
    }
    m_line.m_voice.start(*m_format);
    m_line.m_channel->startStream(
        [voice = &m_line.m_voice](const QByteArray& bytes) { return voice->feed(bytes); },
        connection.streamStart);
    return true;
}

bool VoiceCall::endReceive(int timeoutMs, TimeoutBox box)
{
    if (!m_line.m_channel->isStreaming())
        return true;
    // The modem ends the stream with DLE ETX and then answers: the wait sees only the answer.
    const Answer ended = command(VoiceCommands::endReceive(), timeoutMs, box);
    if (m_line.m_channel)
        m_line.m_channel
            ->stopStream(); // also a stream that did not end: what still comes is unread
    m_line.m_voice.stop();
    return ended.goesOn;
}

bool VoiceCall::leaveVoiceMode(int timeoutMs, TimeoutBox box)
{
    return m_line.writeCommand(VoiceCommands::leaveVoiceMode()) && m_line.awaitOk(timeoutMs, box);
}

VoiceCall::Answer VoiceCall::command(const QByteArray& line, int timeoutMs, TimeoutBox box,
                                     Reports reports)
{
    Answer result;
    if (!m_line.writeCommand(line))
        return result;
    const QByteArray echo = line.endsWith('\r') ? line.chopped(1) : line;
    CommandChannel::Answer answer{CommandChannel::Outcome::Aborted, false, {}, {}};
    if (!m_line.announcedWait(LineControl::Wait::Reply, timeoutMs,
                              [&] { answer = m_line.m_channel->waitAnswer(timeoutMs, echo); }))
        return result;
    if (answer.outcome != CommandChannel::Outcome::Ok &&
        answer.outcome != CommandChannel::Outcome::TimedOut)
        return result; // the device failed; onChannelFailed follows
    result.answered = answer.outcome == CommandChannel::Outcome::Ok;
    result.refused = answer.refused;
    result.lines = answer.information;
    if (!result.answered)
        result.goesOn = m_line.reportAnswer(false, answer.modemAnswer, box);
    else if (reports == Reports::Answer)
        result.goesOn =
            m_line.reportAnswer(!answer.refused, answer.refused ? "ERROR" : "", TimeoutBox::None);
    else
        result.goesOn = true;
    return result;
}

bool VoiceCall::step(const QByteArray& line, int timeoutMs, Reports reports)
{
    const Answer answer = command(line, timeoutMs, TimeoutBox::Show, reports);
    if (answer.goesOn && answer.refused)
        refuse(line);
    return answer.goesOn && !answer.refused;
}

// The call cannot go on in voice mode: the window says so, and the line is hung up cleanly.
void VoiceCall::refuse(const QByteArray& line)
{
    const LineControl::Continuation continuation(&m_line);
    Q_EMIT m_line.voiceCommandRefused(QString::fromLatin1(line.trimmed())); // a box: events run
    if (continuation.holds())
        m_line.hangUp(m_line.m_timing.replyTimeoutMs, TimeoutBox::Show);
}

void VoiceCall::forget()
{
    if (m_line.m_channel)
        m_line.m_channel->stopStream();
    m_format.reset();
    m_line.m_voice.endCall();
}
