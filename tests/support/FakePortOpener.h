#pragma once

#include "FakeModemDevice.h"
#include "PortOpener.h"

#include <QList>
#include <QPointer>

// Hands out a fresh FakeModemDevice for every open().
class FakePortOpener : public PortOpener {
public:
    Result open(const QString& devicePath, Speed speed) override;

    // How every device opened from now on answers (see FakeModemDevice::setResponder).
    void setResponder(FakeModemDevice::Responder responder);
    void setAutoReply(const QByteArray& reply);

    // The device of the last successful open(); null once the program has deleted it.
    FakeModemDevice* device() const { return m_device; }
    // The device path of every open() call, and the speed asked for.
    const QStringList& requests() const { return m_requests; }
    const QList<Speed>& speeds() const { return m_speeds; }

private:
    QPointer<FakeModemDevice> m_device;
    QStringList m_requests;
    QList<Speed> m_speeds;
    FakeModemDevice::Responder m_responder;
};
