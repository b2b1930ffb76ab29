#include "ModemSimulator.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace {

const QLatin1String DeviceLinePrefix("device: ");

} // namespace

ModemSimulator::ModemSimulator(QObject* parent) : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ModemSimulator::readLines);
}

ModemSimulator::~ModemSimulator()
{
    stop();
}

bool ModemSimulator::start(const QStringList& flags)
{
    const QString program = qEnvironmentVariable("TARVIK_MODEMSIM");
    if (program.isEmpty() || !m_dir.isValid()) {
        qWarning("ModemSimulator: TARVIK_MODEMSIM is not set");
        return false;
    }
    // A restarted simulator starts afresh: no lines or bytes of the previous run.
    m_lines.clear();
    m_partialLine.clear();
    const QString record = m_dir.filePath(QStringLiteral("received"));
    QFile::remove(record);
    m_process.start(program, flags + QStringList{QStringLiteral("--record"), record});
    const bool started =
        waitUntil([this] { return !m_lines.isEmpty() || !isRunning(); }, StartTimeoutMs) &&
        !m_lines.isEmpty() && m_lines.first().startsWith(DeviceLinePrefix);
    if (started)
        m_devicePath = m_lines.takeFirst().mid(DeviceLinePrefix.size());
    else
        qWarning("ModemSimulator: %s gave no device line", qPrintable(program));
    return started;
}

PortMapping::Overrides ModemSimulator::asCom1() const
{
    PortMapping::Overrides overrides;
    overrides[0] = m_devicePath;
    return overrides;
}

int ModemSimulator::stop()
{
    if (isRunning()) {
        m_process.terminate();
        if (!m_process.waitForFinished(StartTimeoutMs))
            m_process.kill();
        m_process.waitForFinished();
    }
    readLines();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray ModemSimulator::received() const
{
    QFile record(m_dir.filePath(QStringLiteral("received")));
    return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
}

bool ModemSimulator::waitForLine(const QRegularExpression& pattern, int timeoutMs)
{
    const auto matched = [&] {
        return std::any_of(m_lines.cbegin(), m_lines.cend(),
                           [&](const QString& line) { return pattern.match(line).hasMatch(); });
    };
    return waitUntil(matched, timeoutMs);
}

QStringList ModemSimulator::lines()
{
    readLines();
    return m_lines;
}

void ModemSimulator::readLines()
{
    m_partialLine += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_partialLine.left(end));
        m_partialLine.remove(0, end + 1);
    }
}

bool ModemSimulator::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    readLines();
    if (done())
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    connect(&m_process, &QProcess::readyReadStandardOutput, &loop, check);
    connect(&m_process, &QProcess::finished, &loop, check);
    connect(&m_process, &QProcess::errorOccurred, &loop, check);
    timeout.start(timeoutMs);
    loop.exec();
    return done();
}
