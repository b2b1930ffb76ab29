#include "CommandChannel.h"

#include "ReplyScanner.h"

#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

#include <chrono>
#include <utility>

Q_LOGGING_CATEGORY(lcModem, "tarvik.modem", QtWarningMsg)

namespace {

constexpr qint64 NsPerMs = 1000000;

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\r') || line.endsWith('\n'))
        line.chop(1);
    return line;
}

qint64 steadyNanoseconds()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void trace(const QString& text)
{
    using namespace std::chrono;
    const auto sinceBoot = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    qCDebug(lcModem).noquote() << QStringLiteral("[%1]").arg(sinceBoot.count() / 1000.0, 0, 'f', 3)
                               << text;
}

} // namespace

CommandChannel::CommandChannel(QIODevice* device, QObject* parent)
    : CommandChannel(device, steadyNanoseconds, parent)
{
}

CommandChannel::CommandChannel(QIODevice* device, Clock clock, QObject* parent)
    : QObject(parent), m_device(device), m_clock(std::move(clock))
{
    connect(device, &QIODevice::aboutToClose, this, &CommandChannel::onAboutToClose);
}

bool CommandChannel::isOpen() const
{
    return m_device && m_device->isOpen();
}

void CommandChannel::discardInput()
{
    if (!isOpen() || isStreaming())
        return;
    m_unread.clear();
    m_device->readAll();
}

bool CommandChannel::writeCommandLine(const QByteArray& line)
{
    trace(QString::fromLatin1(withoutLineEnd(line)));
    if (!isOpen())
        return false;
    if (m_device->write(line) == line.size())
        return true;
    const QString reason = m_device->errorString();
    close();
    reportFailure(reason);
    return false;
}

CommandChannel::Reply CommandChannel::waitOk(int timeoutMs)
{
    trace(QStringLiteral("WaitOK"));
    ReplyScanner scanner;
    const Outcome outcome = runWait(timeoutMs, &scanner, &ReplyScanner::sawOk);
    if (outcome == Outcome::Ok)
        trace(QStringLiteral("return WaitOK"));
    return {outcome, scanner.lastResult()};
}

CommandChannel::Answer CommandChannel::waitAnswer(int timeoutMs, const QByteArray& command)
{
    trace(QStringLiteral("WaitAnswer"));
    ReplyScanner scanner;
    scanner.skipEcho(command);
    const Outcome outcome = runWait(timeoutMs, &scanner, &ReplyScanner::sawFinalResult);
    return {outcome, scanner.sawError(), scanner.informationLines(), scanner.lastResult()};
}

CommandChannel::Connection CommandChannel::waitConnect(int timeoutMs, const QByteArray& command)
{
    trace(QStringLiteral("WaitConnect"));
    ReplyScanner scanner;
    scanner.skipEcho(command);
    scanner.expectStream();
    const Outcome outcome = runWait(timeoutMs, &scanner, [](const ReplyScanner& scanned) {
        return scanned.sawConnect() || scanned.sawError();
    });
    return {outcome, scanner.sawError() && !scanner.sawConnect(), scanner.afterConnect()};
}

void CommandChannel::startStream(const StreamSink& sink, const QByteArray& firstBytes)
{
    m_streamSink = sink;
    m_unread = firstBytes + m_unread;
    // Read as the bytes come, also between waits: a stream never waits to be read.
    m_streamReading =
        connect(m_device, &QIODevice::readyRead, this, [this] { m_unread += takeReplies(); });
    m_unread = takeReplies();
}

void CommandChannel::stopStream()
{
    m_streamSink = nullptr;
    disconnect(m_streamReading);
}

CommandChannel::Outcome CommandChannel::waitMilliseconds(int ms)
{
    if (ms <= 0)
        return isOpen() ? Outcome::Ok : Outcome::DeviceFailed;
    return runWait(ms, nullptr);
}

void CommandChannel::abort()
{
    Q_EMIT abortRequested(QPrivateSignal());
}

void CommandChannel::close()
{
    m_closingOnPurpose = true;
    if (isOpen())
        m_device->close();
}

void CommandChannel::deleteWhenIdle()
{
    if (isWaiting())
        m_deleteWhenIdle = true;
    else
        deleteLater();
}

CommandChannel::Outcome CommandChannel::runWait(int ms, ReplyScanner* scanner, Done done,
                                                const Wake& wake)
{
    if (!isOpen())
        return Outcome::DeviceFailed;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    const qint64 startNs = m_clock();

    Outcome outcome = Outcome::TimedOut;
    bool finished = false;
    // Cuts every connection of this wait at once, so that a wait which was aborted while a
    // nested one runs no longer reads the replies meant for the nested one.
    const auto finish = [&](Outcome result) {
        outcome = result;
        finished = true;
        timer.stop();
        disconnect(m_device, nullptr, &loop, nullptr);
        disconnect(this, nullptr, &loop, nullptr);
        loop.quit();
    };
    // A timer may fire a little early; a wait must never end before its length.
    connect(&timer, &QTimer::timeout, &loop, [&] {
        const qint64 remainingNs = ms * NsPerMs - (m_clock() - startNs);
        if (remainingNs > 0)
            timer.start(int((remainingNs + NsPerMs - 1) / NsPerMs));
        else
            finish(scanner ? Outcome::TimedOut : Outcome::Ok);
    });
    connect(this, &CommandChannel::abortRequested, &loop, [&] { finish(Outcome::Aborted); });
    connect(m_device, &QIODevice::aboutToClose, &loop, [&] { finish(Outcome::DeviceFailed); });
    connect(m_device, &QObject::destroyed, &loop, [&] { finish(Outcome::DeviceFailed); });
    if (scanner) {
        const auto readReply = [&] {
            scanner->feed(takeReplies());
            if (done(*scanner))
                finish(Outcome::Ok);
        };
        connect(m_device, &QIODevice::readyRead, &loop, readReply);
        readReply(); // what arrived before the wait (during a pause) counts
    }
    if (finished)
        return outcome;
    const QMetaObject::Connection woken = wake ? wake([&] {
        if (!finished)
            finish(Outcome::Ok);
    })
                                               : QMetaObject::Connection();
    timer.start(qMax(ms, 0));
    ++m_runningWaits;
    loop.exec();
    disconnect(woken);
    leaveWait();
    return outcome;
}

QByteArray CommandChannel::takeReplies()
{
    QByteArray bytes = std::exchange(m_unread, {}) + m_device->readAll();
    if (!m_streamSink)
        return bytes;
    const std::optional<QByteArray> afterStream = m_streamSink(bytes);
    if (!afterStream)
        return {};
    stopStream();
    return *afterStream;
}

void CommandChannel::leaveWait()
{
    --m_runningWaits;
    if (m_runningWaits == 0 && m_deleteWhenIdle)
        deleteLater();
}

void CommandChannel::onAboutToClose()
{
    if (!m_closingOnPurpose)
        reportFailure(m_device->errorString());
}

void CommandChannel::reportFailure(const QString& reason)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    m_failureReason = reason;
    // Reported from the event loop: the device may be in the middle of closing itself.
    QMetaObject::invokeMethod(
        this, [this, reason] { Q_EMIT deviceFailed(reason); }, Qt::QueuedConnection);
}
