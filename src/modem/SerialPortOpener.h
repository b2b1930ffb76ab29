#pragma once

#include "PortOpener.h"

// Opens a real serial port at the speed asked for, 8 data bits, no parity, 1 stop bit, no flow
// control.
// The modem-control lines are left as the system sets them on open; a pseudo-terminal cannot
// set them at all, and that is no failure.
class SerialPortOpener : public PortOpener {
public:
    Result open(const QString& devicePath, Speed speed) override;
};
