#pragma once

#include <QString>
#include <QStringList>

#include <array>

// Everything the settings file holds. The main window maps it to and from its controls.
struct Settings {
    static constexpr int PortCount = 4;

    int portIndex = 0;      // "COM" / "CH": 0..3 for COM1..COM4, -1 for none
    int dialModeIndex = 0;  // "PHONE" / "DIAL": 0 pulse, 1 tone, -1 for none
    QString number;         // "PHONE" / "Number"
    QString conditionsCode; // "CODE" / "利用条件"
    QString purposeCode;    // "CODE" / "利用目的"
    QString date;           // "CODE" / "日付"
    QString timeSlot;       // "CODE" / "時間帯"
    QStringList members;    // "MEMBER" list
    QStringList facilities; // "FACIRITY" list
    // "COM" / "Device1".."Device4": the device each of COM1..COM4 opens; empty: its default.
    std::array<QString, PortCount> portDevices{};
};

bool operator==(const Settings& a, const Settings& b);
inline bool operator!=(const Settings& a, const Settings& b)
{
    return !(a == b);
}
