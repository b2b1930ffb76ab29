#pragma once

#include "LineControl.h"
#include "RegistrationLists.h"
#include "Settings.h"
#include "TwipScale.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class FieldSenders;
class MessageBoxes;
class PortOpener;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The main window: a flow chart of one call with the reservation service. The user works down
// the column of step buttons as the service's voice asks, and each button plays its field into
// the call. The controls are the only copy of the settings while the program runs.
class ReserveForm : public QMainWindow, public RegistrationLists {
    Q_OBJECT
public:
    ReserveForm(MessageBoxes& boxes, PortOpener& opener, QWidget* parent = nullptr);
    ~ReserveForm() override;

    // The settings shown have been edited since they were last loaded or saved.
    bool changedFlag() const;
    void setChangedFlag(bool changed);

    LineControl& lineControl();

    void loadSettings(const QString& path);
    // Clears the changed flag; on failure shows why, keeps the flag and returns false.
    bool saveSettings(const QString& path);

    // How the program ends once the user has decided to leave (QCoreApplication::exit by
    // default, which skips the close-box question, as leaving from the menu must).
    void setProgramEnd(std::function<void()> endProgram);

    // Leaving without a question and without saving (a termination signal): hangs up first.
    void leaveWithoutQuestions();

    QStringList registrationList(Kind kind) const override;
    void replaceRegistrationList(Kind kind, const QStringList& entries) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLineRows();
    void buildFlowColumn();
    void buildConfirmationPair(int index, int top);
    void buildCodeRow(int index, int top, const QString& caption);
    void buildTonePad();
    void buildMenus();
    void buildStatusBar();
    void setTabOrderDownTheChart();
    void place(QWidget* control, const QString& objectName, const QString& accessibleName,
               const QRect& twips);
    QPushButton* addButton(const QString& objectName, const QString& caption, const QRect& twips);
    QLineEdit* addField(const QString& objectName, const QString& accessibleName,
                        const QRect& twips);
    QComboBox* addCombo(const QString& objectName, const QString& accessibleName,
                        const QRect& twips);
    QLabel* addBracket(const QString& objectName, const QString& bracket, const QRect& twips);

    void connectLine();
    void connectSenders();
    void trackEdits();
    void startUp();

    void showLineState(LineControl::State state);
    void enableFieldButtons(bool enabled);
    void hook();
    void dial();
    void showReplyTimeout(const QString& modemAnswer);
    void showPortOpenFailure(const QString& deviceName, const QString& reason);
    void showDeviceFailure(const QString& reason);
    void showPortToolTip(int comIndex);

    Settings settingsShown() const;
    void showSettings(const Settings& settings);
    QComboBox* listCombo(Kind kind) const;
    std::optional<QString> selectedEntry(const QComboBox* list) const;
    void openEditor(const QString& title);

    void saveFromMenu();
    void exitFromMenu();
    bool askToSaveBeforeLeaving();
    void endProgram();

    MessageBoxes& m_boxes;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<FieldSenders> m_senders;
    std::function<void()> m_endProgram;
    TwipScale m_scale;
    bool m_changedFlag = false;

    QPushButton* command1 = nullptr;
    QComboBox* combo1 = nullptr;
    QPushButton* command2 = nullptr;
    QLineEdit* text1 = nullptr;
    QComboBox* combo4 = nullptr;
    QPushButton* command3 = nullptr;
    QComboBox* combo2 = nullptr;
    std::array<QPushButton*, 4> command4 = {};
    std::array<QPushButton*, 4> command5 = {};
    QPushButton* command6 = nullptr;
    QComboBox* combo3 = nullptr;
    QPushButton* command7 = nullptr;
    QComboBox* combo5 = nullptr;
    std::array<QLabel*, 2> label1 = {};
    std::array<QPushButton*, 2> command9 = {};
    std::array<QLineEdit*, 2> text4 = {};
    std::array<QLabel*, 2> label2 = {};
    QPushButton* command12 = nullptr;
    QLineEdit* text5 = nullptr;
    QPushButton* command13 = nullptr;
    QLineEdit* text6 = nullptr;
    QPushButton* command10 = nullptr;
    QLabel* label3 = nullptr;
    std::array<QPushButton*, 12> command11 = {};
    QLineEdit* text7 = nullptr;
    QPushButton* command14 = nullptr;
    QCalendarWidget* calendar1 = nullptr;
};
