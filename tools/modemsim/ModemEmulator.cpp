#include "ModemEmulator.h"

#include <string_view>

namespace {

// V.250 asks a modem to take command lines of at least 40 characters and many take more;
// this one refuses lines over 255.
constexpr int MaxLineLength = 255;
constexpr std::string_view DialCharacters = "0123456789*#ABCD,-W@!";
const QByteArrayList Identification = {"Tarvik modem simulator", "Version 1.0"};
const QByteArray VoiceClasses = "0,1,1.0,8";
const QByteArray DataClasses = "0,1,1.0";

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

} // namespace

ModemEmulator::ModemEmulator(const Options& options) : m_options(options) {}

ModemEmulator::Output ModemEmulator::receive(const QByteArray& bytes)
{
    Output out;
    for (const char byte : bytes) {
        if (m_closed)
            break;
        receiveByte(byte, out);
    }
    return out;
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

void ModemEmulator::runLine(const QByteArray& line, Output& out)
{
    const QByteArray command = line.trimmed();
    if (command.isEmpty())
        return;
    if (!command.toUpper().startsWith("AT")) {
        out.transcript << QStringLiteral("ignored %1").arg(QString::fromLatin1(command));
        return;
    }
    ++m_commandCount;
    const QByteArray result =
        command.size() > MaxLineLength ? QByteArray() : runCommands(command.toUpper().mid(2), out);
    if (result.isEmpty())
        out.transcript << QStringLiteral("error: unknown command %1")
                              .arg(QString::fromLatin1(command.left(MaxLineLength)));
    else if (result != "OK")
        out.transcript << QStringLiteral("answered %1").arg(QString::fromLatin1(result));
    answer(result.isEmpty() ? QByteArrayLiteral("ERROR") : result, out);

    if (m_options.garbage && m_commandCount == 1) {
        out.startGarbage = true;
        out.transcript << QStringLiteral("garbage starts");
    }
    if (m_commandCount == m_options.hangupAfter) {
        m_closed = true;
        out.closeLine = true;
        out.transcript << QStringLiteral("line closed");
    }
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
        if (command == 'I' || command == '+')
            return runQuery(commands.mid(pos - 1), out);
        const int value = parameter(commands, pos);
        if (command == 'E' && value <= 1) {
            m_echo = value == 1;
            out.transcript << (m_echo ? QStringLiteral("echo on") : QStringLiteral("echo off"));
        } else if (command == 'H' && value <= 1) {
            setHook(value == 1 ? Hook::Off : Hook::On, out);
        } else if (command == 'Z' && value == 0) {
            setHook(Hook::On, out);
            m_echo = true;
            out.transcript << QStringLiteral("reset");
        } else if (command != ' ') {
            return {};
        }
    }
    return QByteArrayLiteral("OK");
}

QByteArray ModemEmulator::runDial(const QByteArray& dialString, Output& out)
{
    QByteArray number = dialString;
    const bool pulse = number.startsWith('P');
    if (pulse || number.startsWith('T'))
        number.remove(0, 1);
    // ";" returns to command state with the call held; without it the modem waits for a
    // carrier that a voice service never sends.
    const bool voice = number.endsWith(';');
    if (voice)
        number.chop(1);
    for (const char c : number) {
        if (DialCharacters.find(c) == std::string_view::npos)
            return {};
    }

    const QString text = number.isEmpty() ? QStringLiteral("(empty)") : QString::fromLatin1(number);
    if (m_hook == Hook::Call && voice) {
        out.transcript << QStringLiteral("tones %1").arg(text);
    } else {
        setHook(Hook::Off, out);
        out.transcript << QStringLiteral("dialled %1 (%2)%3")
                              .arg(text, pulse ? QStringLiteral("pulse") : QStringLiteral("tone"),
                                   voice ? QString() : QStringLiteral(" without ';'"));
        if (!voice) {
            setHook(Hook::On, out);
            return QByteArrayLiteral("NO CARRIER");
        }
        m_hook = Hook::Call;
    }
    return m_options.dialAnswer.isEmpty() ? QByteArrayLiteral("OK") : m_options.dialAnswer;
}

// The queries a modem check sends: "I" (identification) and "+FCLASS=?" (service classes).
QByteArray ModemEmulator::runQuery(const QByteArray& query, Output& out)
{
    const bool identification = query == "I" || query == "I0";
    if (!identification && query != "+FCLASS=?")
        return {};
    if (m_options.refuseQueries)
        return QByteArrayLiteral("ERROR");
    if (identification) {
        m_information = Identification;
        out.transcript << QStringLiteral("identified");
    } else {
        m_information = {m_options.noVoice ? DataClasses : VoiceClasses};
        out.transcript << QStringLiteral("classes %1").arg(QString::fromLatin1(m_information[0]));
    }
    return QByteArrayLiteral("OK");
}

void ModemEmulator::setHook(Hook hook, Output& out)
{
    if (hook == Hook::On && m_hook != Hook::On)
        out.transcript << QStringLiteral("hung up");
    else if (hook == Hook::Off && m_hook == Hook::On)
        out.transcript << QStringLiteral("off hook");
    else
        return;
    m_hook = hook;
}

void ModemEmulator::answer(const QByteArray& resultCode, Output& out)
{
    // Information text comes first, each line framed by CR LF as V.250 frames it.
    QByteArray start = "\r\n";
    for (const QByteArray& line : std::as_const(m_information))
        start += line + "\r\n\r\n";
    m_information.clear();
    if (m_options.silent)
        return;
    const QByteArray text = resultCode == "OK" ? okText() : resultCode;
    if (m_options.splitOk && resultCode == "OK") {
        sendAfter(out, m_options.answerDelayMs, start + text.left(1));
        sendAfter(out, SplitPauseMs, text.mid(1) + "\r\n");
    } else {
        sendAfter(out, m_options.answerDelayMs, start + text + "\r\n");
    }
}

QByteArray ModemEmulator::okText() const
{
    return m_options.lowercaseOk ? QByteArrayLiteral("ok") : QByteArrayLiteral("OK");
}
