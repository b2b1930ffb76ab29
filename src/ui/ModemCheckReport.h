#pragma once

#include "ModemCheck.h"

#include <QString>

// The box a modem check ends with, in plain words: which port and device were checked, and
// whether the modem answered (with what it told about itself), stayed silent (with what to
// look at), could not be opened or went away.
class ModemCheckReport {
public:
    static QString title();
    // portCaption: "COM1", or empty when no port was chosen.
    static QString text(const QString& portCaption, const ModemCheck::Result& result);
};
