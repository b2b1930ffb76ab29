#include "SimulatorSession.h"

#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr int GarbageIntervalMs = 10;
constexpr int GarbageBurstBytes = 256;
// Closing the master discards what the program has not read yet, so the last answer is given
// this long to be read.
constexpr int CloseCheckMs = 10;
constexpr int CloseGraceMs = 1000;

} // namespace

SimulatorSession::SimulatorSession(const ModemEmulator::Options& options, QObject* parent)
    : QObject(parent), m_emulator(options)
{
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_wakeTimer.setSingleShot(true);
    m_wakeTimer.setTimerType(Qt::PreciseTimer);
    m_garbageTimer.setInterval(GarbageIntervalMs);
    m_closeTimer.setInterval(CloseCheckMs);
    connect(&m_pauseTimer, &QTimer::timeout, this, &SimulatorSession::playPending);
    connect(&m_wakeTimer, &QTimer::timeout, this, &SimulatorSession::wake);
    connect(&m_garbageTimer, &QTimer::timeout, this, &SimulatorSession::sendGarbage);
    connect(&m_closeTimer, &QTimer::timeout, this, &SimulatorSession::closeLineOnceRead);
    connect(&m_terminal, &PseudoTerminal::readyRead, this, &SimulatorSession::receive);
}

bool SimulatorSession::start(const QString& linkPath, const QString& recordPath, QString* error)
{
    if (!recordPath.isEmpty()) {
        m_record.setFileName(recordPath);
        if (!m_record.open(QIODevice::Append)) {
            *error = QStringLiteral("%1: %2").arg(recordPath, m_record.errorString());
            return false;
        }
    }
    if (!m_terminal.open(error) || (!linkPath.isEmpty() && !m_terminal.link(linkPath, error)))
        return false;
    print(QStringLiteral("device: %1").arg(m_terminal.slavePath()));
    return true;
}

void SimulatorSession::receive()
{
    const QByteArray bytes = m_terminal.readAll();
    if (m_record.isOpen()) {
        m_record.write(bytes);
        m_record.flush();
    }
    handle(m_emulator.receive(bytes));
}

void SimulatorSession::finish()
{
    for (const QString& line : m_emulator.endCall())
        print(line);
}

// A timer may fire early; the emulator then has nothing due yet and names the next time again.
void SimulatorSession::wake()
{
    handle(m_emulator.poll());
}

void SimulatorSession::handle(const ModemEmulator::Output& out)
{
    for (const QString& line : out.transcript)
        print(line);
    m_pending += out.chunks;
    m_closeWhenPlayed = m_closeWhenPlayed || out.closeLine;
    if (out.startGarbage)
        m_garbageTimer.start();
    playPending();
    const qint64 wakeInMs = m_closeWhenPlayed ? -1 : m_emulator.msUntilPoll();
    if (wakeInMs < 0)
        m_wakeTimer.stop();
    else
        m_wakeTimer.start(int(wakeInMs));
}

void SimulatorSession::playPending()
{
    if (m_pauseTimer.isActive())
        return;
    while (!m_pending.isEmpty()) {
        ModemEmulator::Chunk& next = m_pending.first();
        if (next.pauseBeforeMs > 0) {
            m_pauseTimer.start(next.pauseBeforeMs);
            next.pauseBeforeMs = 0;
            return;
        }
        m_terminal.write(next.bytes);
        m_pending.removeFirst();
    }
    if (m_closeWhenPlayed && !m_closeTimer.isActive()) {
        m_closeClock.start();
        m_closeTimer.start();
    }
}

void SimulatorSession::sendGarbage()
{
    QByteArray bytes(GarbageBurstBytes, Qt::Uninitialized);
    for (char& byte : bytes) {
        byte = char(QRandomGenerator::global()->bounded(256));
        // Garbage must never spell a result by chance: no "K" of "OK" or "ok".
        if (byte == 'K' || byte == 'k')
            byte = '?';
    }
    m_terminal.write(bytes);
}

void SimulatorSession::closeLineOnceRead()
{
    if (m_terminal.unreadByProgram() > 0 && m_closeClock.elapsed() < CloseGraceMs)
        return;
    m_closeTimer.stop();
    m_garbageTimer.stop();
    m_terminal.close();
    Q_EMIT lineClosed();
}

void SimulatorSession::print(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}
