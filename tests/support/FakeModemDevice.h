#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

#include <functional>

// In-memory stand-in for the modem's serial port: what the program writes is logged, what
// the modem "sends" is fed in by the test. Opens itself on construction.
class FakeModemDevice : public QIODevice {
    Q_OBJECT
public:
    explicit FakeModemDevice(QObject* parent = nullptr);

    static QByteArray okReply() { return QByteArrayLiteral("\r\nOK\r\n"); }

    // The bytes are received at once; readyRead follows from the event loop, as from a port.
    void feed(const QByteArray& bytes);
    // What the modem answers to one write; empty: nothing.
    using Responder = std::function<QByteArray(const QByteArray& written)>;
    // Answers every write through responder, received from the event loop.
    void setResponder(Responder responder);
    // Answers every write with the same reply; empty: stays silent.
    void setAutoReply(const QByteArray& reply);

    // Everything written, and the same split by write() call.
    QByteArray written() const { return m_writes.join(); }
    const QList<QByteArray>& writes() const { return m_writes; }
    void clearWritten() { m_writes.clear(); }

    // From now on every write fails with reason while the device stays open.
    void failWrites(const QString& reason);
    // The device goes away as an unplugged modem does: it closes itself, errorString() = reason.
    void vanish(const QString& reason);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QByteArray m_received;
    QList<QByteArray> m_writes;
    Responder m_responder;
    bool m_writesFail = false;
};
