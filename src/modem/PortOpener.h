#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

// Opens the modem's port. Production opens a QSerialPort, 8N1; tests open an in-memory device or
// the simulator's pseudo-terminal.
class PortOpener {
public:
    // A modem on RS-232 follows the rate of the first "AT" it hears; USB modems ignore it.
    enum class Speed {
        Commands,    // 9600 baud: every plain call
        VoiceStream, // 115200 baud: 8000 one-byte samples a second need 80 kbit/s on the wire
    };

    // Why a port did not open; the window words it.
    struct Failure {
        enum class Kind {
            NoPortChosen, // no device to open: no port selected
            NotFound,     // no such device (a modem that is not plugged in)
            NoPermission, // the user may not open it
            Busy,         // another program holds it
            Other,        // detail says what the system said
        };
        Kind kind = Kind::Other;
        QString device; // the path asked for; empty when no port was chosen
        QString detail; // the system's own wording; may be empty
    };

    struct Result {
        std::unique_ptr<QIODevice> device; // null on failure
        Failure failure;                   // when device is null
    };

    virtual ~PortOpener() = default;

    // devicePath: the device the chosen port stands for (see PortMapping), empty when no port is
    // chosen. A device that fails later (unplugged) closes itself, errorString() telling why.
    virtual Result open(const QString& devicePath, Speed speed) = 0;
};
