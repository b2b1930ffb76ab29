#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

// Opens the modem's port for a "COMn" choice. Production opens a QSerialPort at 9600 8N1;
// tests open an in-memory device or the simulator's pseudo-terminal.
class PortOpener {
public:
    struct Result {
        std::unique_ptr<QIODevice> device; // null on failure
        QString deviceName;                // e.g. "/dev/ttyS0", also on failure
        QString error;                     // Japanese reason on failure
    };

    virtual ~PortOpener() = default;

    // comIndex 0..3 stands for COM1..COM4; -1 (no selection) fails with a reason. storedDevice
    // is the device the settings keep for that port, empty for its default (see PortMapping).
    // A device that fails later (unplugged) closes itself, with errorString() telling why.
    virtual Result open(int comIndex, const QString& storedDevice) = 0;
};
