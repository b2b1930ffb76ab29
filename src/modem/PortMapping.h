#pragma once

#include "Settings.h"

#include <QString>
#include <QStringList>

#include <array>

// Which device stands behind each "COMn" of the port list: the environment variable
// TARVIK_COM<n> when set (e.g. TARVIK_COM1=/dev/ttyACM0), else the device chosen in the port
// dialog and kept in the settings, else the n-th serial port of the system (/dev/ttyS<n-1>). The
// variable wins so that scripts, tests and the demo can wire a port without touching the user's
// settings. The program reads the variables once, at its start.
namespace PortMapping {

enum class Source { Environment, Settings, Default };

// Per port the device its variable names; empty: not set.
using Overrides = std::array<QString, Settings::PortCount>;

struct Device {
    QString path; // empty for an index outside the list
    Source source = Source::Default;
};

Overrides overridesFromEnvironment();
// "TARVIK_COM1" .. "TARVIK_COM4".
QString environmentName(int comIndex);

// "COM1" .. "COM4", in list order (comIndex 0 .. 3); empty outside the list.
QStringList captions();
QString caption(int comIndex);
QString defaultDevice(int comIndex);
Device resolve(int comIndex, const Settings::PortDevices& stored, const Overrides& overrides);
// What the settings keep for a device chosen for the port: nothing when it is the default.
QString storedChoice(int comIndex, const QString& device);

} // namespace PortMapping
