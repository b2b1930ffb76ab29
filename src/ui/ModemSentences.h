#pragma once

#include <QString>

// The sentences about the modem that more than one box says, worded in one place: the boxes of
// a call and the box of a modem check tell the same fault in the same words.
class ModemSentences {
public:
    static QString noAnswer();
    static QString portNotOpened();
    static QString portOpenFailure(const QString& deviceName, const QString& reason);
    // detail: the system's wording, may be empty.
    static QString deviceLost(const QString& deviceName, const QString& detail);
};
