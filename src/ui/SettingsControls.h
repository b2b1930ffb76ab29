#pragma once

#include "PortMapping.h"
#include "RegistrationEntry.h"
#include "ReserveFormLayout.h"
#include "Settings.h"

#include <optional>

// What the port dialog chooses: the device each port opens, and whether calls are made in voice
// mode. No control of the main window shows them.
struct PortChoices {
    Settings::PortDevices devices{}; // per port the device kept, empty for its default
    bool voice = false;

    bool operator==(const PortChoices& other) const
    {
        return devices == other.devices && voice == other.voice;
    }
};

// Where each stored setting lives while the program runs: the main window's controls are the
// only copy of the settings they show, so loading puts every value into its control and saving
// reads them back from there. The port choices and the recorded pace of a call, which no
// control shows, are kept here beside them.
class SettingsControls {
public:
    using Kind = RegistrationEntry::Kind;

    // overrides: the devices the environment sets for the ports.
    SettingsControls(const ReserveFormControls& controls, const PortMapping::Overrides& overrides);

    // Also selects the first entry of each list. A port or dialling mode outside its list
    // selects nothing rather than a choice nobody made.
    void show(const Settings& settings);
    Settings read() const;

    QStringList registrationList(Kind kind) const;
    // The entry chosen in the list, nothing when none is.
    std::optional<QString> selectedEntry(Kind kind) const;
    // Replaces the list, which then has no selection: the user picks from the new list.
    void replaceRegistrationList(Kind kind, const QStringList& entries);

    const PortChoices& portChoices() const { return m_portChoices; }
    // False when nothing changed.
    bool setPortChoices(const PortChoices& choices);
    // The device the port chosen in the port list opens.
    PortMapping::Device chosenDevice() const;
    // Each entry of the port list names its device, and so does the list for the entry chosen.
    void showPortToolTips();
    const Settings::StepPaces& recordedPaces() const { return m_recordedPaces; }
    void setRecordedPaces(const Settings::StepPaces& paces) { m_recordedPaces = paces; }

private:
    QComboBox* listOf(Kind kind) const;

    ReserveFormControls m_controls;
    PortMapping::Overrides m_overrides;
    PortChoices m_portChoices;
    Settings::StepPaces m_recordedPaces{};
};
