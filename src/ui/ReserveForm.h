#pragma once

#include "AutoMenu.h"
#include "CallStatus.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "LineMessages.h"
#include "ModemMenu.h"
#include "PortMapping.h"
#include "RegistrationLists.h"
#include "ReserveFormLayout.h"
#include "SettingsControls.h"
#include "StepFocus.h"
#include "TwipScale.h"
#include "VoiceStatus.h"

#include <QMainWindow>

class FlowChartArrows;
class MessageBoxes;
class ModemCheck;
class SerialDevices;
class SettingsStore;

// The main window: a flow chart of one call with the reservation service. The user works down
// the column of step buttons as the service's voice asks, and each button plays its field into
// the call. The controls are the only copy of the settings while the program runs.
class ReserveForm : public QMainWindow,
                    public RegistrationLists,
                    private ModemMenu::Host,
                    private AutoMenu::Host {
    Q_OBJECT
public:
    // overrides: the devices the environment sets for the ports, read once at the start.
    // runStallMs: how long an automatic run waits for the end of a prompt.
    ReserveForm(LineControl& line, ModemCheck& check, const SerialDevices& serialDevices,
                MessageBoxes& boxes, const SettingsStore& store,
                const PortMapping::Overrides& overrides, int runStallMs = AutoMenu::StallMs,
                QWidget* parent = nullptr);
    ~ReserveForm() override;

    // The settings shown have been edited since they were last loaded or saved.
    bool changedFlag() const { return m_changedFlag; }

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
    using Step = CallProcedure::Step;

    QWidget* buildPanel();
    void buildMenus();
    void fillFixedLists();
    void connectSteps();
    void trackEdits();
    void startUp();

    void press(Step step);
    CallFields callFields() const;
    void showLineState(LineControl::State state);
    void hook();
    void dial();

    // ModemMenu::Host
    QString chosenPortCaption() const override;
    QString chosenDevicePath() const override;
    const PortChoices& portChoices() const override;
    void choosePorts(const PortChoices& choices) override;
    const PortMapping::Overrides& portOverrides() const override;
    void showProgress(const QString& text) override;

    // AutoMenu::Host
    bool checkBeforeRun() override;
    bool callsInVoiceMode() const override;
    const Settings::StepPaces& recordedPaces() const override;
    void keepRecordedPaces(const Settings::StepPaces& paces) override;

    void openEditor(Kind kind);

    void saveFromMenu();
    void exitFromMenu();
    bool askToSaveBeforeLeaving();
    void endProgram();
    void hangUpBeforeLeaving();
    void setChangedFlag(bool changed);

    LineControl& m_line;
    ModemCheck& m_check;
    MessageBoxes& m_boxes;
    const SettingsStore& m_store;
    const PortMapping::Overrides m_overrides;
    const TwipScale m_scale;
    ReserveFormControls m_ui;
    FlowChartArrows* m_arrows;
    SettingsControls m_settings;
    FieldSenders m_senders;
    CallStatus m_status;
    VoiceStatus m_voiceStatus;
    LineMessages m_lineMessages;
    ModemMenu m_modemMenu;
    AutoMenu m_autoMenu;
    StepFocus m_stepFocus;
    bool m_changedFlag = false;
};
