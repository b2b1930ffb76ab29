#pragma once

#include <QObject>

class LineControl;
class MessageBoxes;
class ModemCheck;
class QAction;
class QComboBox;
class QMenuBar;
class QStatusBar;
class QWidget;
class SerialDevices;
class SettingsControls;

// The menu "ﾓﾃﾞﾑ": which device each COM port opens, and a check that the modem on the chosen
// port answers. Both wait while a call or a check holds the port: the check writes to the
// port it opens.
class ModemMenu : public QObject {
    Q_OBJECT
public:
    struct Parts {
        LineControl& line;
        ModemCheck& check;
        const SerialDevices& serialDevices;
        MessageBoxes& boxes;
        const SettingsControls& settings;
        QComboBox& portList;
        QStatusBar& statusBar;
    };

    ModemMenu(QMenuBar& menuBar, const Parts& parts, QWidget* window);

Q_SIGNALS:
    // The user chose other devices: a settings edit.
    void portDevicesChanged();

private:
    void enableWhilePortFree();
    void openPortDialog();
    void checkModem();

    Parts m_parts;
    QWidget* m_window;
    QAction* m_portSettings = nullptr;
    QAction* m_modemCheck = nullptr;
};
