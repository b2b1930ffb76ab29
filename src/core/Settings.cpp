#include "Settings.h"

bool operator==(const Settings& a, const Settings& b)
{
    return a.portIndex == b.portIndex && a.dialModeIndex == b.dialModeIndex &&
           a.number == b.number && a.conditionsCode == b.conditionsCode &&
           a.purposeCode == b.purposeCode && a.date == b.date && a.timeSlot == b.timeSlot &&
           a.members == b.members && a.facilities == b.facilities && a.portDevices == b.portDevices;
}
