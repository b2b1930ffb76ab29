#pragma once

#include "SerialDevices.h"

// The serial devices the test says the machine has.
class FakeSerialDevices : public SerialDevices {
public:
    QList<Device> list() const override { return m_devices; }
    void setDevices(const QList<Device>& devices) { m_devices = devices; }

private:
    QList<Device> m_devices;
};
