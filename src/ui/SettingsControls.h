#pragma once

#include "RegistrationLists.h"
#include "ReserveFormLayout.h"
#include "Settings.h"

#include <optional>

// Where each stored setting lives while the program runs: the main window's controls are the
// only copy of the settings, so loading puts every value into the control that shows it and
// saving reads them back from there. The device each COM port opens is kept as the port
// list's item data, beside the tool tip that names it.
class SettingsControls {
public:
    using PortDevices = decltype(Settings::portDevices);

    explicit SettingsControls(const ReserveFormControls& controls);

    // Also selects the first entry of each list. A port or dialling mode outside its list
    // selects nothing rather than a choice nobody made.
    void show(const Settings& settings) const;
    Settings read() const;

    QStringList registrationList(RegistrationLists::Kind kind) const;
    // The entry chosen in the list, nothing when none is.
    std::optional<QString> selectedEntry(RegistrationLists::Kind kind) const;
    // Replaces the list, which then has no selection: the user picks from the new list.
    void replaceRegistrationList(RegistrationLists::Kind kind, const QStringList& entries) const;

    // Per port the device the settings keep, empty for its default.
    PortDevices portDevices() const;
    QString portDevice(int comIndex) const;
    // A device equal to its port's default is kept as empty. False when nothing changed.
    bool setPortDevices(const PortDevices& devices) const;

private:
    QComboBox* listOf(RegistrationLists::Kind kind) const;

    const ReserveFormControls& m_controls;
};
