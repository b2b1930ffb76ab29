#pragma once

#include "CallProcedure.h"

#include <QList>

#include <array>

class QCalendarWidget;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;
class TwipScale;

// The main window's controls by role. Each also carries its form-designer name ("Command1")
// as objectName, by which automation finds it.
struct ReserveFormControls {
    using Step = CallProcedure::Step;

    // The button of every step of the call, in the order of Step.
    std::array<QPushButton*, CallProcedure::StepCount> stepButtons{};
    // The buttons that send into a call: enabled while the call is up, disabled otherwise.
    QList<QPushButton*> fieldButtons;
    // By key index: "0".."9", then "*" and "#".
    std::array<QPushButton*, 12> keyButtons{};

    QComboBox* portList = nullptr;
    QLineEdit* numberField = nullptr;
    QComboBox* dialModeList = nullptr;
    QComboBox* serviceList = nullptr;
    QComboBox* memberList = nullptr;
    QComboBox* facilityList = nullptr;
    QLineEdit* conditionsField = nullptr;
    QLineEdit* dateField = nullptr;
    QLineEdit* timeSlotField = nullptr;
    QLineEdit* purposeField = nullptr;
    QLineEdit* freeToneField = nullptr;
    QPushButton* sendFreeToneButton = nullptr;
    QCalendarWidget* calendar = nullptr;

    QPushButton* button(Step step) const { return stepButtons[std::size_t(step)]; }
};

// Creates the main window's controls from one table, which gives for each its designer name,
// kind, caption, accessible name, place in twips, its role (for a step button: its step, and
// whether it sends into a call) and, by the order of the rows, its place in the tab order: down
// the flow chart row by row, then the tone pad as on a telephone.
class ReserveFormLayout {
public:
    static ReserveFormControls create(QWidget* panel, const TwipScale& scale);
    // The controls of a window made by create(), found by their designer names.
    static ReserveFormControls find(const QWidget* window);
};
