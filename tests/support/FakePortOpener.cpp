#include "FakePortOpener.h"

PortOpener::Result FakePortOpener::open(const QString& devicePath, Speed speed)
{
    m_requests.append(devicePath);
    m_speeds.append(speed);
    auto device = std::make_unique<FakeModemDevice>();
    device->setResponder(m_responder);
    m_device = device.get();
    return {std::move(device), {}};
}

void FakePortOpener::setResponder(FakeModemDevice::Responder responder)
{
    m_responder = std::move(responder);
}

void FakePortOpener::setAutoReply(const QByteArray& reply)
{
    setResponder([reply](const QByteArray&) { return reply; });
}
