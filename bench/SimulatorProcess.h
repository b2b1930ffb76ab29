#pragma once

// For the benchmarks that drive the real window: the modem simulator started as a process.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace SimulatorProcess {

// Starts TARVIK_MODEMSIM with the flags given; its device path from its first line, "device:
// /dev/pts/N", or empty when it did not start.
inline QString start(QProcess& simulator, const QStringList& flags = {})
{
    simulator.start(qEnvironmentVariable("TARVIK_MODEMSIM"), flags);
    if (!simulator.waitForReadyRead(5000))
        return {};
    const QByteArray line = simulator.readLine().trimmed();
    return line.startsWith("device: ") ? QString::fromLocal8Bit(line.mid(8)) : QString();
}

} // namespace SimulatorProcess
