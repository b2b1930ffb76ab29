#pragma once

#include "CallProcedure.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Everything the settings file holds. The main window maps it to and from its controls; which
// section and key keep each value is SettingsKeys' table.
struct Settings {
    static constexpr int PortCount = 4;
    using PortDevices = std::array<QString, PortCount>;
    // Per step, in milliseconds; nothing where not known.
    using StepPaces = std::array<std::optional<int>, CallProcedure::StepCount>;

    int portIndex = 0;      // 0..3 for COM1..COM4, -1 for none
    int dialModeIndex = 0;  // 0 pulse, 1 tone, -1 for none
    QString number;         // the service's telephone number
    QString conditionsCode; // 利用条件
    QString purposeCode;    // 利用目的
    QString date;           // 日付
    QString timeSlot;       // 時間帯
    QStringList members;    // member entries, in list order
    QStringList facilities; // facility entries, in list order
    // The device each of COM1..COM4 opens; empty: its default.
    PortDevices portDevices{};
    bool voice = false; // calls in voice mode: heard through the computer
    // How long the user waited before each step of the typical call, after the step before it
    // had ended, in the last call made by hand through all of it: what an automatic run without
    // voice mode waits.
    StepPaces recordedPaces{};
};

bool operator==(const Settings& a, const Settings& b);
