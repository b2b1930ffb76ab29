#pragma once

#include <QList>
#include <QString>

// The serial devices this machine has, for the user to pick the modem's from. Production asks
// the system (SystemSerialDevices); tests hand in a list of their own.
class SerialDevices {
public:
    struct Device {
        QString path;         // "/dev/ttyACM0"
        QString description;  // as the system names the device; may be empty
        QString manufacturer; // may be empty
        QString usbId; // "0572:1329", vendor and product as lsusb shows them; empty if not USB
    };

    virtual ~SerialDevices() = default;

    // Asked anew at each call: a modem may have been plugged in meanwhile.
    virtual QList<Device> list() const = 0;
};
