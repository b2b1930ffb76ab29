#include "ModemEmulator.h"

#include "ToneSequence.h"

#include <cctype>
#include <string_view>
#include <utility>

namespace {

// V.250 asks a modem to take command lines of at least 40 characters and many take more;
// this one refuses lines over 255.
constexpr int MaxLineLength = 255;
constexpr std::string_view DialCharacters = "0123456789*#ABCD,-W@!";
const QByteArrayList Identification = {"Tarvik modem simulator", "Version 1.0"};
const QByteArray VoiceClasses = "0,1,1.0,8";
const QByteArray DataClasses = "0,1,1.0";
const QByteArray VoiceClass = "8";
const QByteArrayList VoiceCommands = {"+VSM", "+VLS", "+VTD", "+VTS", "+VRX"};
// +VTD=0 stands for the dialler's tone length (S11), 95 ms by default on Rockwell modems.
constexpr int DiallerToneMs = 95;
constexpr int ToneUnitMs = 10;
constexpr int MostToneUnits = 255;
constexpr int FixedToneMs = 1000;
const QByteArray OkCode = "OK";
const QByteArray ErrorCode = "ERROR";

void sendAfter(ModemEmulator::Output& out, int pauseMs, const QByteArray& bytes)
{
    if (pauseMs == 0 && !out.chunks.isEmpty())
        out.chunks.last().bytes += bytes;
    else
        out.chunks.append({pauseMs, bytes});
}

int parameter(const QByteArray& commands, int& pos)
{
    if (pos < commands.size() && commands[pos] >= '0' && commands[pos] <= '9')
        return commands[pos++] - '0';
    return 0;
}

QString latin1(const QByteArray& text)
{
    return QString::fromLatin1(text);
}

} // namespace

ModemEmulator::ModemEmulator(const Options& options, Clock clock)
    : m_options(options), m_clock(std::move(clock)), m_methods(options.voiceMethods),
      m_method(m_methods.defaultSelection()), m_labels(options.lineLabel),
      m_service(options.script, options.ringbackCycles)
{
    m_started.start();
}

ModemEmulator::Output ModemEmulator::receive(const QByteArray& bytes)
{
    Output out;
    out.transcript << m_service.advance(now());
    for (const char byte : bytes) {
        if (m_closed)
            break;
        if (m_receiver)
            receiveStreamByte(byte, out);
        else
            receiveByte(byte, out);
    }
    return out;
}

ModemEmulator::Output ModemEmulator::poll()
{
    Output out;
    const qint64 nowMs = now();
    out.transcript << m_service.advance(nowMs);
    const QByteArray audio = m_receiver ? m_receiver->pump(nowMs, m_service) : QByteArray();
    if (!audio.isEmpty() && !m_options.silent)
        sendAfter(out, 0, audio);
    return out;
}

qint64 ModemEmulator::msUntilPoll() const
{
    qint64 next = m_service.nextEventAt();
    if (m_receiver && (next < 0 || m_receiver->nextPieceAt() < next))
        next = m_receiver->nextPieceAt();
    return next < 0 ? -1 : qMax<qint64>(0, next - now());
}

QStringList ModemEmulator::endCall()
{
    return m_service.hangUp();
}

qint64 ModemEmulator::now() const
{
    return m_clock ? m_clock() : m_started.elapsed();
}

int ModemEmulator::toneMs() const
{
    if (m_options.fixedToneLength)
        return FixedToneMs;
    return m_toneUnits == 0 ? DiallerToneMs : m_toneUnits * ToneUnitMs;
}

void ModemEmulator::receiveByte(char byte, Output& out)
{
    if (byte == '\n')
        return; // the LF of a CR LF line end is ignored, not even echoed
    // The modem echoes as the characters arrive, so an "ATE0" line is still echoed whole.
    if (m_echo && !m_options.silent)
        sendAfter(out, 0, QByteArray(1, byte));
    if (byte == '\r') {
        runLine(m_line, out);
        m_line.clear();
    } else if (m_line.size() <= MaxLineLength) {
        m_line.append(byte);
    }
}

// In the receive state nothing is echoed and only DLE ! means anything.
void ModemEmulator::receiveStreamByte(char byte, Output& out)
{
    if (m_receiver->endRequested(byte))
        endReceive(out);
}

void ModemEmulator::runLine(const QByteArray& line, Output& out)
{
    const QByteArray command = line.trimmed();
    if (command.isEmpty())
        return;
    if (!command.toUpper().startsWith("AT")) {
        out.transcript << QStringLiteral("ignored %1").arg(latin1(command));
        return;
    }
    ++m_commandCount;
    answer(resultOf(command, out), out);

    if (m_options.garbage && m_commandCount == 1) {
        out.startGarbage = true;
        out.transcript << QStringLiteral("garbage starts");
    }
    if (m_commandCount == m_options.hangupAfter) {
        m_closed = true;
        out.closeLine = true;
        out.transcript << QStringLiteral("line closed") << m_service.hangUp();
    }
}

