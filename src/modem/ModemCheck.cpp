#include "ModemCheck.h"

#include <memory>

namespace {

using Outcome = CommandChannel::Outcome;
using Query = ModemCheck::Query;

const QByteArray Attention = QByteArrayLiteral("AT");
const QByteArray Identification = QByteArrayLiteral("ATI");
const QByteArray ServiceClasses = QByteArrayLiteral("AT+FCLASS=?");
const QString VoiceClass = QStringLiteral("8");

CommandChannel::Answer ask(CommandChannel& channel, const QByteArray& command, int timeoutMs)
{
    channel.discardInput();
    if (!channel.writeCommandLine(command + '\r'))
        return {Outcome::DeviceFailed, false, {}, {}};
    return channel.waitAnswer(timeoutMs, command);
}

Query::Status queryStatus(const CommandChannel::Answer& answer)
{
    if (answer.outcome != Outcome::Ok)
        return Query::Status::NoAnswer;
    return answer.refused ? Query::Status::NotSupported : Query::Status::Answered;
}

// The check cannot go on after this answer.
bool endsCheck(const CommandChannel::Answer& answer)
{
    return answer.outcome == Outcome::Aborted || answer.outcome == Outcome::DeviceFailed;
}

// Nothing to report after an abort: the program is leaving.
std::optional<ModemCheck::Result> endedEarly(const CommandChannel::Answer& answer,
                                             const CommandChannel& channel,
                                             ModemCheck::Result result)
{
    if (answer.outcome == Outcome::Aborted)
        return std::nullopt;
    result.outcome = ModemCheck::Outcome::DeviceLost;
    result.lostDetail = channel.failureReason();
    return result;
}

QByteArray withoutLineEnd(const QByteArray& line)
{
    return line.chopped(1);
}

// Into voice mode for its two questions only, and out of it again: the line is never taken.
std::optional<ModemCheck::Result> askVoiceMode(CommandChannel& channel, int timeoutMs,
                                               ModemCheck::Result result)
{
    auto& voice = result.voice;
    voice.asked = true;
    const CommandChannel::Answer entered =
        ask(channel, withoutLineEnd(VoiceCommands::enterVoiceMode()), timeoutMs);
    if (endsCheck(entered))
        return endedEarly(entered, channel, result);
    voice.answered = entered.outcome == Outcome::Ok;
    if (entered.refused) {
        voice.refusal = VoiceCommands::Refusal::NoVoiceMode;
        return result;
    }
    if (!voice.answered) { // it may have gone into voice mode all the same
        const CommandChannel::Answer left =
            ask(channel, withoutLineEnd(VoiceCommands::leaveVoiceMode()), timeoutMs);
        return endsCheck(left) ? endedEarly(left, channel, result) : result;
    }
    QList<CommandChannel::Answer> answers;
    for (const QByteArray& command : {VoiceCommands::askMethods(), VoiceCommands::askLineSettings(),
                                      VoiceCommands::leaveVoiceMode()}) {
        answers << ask(channel, withoutLineEnd(command), timeoutMs);
        if (endsCheck(answers.last()))
            return endedEarly(answers.last(), channel, result);
    }
    voice.offer = VoiceCommands::offer(answers[0].information, answers[1].information);
    voice.refusal = voice.offer.refusal();
    return result;
}

// Everything after opening: the commands in order, each with its own deadline.
std::optional<ModemCheck::Result> talk(CommandChannel& channel, int timeoutMs,
                                       ModemCheck::Result result)
{
    const CommandChannel::Answer attention = ask(channel, Attention, timeoutMs);
    if (endsCheck(attention))
        return endedEarly(attention, channel, result);
    if (queryStatus(attention) != Query::Status::Answered) {
        result.received = attention.information;
        if (attention.refused)
            result.received << QStringLiteral("ERROR");
        return result;
    }
    result.outcome = ModemCheck::Outcome::Answered;
    for (const auto& [command, query] : {std::pair(Identification, &result.identification),
                                         std::pair(ServiceClasses, &result.classes)}) {
        const CommandChannel::Answer answer = ask(channel, command, timeoutMs);
        if (endsCheck(answer))
            return endedEarly(answer, channel, result);
        *query = {queryStatus(answer), answer.information};
    }
    return result.offersVoice() ? askVoiceMode(channel, timeoutMs, result) : result;
}

} // namespace

bool ModemCheck::Result::offersVoice() const
{
    if (classes.status != Query::Status::Answered)
        return false;
    // "0,1,1.0,8", also with blanks or in parentheses as some modems list them
    for (const QString& line : classes.lines) {
        for (QString item : line.split(QLatin1Char(','))) {
            item.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
            if (item.trimmed() == VoiceClass)
                return true;
        }
    }
    return false;
}

ModemCheck::ModemCheck(PortOpener& opener, int replyTimeoutMs, QObject* parent)
    : QObject(parent), m_opener(opener), m_replyTimeoutMs(replyTimeoutMs)
{
}

ModemCheck::~ModemCheck()
{
    // Destroyed from inside the check's wait: the wait ends, and run() touches nothing of it.
    abort();
}

std::optional<ModemCheck::Result> ModemCheck::run(const QString& devicePath)
{
    if (isRunning())
        return std::nullopt;
    PortOpener::Result opened = m_opener.open(devicePath, PortOpener::Speed::Commands);
    Result result;
    result.devicePath = devicePath;
    if (!opened.device) {
        result.outcome = Outcome::PortNotOpened;
        result.openFailure = opened.failure;
        return result;
    }
    const std::unique_ptr<QIODevice> device = std::move(opened.device);
    CommandChannel channel(device.get());
    const QPointer<ModemCheck> self(this);
    setChannel(&channel);
    const std::optional<Result> found = talk(channel, m_replyTimeoutMs, result);
    channel.close();
    if (!self)
        return std::nullopt;
    setChannel(nullptr);
    return found;
}

void ModemCheck::abort()
{
    if (m_channel)
        m_channel->abort();
}

void ModemCheck::setChannel(CommandChannel* channel)
{
    m_channel = channel;
    Q_EMIT runningChanged(isRunning());
}
