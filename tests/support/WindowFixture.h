#pragma once

#include "FakeSerialDevices.h"
#include "ModemCheck.h"
#include "RecordingAudioOutput.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "VoiceReceiver.h"

#include <QTemporaryDir>

#include <memory>

// The main window as the program composes it, with scripted boxes, the test's port opener,
// the given waits (the modem check waits as long as for an "OK"), the serial devices the test
// lists, the ports the test wires as the environment would, and its settings file in a fresh
// folder of its own.
class WindowFixture {
public:
    using Step = CallProcedure::Step;

    // Short enough for a test, long enough to be seen on a busy machine.
    static LineControl::Timing shortTiming();

    explicit WindowFixture(PortOpener& opener, const QString& settingsToCopy = {},
                           const LineControl::Timing& timing = shortTiming(),
                           const PortMapping::Overrides& overrides = {});
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    ReserveForm& window() { return *m_window; }
    // The window's controls by role.
    const ReserveFormControls& ui() const { return m_ui; }
    LineControl& line() { return *m_line; }
    VoiceReceiver& voice() { return m_voice; }
    // The sound device of the last voice call; null before the first.
    RecordingAudioOutput* audio() const { return m_audio; }
    // From the next voice call on, as on a machine without sound.
    void takeAwayTheSoundDevice() { m_soundDevice = false; }
    ModemCheck& check() { return *m_check; }
    FakeSerialDevices& serialDevices() { return m_serialDevices; }
    ScriptedMessageBoxes& boxes() { return m_boxes; }
    QString folder() const { return m_folder.path(); }
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("Tarvik.ini")); }
    // Asked before each step of every save from now on, as AtomicFile::write() asks.
    void checkSaveSteps(AtomicFile::StepCheck beforeStep)
    {
        m_beforeSaveStep = std::move(beforeStep);
    }
    // A new window and line in place of the old ones, as when the program is started again.
    void restart();
    // From the next restart on, an automatic run waits this long for a prompt's end.
    void setRunStallMs(int ms) { m_runStallMs = ms; }

    // Clicks the step's button; a disabled one fails the running test.
    void click(Step step);
    void click(QPushButton* button);
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
    // The control with the keyboard focus; null when none has it.
    static QWidget* focused();

private:
    QTemporaryDir m_folder;
    PortOpener& m_opener;
    LineControl::Timing m_timing;
    PortMapping::Overrides m_overrides;
    AtomicFile::StepCheck m_beforeSaveStep;
    SettingsStore m_store;
    bool m_soundDevice = true;
    int m_runStallMs = AutoMenu::StallMs;
    RecordingAudioOutput* m_audio = nullptr;
    VoiceReceiver m_voice;
    ScriptedMessageBoxes m_boxes;
    FakeSerialDevices m_serialDevices;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<ModemCheck> m_check;
    std::unique_ptr<ReserveForm> m_window;
    ReserveFormControls m_ui;
};
