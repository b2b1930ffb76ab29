#pragma once

#include "ModemEmulator.h"
#include "PseudoTerminal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QTimer>

// Wires the emulator to a pseudo-terminal: plays its answers with their pauses, wakes it when
// it has audio or service events due, records what the program sent and prints the transcript
// to stdout, one flushed line per event.
class SimulatorSession : public QObject {
    Q_OBJECT
public:
    explicit SimulatorSession(const ModemEmulator::Options& options, QObject* parent = nullptr);

    // linkPath and recordPath may be empty. Prints "device: <slave path>" first.
    bool start(const QString& linkPath, const QString& recordPath, QString* error);
    // The simulator ends: prints the summary of a call still up.
    void finish();

Q_SIGNALS:
    void lineClosed();

private:
    void receive();
    void wake();
    void handle(const ModemEmulator::Output& out);
    void playPending();
    void sendGarbage();
    void closeLineOnceRead();
    static void print(const QString& line);

    ModemEmulator m_emulator;
    PseudoTerminal m_terminal;
    QFile m_record;
    QList<ModemEmulator::Chunk> m_pending;
    QTimer m_pauseTimer;
    QTimer m_wakeTimer;
    QTimer m_garbageTimer;
    QTimer m_closeTimer;
    QElapsedTimer m_closeClock;
    bool m_closeWhenPlayed = false;
};
