#pragma once

#include "PortMapping.h"
#include "SerialDevices.h"
#include "Settings.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QTableWidget;

// "ポート設定": lists the serial devices of this machine with the facts a user reads in lsusb,
// and lets the user choose the device each of COM1 to COM4 opens, or its default. "更新" lists
// again after a modem has been plugged in. Only OK hands the choices back; Escape and
// "キャンセル" leave them as they were.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    using PortDevices = Settings::PortDevices;

    // chosen: per port the device the settings keep, empty for its default. overrides: the
    // devices the environment sets, which win over any choice made here.
    PortDialog(const SerialDevices& devices, const PortDevices& chosen,
               const PortMapping::Overrides& overrides, QWidget* parent = nullptr);

    // Per port the device chosen, empty for its default (also when it is chosen by name).
    PortDevices choices() const;

private:
    void buildLayout(const PortMapping::Overrides& overrides);
    void relist(const PortDevices& chosen);
    void fillTable();
    void fillChooser(int port, const QString& chosen);

    const SerialDevices& m_devices;
    QList<SerialDevices::Device> m_listed;
    QLabel* m_heading = nullptr;
    QTableWidget* m_table = nullptr;
    std::array<QComboBox*, Settings::PortCount> m_choosers{};
};
