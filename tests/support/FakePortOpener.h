#pragma once

#include "FakeModemDevice.h"
#include "PortOpener.h"

#include <QList>
#include <QPointer>

// Hands out a fresh FakeModemDevice for every open(), or fails as told.
class FakePortOpener : public PortOpener {
public:
    Result open(int comIndex, const QString& storedDevice) override;

    // Every later open() fails with this device name and reason, until cleared with {}.
    void failOpens(const QString& deviceName, const QString& reason);
    // How every device opened from now on answers (see FakeModemDevice::setResponder).
    void setResponder(FakeModemDevice::Responder responder);
    void setAutoReply(const QByteArray& reply);

    // The device of the last successful open(); null once the program has deleted it.
    FakeModemDevice* device() const { return m_device; }
    // The comIndex of every open() call, failed ones included.
    const QList<int>& requests() const { return m_requests; }

private:
    QPointer<FakeModemDevice> m_device;
    QList<int> m_requests;
    FakeModemDevice::Responder m_responder;
    QString m_failDeviceName;
    QString m_failReason;
};
