#include "FakePortOpener.h"

PortOpener::Result FakePortOpener::open(int comIndex, const QString&)
{
    m_requests.append(comIndex);
    auto device = std::make_unique<FakeModemDevice>();
    device->setResponder(m_responder);
    m_device = device.get();
    return {std::move(device), QStringLiteral("fake:COM%1").arg(comIndex + 1), {}};
}

void FakePortOpener::setResponder(FakeModemDevice::Responder responder)
{
    m_responder = std::move(responder);
}

void FakePortOpener::setAutoReply(const QByteArray& reply)
{
    setResponder([reply](const QByteArray&) { return reply; });
}