QByteArray ModemEmulator::resultOf(const QByteArray& command, Output& out)
{
    const QByteArray commands = command.toUpper().mid(2);
    if (refused(commands)) {
        out.transcript << QStringLiteral("refused %1").arg(latin1(command));
        return ErrorCode;
    }
    const QByteArray result =
        command.size() > MaxLineLength ? QByteArray() : runCommands(commands, out);
    if (result.isEmpty()) {
        out.transcript
            << QStringLiteral("error: unknown command %1").arg(latin1(command.left(MaxLineLength)));
        return ErrorCode;
    }
    if (result != OkCode)
        out.transcript << QStringLiteral("answered %1").arg(latin1(result));
    return result;
}

bool ModemEmulator::refused(const QByteArray& commands) const
{
    for (const QByteArray& start : m_options.refusals) {
        if (commands.startsWith(start))
            return true;
    }
    return false;
}

// Runs the commands after "AT" ("E0H1" holds two) and returns the result code, empty for an
// unknown command.
QByteArray ModemEmulator::runCommands(const QByteArray& commands, Output& out)
{
    int pos = 0;
    while (pos < commands.size()) {
        const char command = commands[pos++];
        if (command == 'D')
            return runDial(commands.mid(pos), out);
        if (command == 'I')
            return runIdentification(commands.mid(pos - 1), out);
        if (command == '+')
            return runExtended(commands.mid(pos - 1), out);
        const int value = parameter(commands, pos);
        if (command == 'E' && value <= 1) {
            m_echo = value == 1;
            out.transcript << (m_echo ? QStringLiteral("echo on") : QStringLiteral("echo off"));
        } else if (command == 'H' && value <= 1) {
            setHook(value == 1 ? Hook::Off : Hook::On, out);
        } else if (command == 'Z' && value == 0) {
            setHook(Hook::On, out);
            m_echo = true;
            resetVoice();
            out.transcript << QStringLiteral("reset");
        } else if (command != ' ') {
            return {};
        }
    }
    return OkCode;
}

QByteArray ModemEmulator::runDial(const QByteArray& dialString, Output& out)
{
    QByteArray number = dialString;
    const bool pulse = number.startsWith('P');
    if (pulse || number.startsWith('T'))
        number.remove(0, 1);
    // ";" returns to command state with the call held; without it a data modem waits for a
    // carrier that a voice service never sends.
    const bool held = number.endsWith(';');
    if (held)
        number.chop(1);
    for (const char c : number) {
        if (DialCharacters.find(c) == std::string_view::npos)
            return {};
    }

    const QString text = number.isEmpty() ? QStringLiteral("(empty)") : latin1(number);
    if (m_hook != Hook::Call || !held)
        return placeCall(text, pulse, held, out);
    if (number.isEmpty())
        out.transcript << QStringLiteral("tones %1").arg(text);
    else
        hearTones(text, now(), now(), out);
    return toneResult();
}

QByteArray ModemEmulator::placeCall(const QString& number, bool pulse, bool held, Output& out)
{
    const bool voice = m_class == VoiceClass;
    setHook(Hook::Off, out);
    out.transcript << QStringLiteral("dialled %1 (%2)%3")
                          .arg(number, pulse ? QStringLiteral("pulse") : QStringLiteral("tone"),
                               held || voice ? QString() : QStringLiteral(" without ';'"));
    if (!held && !voice) {
        setHook(Hook::On, out);
        return QByteArrayLiteral("NO CARRIER");
    }
    m_hook = Hook::Call;
    if (!m_options.dialAnswer.isEmpty())
        return m_options.dialAnswer;
    m_service.dial(now());
    if (!voice)
        return OkCode;
    if (held)
        return voiceOk();
    // Without ";" a voice modem reports the call once the far end has answered.
    m_resultPauseMs = m_service.answeredAt() - now();
    return QByteArrayLiteral("VCON");
}

QByteArray ModemEmulator::runIdentification(const QByteArray& query, Output& out)
{
    if (query != "I" && query != "I0")
        return {};
    if (m_options.refuseQueries)
        return ErrorCode;
    m_information = Identification;
    out.transcript << QStringLiteral("identified");
    return OkCode;
}

// Extended commands run one after the other, separated by ";", up to the first that fails.
QByteArray ModemEmulator::runExtended(const QByteArray& commands, Output& out)
{
    for (const QByteArray& text : commands.split(';')) {
        if (text.isEmpty())
            continue;
        const std::optional<Extended> command = parseExtended(text);
        const QByteArray result = command ? runExtendedCommand(*command, out) : QByteArray();
        if (result != OkCode)
            return result;
    }
    return OkCode;
}

