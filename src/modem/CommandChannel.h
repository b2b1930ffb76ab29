#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;
class ReplyScanner;

Q_DECLARE_LOGGING_CATEGORY(lcModem)

// Talks to the modem over an open device: writes command lines, waits for "OK" CR LF and
// pauses. Every wait runs a local event loop, so the window keeps working and a click may
// run nested inside it; abort() ends every running wait at once. The channel shows no box:
// the caller decides what a timeout means to the user.
class CommandChannel : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Ok,           // "OK" CR LF arrived, or a pause ran its full length
        TimedOut,     // no "OK" CR LF in time
        Aborted,      // abort() was called during the wait
        DeviceFailed, // the device closed, vanished or refused a write
    };
    Q_ENUM(Outcome)

    struct Reply {
        Outcome outcome;
        QString modemAnswer; // last recognised result other than OK ("NO DIALTONE"), or empty
    };

    // The answer to a query such as "ATI".
    struct Answer {
        Outcome outcome;         // Ok: a final result came, "OK" or "ERROR" (then refused)
        bool refused = false;    // the final result was "ERROR": the modem lacks the command
        QStringList information; // see ReplyScanner::informationLines()
        QString modemAnswer;     // as for Reply
    };

    // The answer to AT+VRX.
    struct Connection {
        Outcome outcome;        // Ok: CONNECT came, or ERROR (then refused)
        bool refused = false;   // the modem answered ERROR
        QByteArray streamStart; // what came after the CONNECT line: the stream's first bytes
    };

    // Takes the bytes of a running stream; once the stream has ended, returns what followed its
    // end (the modem's replies again), and nothing before.
    using StreamSink = std::function<std::optional<QByteArray>(const QByteArray& bytes)>;

    // Nanoseconds on a monotonic clock; only the difference between two readings counts.
    using Clock = std::function<qint64()>;

    // The device must be open. The channel does not own it. The waits read the steady clock.
    explicit CommandChannel(QIODevice* device, QObject* parent = nullptr);
    // The waits read clock instead, to decide whether a timer that fired ended the wait.
    CommandChannel(QIODevice* device, Clock clock, QObject* parent = nullptr);

    bool isOpen() const;
    // True while at least one wait of this channel runs (nested waits count once each).
    bool isWaiting() const { return m_runningWaits > 0; }

    // Drops everything received and not yet read; not while a stream runs.
    void discardInput();
    // Traces the line without its line end and writes it, line end included, in one write:
    // a modem ignores characters only briefly after the CR, and any character that reaches
    // it while a dial runs aborts that dial. False (and deviceFailed) when the write fails.
    bool writeCommandLine(const QByteArray& line);

    Reply waitOk(int timeoutMs);
    // Waits for the final result of command (written without its line end), a whole line "OK"
    // (or "VCON") or "ERROR"; the echo of command is not mistaken for its answer.
    Answer waitAnswer(int timeoutMs, const QByteArray& command);
    // Waits for the CONNECT that starts a stream, or ERROR.
    Connection waitConnect(int timeoutMs, const QByteArray& command);
    // From now on every byte received goes to sink until the sink says the stream has ended;
    // waits meanwhile see only what follows the stream's end.
    void startStream(const StreamSink& sink, const QByteArray& firstBytes);
    bool isStreaming() const { return bool(m_streamSink); }
    // Leaves the stream without waiting for its end: what still comes of it is unread input.
    void stopStream();
    // A fixed pause; what arrives meanwhile stays unread for the next waitOk().
    Outcome waitMilliseconds(int ms);
    // A pause that ends early, as Ok, when sender emits signal.
    template <typename Sender, typename Signal>
    Outcome waitForSignal(int ms, const Sender* sender, Signal signal)
    {
        return runWait(ms, nullptr, nullptr, [&](const std::function<void()>& wake) {
            return QObject::connect(sender, signal, this, wake);
        });
    }

    void abort();
    // Closes the device on purpose: no deviceFailed for this close.
    void close();
    // deleteLater(), but only once no wait of this channel is left on the stack.
    void deleteWhenIdle();

    // The system's wording of the failure deviceFailed reports, as soon as the wait or write
    // that met it has returned; maybe empty.
    const QString& failureReason() const { return m_failureReason; }

Q_SIGNALS:
    // Once, when the device closed without close() or refused a write; the device is
    // closed when this is emitted.
    void deviceFailed(const QString& reason);
    void abortRequested(QPrivateSignal);

private:
    using Done = std::function<bool(const ReplyScanner&)>;
    // Connects what ends a pause early to the function given.
    using Wake = std::function<QMetaObject::Connection(const std::function<void()>& wake)>;
    // Without a scanner a pause: runs its full length unless aborted, woken or the device fails.
    // With one, ends as soon as the scanner says done.
    Outcome runWait(int ms, ReplyScanner* scanner, Done done = nullptr, const Wake& wake = {});
    void leaveWait();
    // What was received, the stream's part taken out while one runs.
    QByteArray takeReplies();
    void onAboutToClose();
    void reportFailure(const QString& reason);

    QPointer<QIODevice> m_device;
    Clock m_clock;
    int m_runningWaits = 0;
    bool m_closingOnPurpose = false;
    bool m_failureReported = false;
    bool m_deleteWhenIdle = false;
    QString m_failureReason;
    QByteArray m_unread; // replies that followed a stream's end, for the next wait
    StreamSink m_streamSink;
    QMetaObject::Connection m_streamReading;
};
