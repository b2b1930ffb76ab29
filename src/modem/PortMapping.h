#pragma once

#include <QString>
#include <QStringList>

// Which device stands behind each "COMn" of the port list: the environment variable
// TARVIK_COM<n> when set (e.g. TARVIK_COM1=/dev/ttyACM0), else the device chosen in the port
// dialog and kept in the settings, else the n-th serial port of the system (/dev/ttyS<n-1>). The
// variable wins so that scripts, tests and the demo can wire a port without touching the user's
// settings.
namespace PortMapping {

enum class Source { Environment, Settings, Default };

struct Device {
    QString path; // empty for an index outside the list
    Source source = Source::Default;
};

// "COM1" .. "COM4", in list order (comIndex 0 .. 3).
QStringList captions();
QString defaultDevice(int comIndex);
// storedDevice: the settings' choice for the port, empty for none.
Device resolve(int comIndex, const QString& storedDevice = {});
// Empty for an index outside the list (no selection is -1).
QString deviceFor(int comIndex, const QString& storedDevice = {});
// For the port list: names the device a caption stands for, where that choice comes from and
// how to change it.
QString toolTipFor(int comIndex, const QString& storedDevice = {});
// What the settings keep for a device chosen for the port: empty when it is the default.
QString storedChoice(int comIndex, const QString& device);

} // namespace PortMapping