std::optional<ModemEmulator::Extended> ModemEmulator::parseExtended(const QByteArray& text)
{
    qsizetype end = 1;
    while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])))
        ++end;
    const QByteArray name = text.left(end);
    const QByteArray rest = text.mid(end);
    if (!name.startsWith('+') || name.size() == 1)
        return std::nullopt;
    if (rest.isEmpty())
        return Extended{name, Access::Action, {}};
    if (rest == "?")
        return Extended{name, Access::Read, {}};
    if (rest == "=?")
        return Extended{name, Access::Test, {}};
    if (rest.startsWith('='))
        return Extended{name, Access::Set, rest.mid(1)};
    return std::nullopt;
}

QByteArray ModemEmulator::runExtendedCommand(const Extended& command, Output& out)
{
    if (command.name == "+FCLASS")
        return runClass(command, out);
    // A data modem knows no voice command at all.
    if (VoiceCommands.contains(command.name) && !m_options.noVoice)
        return runVoiceCommand(command, out);
    return {};
}

QByteArray ModemEmulator::runClass(const Extended& command, Output& out)
{
    const QByteArray& classes = m_options.noVoice ? DataClasses : VoiceClasses;
    switch (command.access) {
    case Access::Test:
        if (m_options.refuseQueries)
            return ErrorCode;
        m_information = {classes};
        out.transcript << QStringLiteral("classes %1").arg(latin1(classes));
        return OkCode;
    case Access::Read:
        m_information = {m_class};
        return OkCode;
    case Access::Set:
        if (!classes.split(',').contains(command.argument))
            return ErrorCode;
        m_class = command.argument;
        out.transcript << (m_class == VoiceClass ? QStringLiteral("voice mode")
                                                 : QStringLiteral("class %1").arg(latin1(m_class)));
        return OkCode;
    case Access::Action:
        break;
    }
    return {};
}

QByteArray ModemEmulator::runVoiceCommand(const Extended& command, Output& out)
{
    if (m_class != VoiceClass) {
        out.transcript
            << QStringLiteral("error: AT%1 outside voice mode").arg(latin1(command.name));
        return ErrorCode;
    }
    if (command.name == "+VSM")
        return runMethod(command, out);
    if (command.name == "+VLS")
        return runLineSelection(command, out);
    if (command.name == "+VTD")
        return runToneLength(command, out);
    if (command.name == "+VTS")
        return command.access == Access::Set ? runTones(command, out) : ErrorCode;
    return command.access == Access::Action ? runReceive(out) : ErrorCode;
}

// The forms of a parameter command: "=?" lists what it takes, "?" reports it, "=" sets it.
QByteArray ModemEmulator::runParameter(const Extended& command, const QByteArrayList& range,
                                       const QByteArray& value, const Setter& set)
{
    switch (command.access) {
    case Access::Test:
        m_information = range;
        return OkCode;
    case Access::Read:
        m_information = {value};
        return OkCode;
    case Access::Set:
        return set(command.argument);
    case Access::Action:
        break;
    }
    return {};
}

QByteArray ModemEmulator::runMethod(const Extended& command, Output& out)
{
    return runParameter(command, m_methods.list(), m_methods.report(m_method),
                        [&](const QByteArray& argument) { return setMethod(argument, out); });
}

QByteArray ModemEmulator::setMethod(const QByteArray& argument, Output& out)
{
    const std::optional<VoiceMethods::Selection> chosen = m_methods.select(argument);
    if (!chosen)
        return ErrorCode;
    m_method = *chosen;
    out.transcript << QStringLiteral("voice method %1 %2 at %3/s")
                          .arg(m_method.label)
                          .arg(latin1(m_methods.method(m_method.label).name))
                          .arg(m_method.rate);
    return OkCode;
}

QByteArray ModemEmulator::runLineSelection(const Extended& command, Output& out)
{
    return runParameter(command, m_labels.list(), QByteArray::number(m_lineLabel),
                        [&](const QByteArray& argument) { return selectLine(argument, out); });
}

QByteArray ModemEmulator::selectLine(const QByteArray& argument, Output& out)
{
    bool ok = false;
    const int label = argument.toInt(&ok);
    const std::optional<bool> offHook = ok ? m_labels.takesLineOffHook(label) : std::nullopt;
    if (!offHook)
        return ErrorCode;
    if (!*offHook)
        setHook(Hook::On, out);
    else if (m_hook == Hook::On)
        setHook(Hook::Off, out);
    m_lineLabel = label;
    return *offHook ? voiceOk() : OkCode;
}

