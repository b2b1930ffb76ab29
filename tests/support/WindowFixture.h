#pragma once

#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// The main window as a user starts it: in a fresh folder of its own, which stays the current
// folder until the fixture goes, with scripted boxes and short waits. The opener is the test's.
class WindowFixture {
public:
    static constexpr LineControl::Timing shortTiming{300, 20, 20, 200};

    explicit WindowFixture(PortOpener& opener, const QString& settingsToCopy = {});
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    ReserveForm& window() { return *m_window; }
    ScriptedMessageBoxes& boxes() { return m_boxes; }
    QString folder() const { return m_folder.path(); }
    // A new window in place of the old one, as when the program is started again.
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

private:
    QString m_startDir = QDir::currentPath();
    QTemporaryDir m_folder;
    PortOpener& m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<ReserveForm> m_window;
};
