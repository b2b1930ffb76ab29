#pragma once

#include "PortMapping.h"
#include "SettingsControls.h"

#include <QAction>
#include <QObject>

class MessageBoxes;
class ModemCheck;
class QMenuBar;
class QWidget;
class SerialDevices;

// The menu "ﾓﾃﾞﾑ": which device each COM port opens, and a check that the modem on the chosen
// port answers. Both wait while a call or a check holds the port: the check writes to the
// port it opens.
class ModemMenu : public QObject {
    Q_OBJECT
public:
    // What the menu needs of the window's port choice.
    class Host {
    public:
        virtual ~Host() = default;
        // "COM1"; empty when no port is chosen.
        virtual QString chosenPortCaption() const = 0;
        // The device the chosen port opens; empty when no port is chosen.
        virtual QString chosenDevicePath() const = 0;
        virtual const PortChoices& portChoices() const = 0;
        // The user chose these in the dialog: a settings edit when they differ.
        virtual void choosePorts(const PortChoices& choices) = 0;
        virtual const PortMapping::Overrides& portOverrides() const = 0;
        // What the menu is doing, for the status bar; empty when it is done.
        virtual void showProgress(const QString& text) = 0;
    };

    ModemMenu(Host& host, ModemCheck& check, const SerialDevices& devices, MessageBoxes& boxes,
              QWidget* window);

    // As the menu "ﾓﾃﾞﾑ" after the menus already there.
    void addTo(QMenuBar& menuBar);
    // Only while no call and no check holds the port.
    void setPortFree(bool free);

private:
    void openPortDialog();
    void checkModem();

    Host& m_host;
    ModemCheck& m_check;
    const SerialDevices& m_devices;
    MessageBoxes& m_boxes;
    QWidget* m_window;
    // Children of the window too, so that automation finds them by name.
    QAction m_portSettings;
    QAction m_modemCheck;
};