// A modem with a fixed tone length does not know +VTD at all.
QByteArray ModemEmulator::runToneLength(const Extended& command, Output& out)
{
    if (m_options.fixedToneLength)
        return {};
    return runParameter(command, {"(0-" + QByteArray::number(MostToneUnits) + ')'},
                        QByteArray::number(m_toneUnits),
                        [&](const QByteArray& argument) { return setToneLength(argument, out); });
}

QByteArray ModemEmulator::setToneLength(const QByteArray& argument, Output& out)
{
    bool ok = false;
    const int units = argument.toInt(&ok);
    if (!ok || units < 0 || units > MostToneUnits)
        return ErrorCode;
    m_toneUnits = units;
    out.transcript << QStringLiteral("tone length %1 ms").arg(toneMs());
    return OkCode;
}

// The result comes when the last tone has been played.
QByteArray ModemEmulator::runTones(const Extended& command, Output& out)
{
    const std::optional<ToneSequence> sequence =
        ToneSequence::parse(command.argument, toneMs(), m_options.fixedToneLength);
    if (!sequence || m_hook == Hook::On)
        return ErrorCode;
    const qint64 nowMs = now();
    const qint64 beginMs = qMax(nowMs, m_tonesEndAt);
    m_tonesEndAt = beginMs + sequence->totalMs(ToneGapMs);
    m_resultPauseMs = m_tonesEndAt - nowMs;
    hearTones(sequence->digits(), beginMs, m_tonesEndAt, out);
    return toneResult();
}

QByteArray ModemEmulator::runReceive(Output& out)
{
    const VoiceMethods::Method& method = m_methods.method(m_method.label);
    if (m_hook == Hook::On)
        return ErrorCode;
    if (!method.coding) {
        out.transcript << QStringLiteral("error: cannot stream %1").arg(latin1(method.name));
        return ErrorCode;
    }
    m_receiver.emplace(ReceiveStream::Format{*method.coding, m_method.rate},
                       qMax(now(), m_tonesEndAt), m_service.script(), m_options.reportRingback);
    out.transcript
        << QStringLiteral("receiving %1 at %2/s").arg(latin1(method.name)).arg(m_method.rate);
    return QByteArrayLiteral("CONNECT");
}

void ModemEmulator::hearTones(const QString& digits, qint64 beginMs, qint64 endMs, Output& out)
{
    if (digits.isEmpty())
        out.transcript << QStringLiteral("tones (no digits)");
    else
        out.transcript << m_service.hearTones(digits, beginMs, endMs);
}

void ModemEmulator::endReceive(Output& out)
{
    const QByteArray audio = m_receiver->pump(now(), m_service);
    m_receiver.reset();
    if (!m_options.silent)
        sendAfter(out, 0, audio + ReceiveStream::Dle + ReceiveStream::Etx);
    out.transcript << QStringLiteral("receive ended");
    answer(voiceOk(), out);
}

void ModemEmulator::setHook(Hook hook, Output& out)
{
    if (hook == Hook::On && m_hook != Hook::On) {
        out.transcript << QStringLiteral("hung up") << m_service.hangUp();
        m_lineLabel = 0;
    } else if (hook == Hook::Off && m_hook == Hook::On) {
        out.transcript << QStringLiteral("off hook");
        m_lineLabel = m_options.lineLabel;
    } else {
        return;
    }
    m_hook = hook;
}

void ModemEmulator::resetVoice()
{
    m_class = "0";
    m_method = m_methods.defaultSelection();
    m_toneUnits = DefaultToneUnits;
}

void ModemEmulator::answer(const QByteArray& resultCode, Output& out)
{
    const int pauseMs = m_options.answerDelayMs + int(std::exchange(m_resultPauseMs, 0));
    // Information text comes first, each line framed by CR LF as V.250 frames it.
    QByteArray start = "\r\n";
    for (const QByteArray& line : std::as_const(m_information))
        start += line + "\r\n\r\n";
    m_information.clear();
    if (m_options.silent)
        return;
    const QByteArray text = resultCode == OkCode ? okText() : resultCode;
    if (m_options.splitOk && resultCode == OkCode) {
        sendAfter(out, pauseMs, start + text.left(1));
        sendAfter(out, SplitPauseMs, text.mid(1) + "\r\n");
    } else {
        sendAfter(out, pauseMs, start + text + "\r\n");
    }
}

QByteArray ModemEmulator::okText() const
{
    return m_options.lowercaseOk ? QByteArrayLiteral("ok") : QByteArrayLiteral("OK");
}

QByteArray ModemEmulator::toneResult() const
{
    return m_options.dialAnswer.isEmpty() ? OkCode : m_options.dialAnswer;
}

QByteArray ModemEmulator::voiceOk() const
{
    return m_options.vcon ? QByteArrayLiteral("VCON") : OkCode;
}
