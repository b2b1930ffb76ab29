#include "FakePortOpener.h"

PortOpener::Result FakePortOpener::open(int comIndex, const QString&)
{
    m_requests.append(comIndex);
    if (!m_failReason.isEmpty())
        return {nullptr, m_failDeviceName, m_failReason};
    auto device = std::make_unique<FakeModemDevice>();
    device->setResponder(m_responder);
    m_device = device.get();
    return {std::move(device), QStringLiteral("fake:COM%1").arg(comIndex + 1), {}};
}

void FakePortOpener::failOpens(const QString& deviceName, const QString& reason)
{
    m_failDeviceName = deviceName;
    m_failReason = reason;
}

void FakePortOpener::setResponder(FakeModemDevice::Responder responder)
{
    m_responder = std::move(responder);
}

void FakePortOpener::setAutoReply(const QByteArray& reply)
{
    setResponder([reply](const QByteArray&) { return reply; });
}
