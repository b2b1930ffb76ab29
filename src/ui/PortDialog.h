#pragma once

#include "PortMapping.h"
#include "SerialDevices.h"
#include "SettingsControls.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

// "ポート設定": lists the serial devices of this machine with the facts a user reads in lsusb,
// and lets the user choose the device each of COM1 to COM4 opens, or its default, and whether
// calls are made in voice mode. "更新" lists again after a modem has been plugged in. Only OK
// hands the choices back; Escape and "キャンセル" leave them as they were.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    using PortDevices = Settings::PortDevices;

    // chosen: what the settings keep. overrides: the devices the environment sets, which win
    // over any choice made here.
    PortDialog(const SerialDevices& devices, const PortChoices& chosen,
               const PortMapping::Overrides& overrides, QWidget* parent = nullptr);

    // Per port the device chosen, empty for its default (also when it is chosen by name).
    PortChoices choices() const;

private:
    void buildLayout(const PortMapping::Overrides& overrides);
    void relist(const PortDevices& chosen);
    PortDevices chosenDevices() const;
    void fillTable();
    void fillChooser(int port, const QString& chosen);

    const SerialDevices& m_devices;
    QList<SerialDevices::Device> m_listed;
    QLabel* m_heading = nullptr;
    QTableWidget* m_table = nullptr;
    std::array<QComboBox*, Settings::PortCount> m_choosers{};
    QCheckBox* m_voice = nullptr;
};
