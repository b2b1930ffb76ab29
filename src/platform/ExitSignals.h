#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (the end of the desktop session, Ctrl+C, a closed
// terminal) into a queued Qt signal, so that a program ends through its event loop: Tarvik
// hangs up the line first, the modem simulator removes its link.
// The handler only writes the signal number into a socket pair; everything else runs in the
// event loop. One instance at a time; the previous handlers come back when it is destroyed.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    static constexpr int SignalCount = 3; // SIGTERM, SIGINT, SIGHUP

    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;

Q_SIGNALS:
    void exitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[SignalCount] = {};
};
