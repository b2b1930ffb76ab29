#pragma once

#include "PortMapping.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Runs tarvik-modemsim (path from TARVIK_MODEMSIM) for one test: a modem on a pseudo-terminal
// whose received bytes the test can read. Stops the simulator when destroyed.
class ModemSimulator : public QObject {
    Q_OBJECT
public:
    static constexpr int StartTimeoutMs = 5000;

    explicit ModemSimulator(QObject* parent = nullptr);
    ~ModemSimulator() override;

    // Starts with the given fault flags and waits for the device line.
    bool start(const QStringList& flags = {});
    // The simulator wired as COM1, as the demo does through TARVIK_COM1.
    PortMapping::Overrides asCom1() const;
    // Ends the simulator (SIGTERM) and waits for it; returns its exit code, -1 if it crashed.
    int stop();

    QString devicePath() const { return m_devicePath; }
    // Every byte the simulator received so far; it is recorded before the transcript line of
    // the same command, so wait for that line first.
    QByteArray received() const;
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Waits until a transcript line so far matches the pattern (anywhere in the line: anchor it
    // to match whole lines); false if none did within the time.
    bool waitForLine(const QRegularExpression& pattern, int timeoutMs = StartTimeoutMs);
    // The transcript so far, after the device line.
    QStringList lines();

private:
    void readLines();
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_partialLine;
    QStringList m_lines;
    QString m_devicePath;
};
