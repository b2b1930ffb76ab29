#pragma once

#include "PortMapping.h"
#include "PortOpener.h"
#include "VoiceCommands.h"

#include <QString>

// The sentences about the modem and its port that more than one place says, worded in one
// place: the boxes of a call, the box of a modem check, the status bar and the port list tell
// the same thing in the same words.
class ModemSentences {
public:
    static QString noAnswer();
    static QString portNotOpened();
    // Which device did not open and why, naming the device once.
    static QString portOpenFailure(const PortOpener::Failure& failure);
    // The same in a few words, for the status bar.
    static QString portOpenFailureBriefly(const PortOpener::Failure& failure);
    // detail: the system's wording, may be empty.
    static QString deviceLost(const QString& devicePath, const QString& detail);
    static QString voiceMode();
    // Why the modem cannot make calls in voice mode.
    static QString voiceRefusal(VoiceCommands::Refusal why);
    // For the port list: the device a caption stands for, where that choice comes from and how
    // to change it.
    static QString portToolTip(int comIndex, const PortMapping::Device& device);
};
