#include "FakeModemDevice.h"

#include <QMetaObject>
#include <QTimer>

#include <cstring>

FakeModemDevice::FakeModemDevice(QObject* parent) : QIODevice(parent)
{
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void FakeModemDevice::feed(const QByteArray& bytes)
{
    m_received.append(bytes);
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT readyRead(); }, Qt::QueuedConnection);
}

void FakeModemDevice::setResponder(Responder responder)
{
    m_responder = std::move(responder);
}

void FakeModemDevice::setAutoReply(const QByteArray& reply)
{
    setResponder([reply](const QByteArray&) { return reply; });
}

void FakeModemDevice::failWrites(const QString& reason)
{
    m_writesFail = true;
    setErrorString(reason);
}

void FakeModemDevice::vanish(const QString& reason)
{
    setErrorString(reason);
    close();
}

qint64 FakeModemDevice::bytesAvailable() const
{
    return m_received.size() + QIODevice::bytesAvailable();
}

qint64 FakeModemDevice::readData(char* data, qint64 maxSize)
{
    const qint64 count = qMin(maxSize, qint64(m_received.size()));
    std::memcpy(data, m_received.constData(), size_t(count));
    m_received.remove(0, count);
    return count;
}

qint64 FakeModemDevice::writeData(const char* data, qint64 size)
{
    if (m_writesFail)
        return -1;
    m_writes.append(QByteArray(data, size));
    const QByteArray reply = m_responder ? m_responder(m_writes.last()) : QByteArray();
    if (!reply.isEmpty())
        QTimer::singleShot(0, this, [this, reply] { feed(reply); });
    return size;
}
