#pragma once

#include "LineControl.h"
#include "RegistrationLists.h"
#include "ReserveFormLayout.h"
#include "SettingsControls.h"
#include "TwipScale.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class CallStatus;
class FieldSenders;
class MessageBoxes;
class ModemCheck;
class SerialDevices;
class StepFocus;

// The main window: a flow chart of one call with the reservation service. The user works down
// the column of step buttons as the service's voice asks, and each button plays its field into
// the call. The controls are the only copy of the settings while the program runs.
class ReserveForm : public QMainWindow, public RegistrationLists {
    Q_OBJECT
public:
    // Where the settings file lives, asked anew at every load and save.
    using SettingsPath = std::function<QString()>;

    ReserveForm(LineControl& line, ModemCheck& check, const SerialDevices& serialDevices,
                MessageBoxes& boxes, SettingsPath settingsPath, QWidget* parent = nullptr);
    ~ReserveForm() override;

    // The settings shown have been edited since they were last loaded or saved.
    bool changedFlag() const;
    void setChangedFlag(bool changed);

    // Clears the changed flag; on failure shows why, keeps the flag and returns false.
    bool saveSettings();

    // Leaving without a question and without saving (a termination signal): hangs up first.
    void leaveWithoutQuestions();

    QStringList registrationList(Kind kind) const override;
    void replaceRegistrationList(Kind kind, const QStringList& entries) override;

Q_SIGNALS:
    // The user has left from the menu, or a termination signal came, and the line is hung
    // up: the program should end now, without the close box's question. (Closing the window
    // ends the program by itself.)
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanel();
    void buildMenus();
    void buildStatusBar();
    void fillFixedLists();
    void connectLine();
    void connectSenders();
    void trackEdits();
    void startUp();

    void showLineState(LineControl::State state);
    void enableFieldButtons(bool enabled);
    void hook();
    void dial();
    void showPortToolTip(int comIndex);

    void openEditor(const QString& title);

    void saveFromMenu();
    void exitFromMenu();
    bool askToSaveBeforeLeaving();
    void endProgram();
    void hangUpBeforeLeaving();

    LineControl& m_line;
    ModemCheck& m_check;
    const SerialDevices& m_serialDevices;
    MessageBoxes& m_boxes;
    SettingsPath m_settingsPath;
    TwipScale m_scale;
    ReserveFormControls m_ui;
    SettingsControls m_settings{m_ui};
    std::unique_ptr<FieldSenders> m_senders;
    CallStatus* m_status = nullptr;
    // A member, not a child: it goes before the controls whose focus it follows.
    std::unique_ptr<StepFocus> m_stepFocus;
    bool m_changedFlag = false;
};
