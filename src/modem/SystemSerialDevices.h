#pragma once

#include "SerialDevices.h"

// The serial devices the system reports, ordered by path.
class SystemSerialDevices : public SerialDevices {
public:
    QList<Device> list() const override;
};
