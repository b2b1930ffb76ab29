#pragma once

#include <QString>
#include <QStringList>

// Which device stands behind each "COMn" of the port list: the environment variable
// TARVIK_COM<n> when set (e.g. TARVIK_COM1=/dev/ttyACM0), else the n-th serial port of the
// system (/dev/ttyS<n-1>).
namespace PortMapping {

constexpr int PortCount = 4;

// "COM1" .. "COM4", in list order (comIndex 0 .. 3).
QStringList captions();
// Empty for an index outside the list (no selection is -1).
QString deviceFor(int comIndex);
// For the port list: names the device a caption stands for and how to change it.
QString toolTipFor(int comIndex);

} // namespace PortMapping
