#pragma once

#include "FakeSerialDevices.h"
#include "ModemCheck.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <memory>

// The main window as the program composes it, with scripted boxes, the test's port opener,
// the given waits (the modem check waits as long as for an "OK"), the serial devices the test
// lists and its settings file in a fresh folder of its own.
class WindowFixture {
public:
    static constexpr LineControl::Timing ShortTiming{300, 20, 20, 200};

    explicit WindowFixture(PortOpener& opener, const QString& settingsToCopy = {},
                           const LineControl::Timing& timing = ShortTiming);
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    ReserveForm& window() { return *m_window; }
    LineControl& line() { return *m_line; }
    ModemCheck& check() { return *m_check; }
    FakeSerialDevices& serialDevices() { return m_serialDevices; }
    ScriptedMessageBoxes& boxes() { return m_boxes; }
    QString folder() const { return m_folder.path(); }
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("Tarvik.ini")); }
    // A new window and line in place of the old ones, as when the program is started again.
    void restart();

    // Clicks the button; a missing or disabled one fails the running test.
    void click(const QString& objectName);
    template <typename T = QWidget> T* control(const QString& objectName) const
    {
        T* found = m_window->findChild<T*>(objectName);
        if (!found)
            qFatal("no control %s", qPrintable(objectName));
        return found;
    }
    // Hook, then Dial: the line ends up dialled.
    void bringCallUp();
    // Shows the window and waits until it takes the keyboard, as on a desktop.
    void showActive();
    // The object name of the control with the keyboard focus; empty when none has it.
    static QString focusedName();

private:
    QTemporaryDir m_folder;
    PortOpener& m_opener;
    LineControl::Timing m_timing;
    ScriptedMessageBoxes m_boxes;
    FakeSerialDevices m_serialDevices;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<ModemCheck> m_check;
    std::unique_ptr<ReserveForm> m_window;
};
