#pragma once

#include <array>

class QCalendarWidget;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;
class TwipScale;

// The main window's controls by role. Each also carries its form-designer name ("Command1")
// as objectName, by which tests and automation find it.
struct ReserveFormControls {
    QPushButton* hookButton = nullptr;
    QComboBox* portList = nullptr;
    QPushButton* dialButton = nullptr;
    QLineEdit* numberField = nullptr;
    QComboBox* dialModeList = nullptr;
    QPushButton* serviceButton = nullptr;
    QComboBox* serviceList = nullptr;
    // The three confirmation points of the call, in call order.
    std::array<QPushButton*, 3> yesButtons{};
    std::array<QPushButton*, 3> noButtons{};
    QPushButton* memberButton = nullptr;
    QComboBox* memberList = nullptr;
    QPushButton* facilityButton = nullptr;
    QComboBox* facilityList = nullptr;
    QPushButton* conditionsButton = nullptr;
    QLineEdit* conditionsField = nullptr;
    QPushButton* dateButton = nullptr;
    QLineEdit* dateField = nullptr;
    QPushButton* timeSlotButton = nullptr;
    QLineEdit* timeSlotField = nullptr;
    QPushButton* purposeButton = nullptr;
    QLineEdit* purposeField = nullptr;
    QPushButton* nextReservationButton = nullptr;
    QPushButton* otherServiceButton = nullptr;
    QPushButton* hookOffButton = nullptr;
    // By key index: "0".."9", then "*" and "#".
    std::array<QPushButton*, 12> keyButtons{};
    QLineEdit* freeToneField = nullptr;
    QPushButton* sendFreeToneButton = nullptr;
    QCalendarWidget* calendar = nullptr;
};

// Creates the main window's controls from one table, which gives for each its designer name,
// kind, caption, accessible name, place in twips and, by the order of the rows, its place in
// the tab order: down the flow chart row by row, then the tone pad as on a telephone.
class ReserveFormLayout {
public:
    static ReserveFormControls create(QWidget* panel, const TwipScale& scale);
};
